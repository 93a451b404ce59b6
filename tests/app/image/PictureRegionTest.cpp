#include <gtest/gtest.h>

#include "../filters/OperationTestSupport.h"
#include "PictureRegion.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace orvane {
namespace {

using optest::at;
using optest::bytesOf;
using optest::randomPicture;

// Pixel (x, y) of `a` and of `b` are the same three bytes.
bool samePixel(CDIB& a, int32_t ax, int32_t ay, CDIB& b, int32_t bx, int32_t by) {
  for (int c = 0; c < 3; ++c)
    if (at(a, ax, ay, c) != at(b, bx, by, c)) return false;
  return true;
}

TEST(PictureRegion, CropGivesTheRectangleOnEveryRowPadding) {
  for (int32_t w = 5; w <= 8; ++w) {
    for (int32_t cw = 1; cw <= 4; ++cw) {
      CDIB source, cropped;
      randomPicture(source, w, 6, w * 10 + cw);
      randomPicture(cropped, w, 6, w * 10 + cw);
      const PixelRect rect{1, 2, cw, 3};
      ASSERT_TRUE(CropTo(cropped, rect));
      ASSERT_EQ(cropped.Width(), cw);
      ASSERT_EQ(cropped.Height(), 3);
      for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < cw; ++x) EXPECT_TRUE(samePixel(cropped, x, y, source, 1 + x, 2 + y));
      // The new padding is zero, as in every picture.
      for (int32_t row = 0; row < 3; ++row)
        for (int32_t pad = cw * 3; pad < cropped.SRB(); ++pad)
          EXPECT_EQ(cropped.DIBPointer()[row * cropped.SRB() + pad], 0);
    }
  }
}

TEST(PictureRegion, RectanglesOutsideThePictureAreRefusedAndChangeNothing) {
  CDIB image;
  randomPicture(image, 10, 8);
  const auto before = bytesOf(image);
  for (const PixelRect& r : {PixelRect{-1, 0, 3, 3}, PixelRect{8, 0, 3, 3}, PixelRect{0, 6, 2, 3},
                             PixelRect{2, 2, 0, 3}, PixelRect{0, 0, 11, 8}}) {
    EXPECT_FALSE(CheckRect(r, 10, 8).empty());
    EXPECT_FALSE(CropTo(image, r));
    EXPECT_FALSE(ApplyInside(image, r, 1, [](CDIB& p) { p.Cls(); }));
  }
  EXPECT_EQ(bytesOf(image), before);
  EXPECT_EQ(CheckRect({0, 0, 10, 8}, 10, 8), "");
  EXPECT_EQ(ClampRect({-5, 6, 20, 20}, 10, 8), (PixelRect{0, 6, 10, 2}));
}

// A neighbourhood filter inside a region away from the edge gives the bytes
// of the whole-picture run there and leaves every byte outside as it was.
TEST(PictureRegion, AFilterInsideARegionMatchesTheWholePictureRunThere) {
  cFilterDIB filters;
  struct Case {
    const char* name;
    void (cFilterDIB::*fn)(CDIB&);
    Reach reach;
  };
  for (const Case& c :
       {Case{"GaussBlur", &cFilterDIB::GaussBlur, 2}, Case{"BlurMore", &cFilterDIB::BlurMore, 2},
        Case{"AutoLevel", &cFilterDIB::AutoLevel, std::nullopt}}) {
    SCOPED_TRACE(c.name);
    CDIB whole, regional, original;
    randomPicture(whole, 41, 23);
    randomPicture(regional, 41, 23);
    randomPicture(original, 41, 23);
    (filters.*c.fn)(whole);
    const PixelRect region{9, 5, 13, 7};
    ASSERT_TRUE(ApplyInside(regional, region, c.reach, [&](CDIB& p) { (filters.*c.fn)(p); }));
    for (int32_t y = 0; y < 23; ++y) {
      for (int32_t x = 0; x < 41; ++x) {
        const bool inside = x >= region.x && x < region.right() && y >= region.y && y < region.bottom();
        CDIB& expected = inside ? whole : original;
        EXPECT_TRUE(samePixel(regional, x, y, expected, x, y)) << x << "," << y;
      }
    }
  }
}

TEST(PictureRegion, AnOperationThatChangesTheSizeIsRefused) {
  CDIB image;
  randomPicture(image, 12, 9);
  const auto before = bytesOf(image);
  cEffectDIB effects;
  EXPECT_FALSE(ApplyInside(image, {2, 2, 5, 3}, std::nullopt, [&](CDIB& p) { effects.Rotate(p, 90); }));
  EXPECT_EQ(bytesOf(image), before);
}

}  // namespace
}  // namespace orvane
