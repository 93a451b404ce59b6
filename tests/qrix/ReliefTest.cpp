#include <gtest/gtest.h>

#include "NeighbourhoodCheck.h"
#include "qrix.h"

namespace {

using neighbourhood_check::describe;
using neighbourhood_check::InteriorFn;
using neighbourhood_check::kDirections;
using neighbourhood_check::kSweepRanges;
using neighbourhood_check::lastRowRepeated;
using neighbourhood_check::neighbourhood3x3;
using neighbourhood_check::range;
using neighbourhood_check::written;
using testing_support::PixelBuffer;
using testing_support::randomBuffer;

TEST(Emboss, UniformPictureGivesTheBiasesOrTheirGrey) {
  const PixelBuffer src = neighbourhood_check::uniform(4, 5);
  for (int32_t direction = 1; direction <= 8; ++direction)
    for (const int32_t grey : {0, 1, 2, -1, 256}) {
      PixelBuffer dst(4, 5);
      EXPECT_EQ(dllemboss(src.data(), dst.data(), src.size(), src.stride, 1, direction, 128, 60, 90, grey),
                1);
      // The flat walk stops before the last pixel (size 59: offsets below 57).
      for (size_t k = 0; k < 57; k += 3) {
        const int blue = grey ? 92 : 90, green = grey ? 92 : 60, red = grey ? 92 : 128;  // (90+60+128)/3
        ASSERT_EQ(dst.bytes[k], blue) << direction << " " << grey << " " << k;
        ASSERT_EQ(dst.bytes[k + 1], green);
        ASSERT_EQ(dst.bytes[k + 2], red);
      }
    }
}

TEST(Emboss, BiasesGoToTheirChannelsAndCapAbove255) {
  PixelBuffer src(4, 1), dst(4, 1);  // pixel 0 against pixel 1 (direction 5)
  for (int c = 0; c < 3; ++c) src.bytes[c] = 10, src.bytes[3 + c] = 50;
  dllemboss(src.data(), dst.data(), src.size(), src.stride, 1, 5, -100, 300, 0, 0);
  EXPECT_EQ(dst.bytes[0], 40);   // blue  |10 - 50 + 0|
  EXPECT_EQ(dst.bytes[1], 255);  // green |-40 + 300| capped
  EXPECT_EQ(dst.bytes[2], 140);  // red   |-40 - 100|
}

TEST(Emboss, EachDirectionComparesWithItsPartner) {
  for (const auto& d : kDirections) {
    PixelBuffer src(8, 7, 100), dst(8, 7);
    src.mem(3, 3, 0) = 0;  // far enough from the ends that no mirrored partner reaches it
    dllemboss(src.data(), dst.data(), src.size(), src.stride, 1, d.direction, 0, 0, 0, 0);
    for (int32_t row = 0; row < 7; ++row)
      for (int32_t x = 0; x < 8; ++x) {
        const bool hit = (x == 3 && row == 3) || (x == 3 - d.dx && row == 3 - d.drow);
        ASSERT_EQ(dst.mem(x, row, 0), hit ? 100 : 0)
            << "direction " << d.direction << " at " << x << "," << row;
      }
  }
}

TEST(Emboss, PartnerOutsideIsMirroredOrThePixelSkipped) {
  const PixelBuffer src = randomBuffer(6, 4, 23);
  for (int32_t direction = 1; direction <= 8; ++direction) {
    PixelBuffer zero(6, 4), one(6, 4);
    dllemboss(src.data(), zero.data(), src.size(), src.stride, 0, direction, 7, -20, 300, 0);
    dllemboss(src.data(), one.data(), src.size(), src.stride, 1, direction, 7, -20, 300, 0);
    EXPECT_EQ(zero.bytes, one.bytes) << "distance 0 is distance 1, direction " << direction;
  }

  PixelBuffer last(5, 1), dst(5, 1);  // stride 16, size 15: pixel 4 (offset 12) is the last walked
  last.bytes[9] = 50, last.bytes[12] = 10;
  dllemboss(last.data(), dst.data(), last.size(), last.stride, 1, 5, 0, 0, 0, 0);
  EXPECT_EQ(dst.bytes[12], 40);  // its partner at 15 lies outside, so the pixel at 9 is used

  const PixelBuffer two = randomBuffer(2, 1, 3);  // offsets 0 and 3; offset 9 is outside both ways
  const auto got = written(two.bytes.size(), [&](uint8_t* d) {
    EXPECT_EQ(dllemboss(two.data(), d, two.size(), two.stride, 3, 5, 0, 0, 0, 1), 1);
  });
  EXPECT_EQ(got.mask, range(two.bytes.size(), 0, 0));
}

TEST(Engrave, AbsoluteDifferenceKeepsItsLowByte) {
  PixelBuffer img(4, 3);                    // pixel 0 against its partner at 15
  img.bytes[0] = 0, img.bytes[15] = 200;    // |200 - 0 + 128| = 328 -> 72
  img.bytes[1] = 200, img.bytes[16] = 0;    // |0 - 200 + 128| = 72
  img.bytes[2] = 100, img.bytes[17] = 100;  // 128
  EXPECT_EQ(dllengrave(img.data(), img.size(), img.stride, 1, 1, 1), 1);
  EXPECT_EQ(img.bytes[0], 72);
  EXPECT_EQ(img.bytes[1], 72);
  EXPECT_EQ(img.bytes[2], 128);
}

// In place, each switched channel of the triples at k < size - stride - 5 becomes
// |partner - self + 128| taken from the unchanged picture, partner one row later and one pixel right.
TEST(Engrave, InPlaceEqualsACopyAndObeysTheSwitches) {
  struct Switches {
    int32_t red, green, blue;
  };
  const Switches switches[] = {{1, 1, 1}, {1, 0, 0},        {0, 1, 0},         {0, 0, 1},
                               {0, 0, 0}, {256, 0x101, -1}, {-1, 0x200, 0x300}};
  for (const auto& s : neighbourhood_check::paddedShapes())
    for (const auto& sw : switches) {
      const PixelBuffer src = randomBuffer(s.w, s.h, 29);
      PixelBuffer img = src;
      img.bytes.push_back(0xEE);  // a guard byte past `size`
      EXPECT_EQ(dllengrave(img.data(), src.size(), src.stride, sw.red, sw.green, sw.blue), 1);
      std::vector<uint8_t> expected = src.bytes;
      const bool on[3] = {(sw.blue & 0xff) != 0, (sw.green & 0xff) != 0, (sw.red & 0xff) != 0};
      for (int64_t k = 0; k < int64_t(src.size()) - src.stride - 5; k += 3)
        for (int c = 0; c < 3; ++c)
          if (on[c]) {
            const int v = src.bytes[k + src.stride + 3 + c] - src.bytes[k + c] + 128;
            expected[k + c] = static_cast<uint8_t>(v < 0 ? -v : v);
          }
      expected.push_back(0xEE);
      EXPECT_EQ(img.bytes, expected) << describe(src) << " switches " << sw.red << sw.green << sw.blue;
    }
}

TEST(Contour, WeighsClampsAndRepeatsTheLastRowFromOneByteEarlier) {
  const PixelBuffer src = neighbourhood3x3({10, 10, 10, 10, 10, 10, 10, 10, 10},  // 16
                                           {1, 1, 1, 1, 0, 1, 1, 1, 1},           // -8 + 16
                                           {0, 0, 0, 0, 100, 0, 0, 0, 0});        // 816 -> 255
  PixelBuffer dst(3, 3);
  dllcontour(src.data(), dst.data(), src.size(), src.stride);
  EXPECT_EQ(dst.bytes[15], 16);
  EXPECT_EQ(dst.bytes[16], 8);
  EXPECT_EQ(dst.bytes[17], 255);
  const PixelBuffer dark = neighbourhood3x3({10, 10, 10, 10, 0, 10, 10, 10, 10},  // -80 + 16 -> 0
                                            {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0});
  dllcontour(dark.data(), dst.data(), dark.size(), dark.stride);
  EXPECT_EQ(dst.bytes[15], 0);

  const PixelBuffer flat = neighbourhood_check::uniform(4, 5);  // sweep [15, 42)
  PixelBuffer out = flat;
  dllcontour(flat.data(), out.data(), flat.size(), flat.stride);
  for (size_t i = 15; i < 42; ++i) EXPECT_EQ(out.bytes[i], 16) << i;

  for (const auto& r : kSweepRanges) {
    const PixelBuffer in = randomBuffer(r.w, r.h, 31);
    const auto got = written(
        in.bytes.size(), [&](uint8_t* d) { EXPECT_EQ(dllcontour(in.data(), d, in.size(), in.stride), 1); });
    EXPECT_EQ(got.mask, lastRowRepeated(range(in.bytes.size(), r.first, r.end), in.size(), in.stride, 1))
        << describe(in);
  }

  // 4 x 3, size 35: byte 35 takes byte 23 before byte 23 takes byte 11.
  const PixelBuffer in = randomBuffer(4, 3, 37);
  const PixelBuffer before = randomBuffer(4, 3, 41);
  PixelBuffer d = before;
  dllcontour(in.data(), d.data(), in.size(), in.stride);
  EXPECT_EQ(d.bytes[35], before.bytes[23]);
  EXPECT_EQ(d.bytes[23], before.bytes[11]);
  EXPECT_EQ(d.bytes[27], d.bytes[15]);  // the swept pixel, repeated
  EXPECT_EQ(d.bytes[22], before.bytes[22]);

  // Two rows: the byte whose source would be before the buffer is left alone.
  const PixelBuffer two = randomBuffer(4, 2, 43);
  d = randomBuffer(4, 2, 47);
  const PixelBuffer twoBefore = d;
  dllcontour(two.data(), d.data(), two.size(), two.stride);
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(d.bytes[i], twoBefore.bytes[i]) << i;
  for (size_t i = 12; i < 24; ++i) EXPECT_EQ(d.bytes[i], twoBefore.bytes[i - 12]) << i;
}

const int kEmbossColor[3][3] = {{-1, -1, -1}, {0, 1, 0}, {1, 1, 1}};
const int kHighLight[3][3] = {{0, -1, 0}, {0, 0, 0}, {0, 1, 0}};

TEST(InteriorEmboss, MatchesTheWeightTablesFromAnUnchangedCopy) {
  std::vector<neighbourhood_check::Shape> shapes = neighbourhood_check::paddedShapes();
  shapes.insert(shapes.end(), {{9, 7}, {2, 9}, {9, 2}});
  for (const auto& s : shapes) {
    const PixelBuffer src = randomBuffer(s.w, s.h, 53);
    PixelBuffer img = src;
    EXPECT_EQ(DllEmbossColor(img.data(), img.size(), img.stride, s.w, s.h), 1);
    EXPECT_EQ(img.bytes,
              neighbourhood_check::interiorExpected(src.bytes, src.stride, s.w, s.h, kEmbossColor, 1))
        << describe(src);
    img = src;
    EXPECT_EQ(DllEmbossHighLight(img.data(), img.size(), img.stride, s.w, s.h), 1);
    EXPECT_EQ(img.bytes,
              neighbourhood_check::interiorExpected(src.bytes, src.stride, s.w, s.h, kHighLight, 1))
        << describe(src);
  }
}

TEST(InteriorEmboss, UniformPictureKeepsItsColourOrGoesBlackInside) {
  const PixelBuffer flat = neighbourhood_check::uniform(5, 4);
  PixelBuffer img = flat;
  DllEmbossColor(img.data(), img.size(), img.stride, 5, 4);
  EXPECT_EQ(img.bytes, flat.bytes);
  DllEmbossHighLight(img.data(), img.size(), img.stride, 5, 4);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 5; ++x)
      for (int c = 0; c < 3; ++c) {
        const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
        EXPECT_EQ(img.at(x, y, c), inside ? 0 : flat.at(x, y, c)) << x << "," << y;
      }

  PixelBuffer step(3, 3);  // lighter one row later: D - U shows, the other way round is 0
  for (int c = 0; c < 3; ++c) step.mem(1, 0, c) = 50, step.mem(1, 2, c) = 200;
  PixelBuffer reversed = step;
  std::swap(reversed.mem(1, 0, 0), reversed.mem(1, 2, 0));
  DllEmbossHighLight(step.data(), step.size(), step.stride, 3, 3);
  DllEmbossHighLight(reversed.data(), reversed.size(), reversed.stride, 3, 3);
  EXPECT_EQ(step.mem(1, 1, 0), 150);
  EXPECT_EQ(reversed.mem(1, 1, 0), 0);
}

}  // namespace
