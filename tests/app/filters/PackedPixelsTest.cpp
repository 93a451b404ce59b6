// Packing within the image: the library sees rows end to end, and the image
// gets its layout back, pad bytes included, even when the call throws.
#include <gtest/gtest.h>

#include <stdexcept>

#include "OperationTestSupport.h"
#include "PackedPixels.h"

using namespace orvane;
using namespace optest;

namespace {

// A random picture whose pad bytes are not 0, to see that they are kept.
void markedPicture(CDIB& image, int32_t w, int32_t h) {
  randomPicture(image, w, h, w * 7 + h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t i = w * 3; i < image.SRB(); ++i) image.DIBPointer()[y * image.SRB() + i] = 0xE0 + i;
}

}  // namespace

TEST(PackedPixels, RowsEndToEndThenTheOwnLayoutBack) {
  for (int32_t w : {8, 5, 6, 7, 1}) {
    for (int32_t h : {1, 2, 9}) {
      CDIB image;
      markedPicture(image, w, h);
      const std::vector<uint8_t> before = bytesOf(image), packed = packedRows(image);
      withPackedPixels(image, [&](uint8_t* p, int32_t n) {
        // Rows end to end and a spare byte of 0 after them, on every width; size
        // covers the last pixel.
        ASSERT_EQ(n, w * 3 * h);
        for (int32_t i = 0; i <= n; ++i) ASSERT_EQ(p[i], packed[i]) << w << "x" << h;
        for (int32_t i = 0; i < w * 3 * h; ++i) p[i] ^= 0x5A;
        p[n] = 0x77;  // a write to the spare byte does not reach the picture
      });
      std::vector<uint8_t> want = before;
      for (int32_t y = 0; y < h; ++y)
        for (int32_t i = 0; i < w * 3; ++i) want[y * image.SRB() + i] ^= 0x5A;
      EXPECT_EQ(bytesOf(image), want) << w << "x" << h;
    }
  }
}

TEST(PackedPixels, AThrowingCallLeavesThePictureAsItWas) {
  CDIB image;
  markedPicture(image, 7, 5);
  const std::vector<uint8_t> before = bytesOf(image);
  EXPECT_THROW(withPackedPixels(image, [](uint8_t*, int32_t) { throw std::runtime_error("missing"); }),
               std::runtime_error);
  EXPECT_EQ(bytesOf(image), before);
  CDIB empty;
  withPackedPixels(empty, [](uint8_t* p, int32_t n) {
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(n, -1);
  });
}
