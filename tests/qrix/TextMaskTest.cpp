#include <gtest/gtest.h>

#include <vector>

#include "PixelBuffer.h"
#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(TextMask, SetBlackClearsExactlyTheCount) {
  Bytes buf(8, 0xEE);
  EXPECT_EQ(DllSetBlack(buf.data(), 5), 1);
  EXPECT_EQ(buf, (Bytes{0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE}));
  Bytes untouched(4, 0xEE);
  DllSetBlack(untouched.data(), 0);
  DllSetBlack(untouched.data(), -3);
  EXPECT_EQ(untouched, Bytes(4, 0xEE));
}

TEST(TextMask, BlacknessIsDecidedPerTripleNotPerByte) {
  // Mask: black, (0,0,1), (0,10,0), black. Picture: all 50.
  const Bytes mask = {0, 0, 0, 0, 0, 1, 0, 10, 0, 0, 0, 0};
  const Bytes picture(12, 50);

  Bytes fill = mask;
  DllFillImage(fill.data(), picture.data(), 11);
  EXPECT_EQ(fill, (Bytes{0, 0, 0, 50, 50, 50, 50, 50, 50, 0, 0, 0}));

  Bytes dest(12, 7);
  DllUnShowBlack(dest.data(), mask.data(), 11);
  EXPECT_EQ(dest, (Bytes{7, 7, 7, 0, 0, 1, 0, 10, 0, 7, 7, 7}));

  // Zero bytes of a letter pixel are blended too; black triples stay black over a bright picture.
  Bytes mix = mask;
  DllMixWord(mix.data(), picture.data(), 11, 50);
  EXPECT_EQ(mix, (Bytes{0, 0, 0, 25, 25, 25, 25, 30, 25, 0, 0, 0}));
}

TEST(TextMask, MixWordTruncatesAndHonoursPercentExtremes) {
  Bytes mask = {200, 201, 255};
  const Bytes picture = {100, 100, 0};
  DllMixWord(mask.data(), picture.data(), 3, 50);
  EXPECT_EQ(mask, (Bytes{150, 150, 127}));

  testing_support::PixelBuffer letters = testing_support::randomBuffer(6, 3, 11);
  const testing_support::PixelBuffer back = testing_support::randomBuffer(6, 3, 12);
  testing_support::PixelBuffer full = letters;
  DllMixWord(full.data(), back.data(), full.size(), 100);
  EXPECT_EQ(full.bytes, letters.bytes);

  // Percent 0 takes the picture wherever the mask is not black; a triple blended to black is then
  // black for the next call.
  Bytes m = {0, 0, 9, 1, 2, 3, 0};
  const Bytes p = {0, 0, 0, 4, 5, 6, 0};
  DllMixWord(m.data(), p.data(), 6, 0);
  EXPECT_EQ(m, (Bytes{0, 0, 0, 4, 5, 6, 0}));
  const Bytes other = {8, 8, 8, 8, 8, 8, 8};
  DllMixWord(m.data(), other.data(), 6, 0);
  EXPECT_EQ(m, (Bytes{0, 0, 0, 8, 8, 8, 0}));
}

TEST(TextMask, FlatWalkBounds) {
  // size 9 (10 bytes): triples at 0, 3, 6; bytes 9 and later are never read or written.
  const Bytes white(16, 255);
  for (int f = 0; f < 3; ++f) {
    Bytes buf(16, 1);
    switch (f) {
      case 0:
        DllFillImage(buf.data(), white.data(), 9);
        break;
      case 1:
        DllUnShowBlack(buf.data(), white.data(), 9);
        break;
      case 2:
        DllMixWord(buf.data(), white.data(), 9, 0);
        break;
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(buf[i], 255) << f << " byte " << i;
    for (int i = 9; i < 16; ++i) EXPECT_EQ(buf[i], 1) << f << " byte " << i;
    for (int32_t tiny : {-1, 0, 1, 2}) {
      Bytes small(16, 1);
      DllFillImage(small.data(), white.data(), tiny);
      DllUnShowBlack(small.data(), white.data(), tiny);
      DllMixWord(small.data(), white.data(), tiny, 0);
      EXPECT_EQ(small, Bytes(16, 1)) << tiny;
    }
  }
}

}  // namespace
