#include <gtest/gtest.h>

#include <QImage>
#include <climits>

#include "CDIB.h"

using orvane::CDIB;

namespace {

struct Geometry {
  int32_t w, h, stride, bytes;
};

class CDIBGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(CDIBGeometry, StrideByteCountAndBlackPixels) {
  const auto g = GetParam();
  CDIB dib;
  ASSERT_TRUE(dib.Create(g.w, g.h));
  EXPECT_EQ(dib.Width(), g.w);
  EXPECT_EQ(dib.Height(), g.h);
  EXPECT_EQ(dib.SRB(), g.stride);
  EXPECT_EQ(dib.RGBSize(), g.bytes - 1);
  ASSERT_NE(dib.DIBPointer(), nullptr);
  for (int32_t i = 0; i < g.bytes; ++i) ASSERT_EQ(dib.DIBPointer()[i], 0) << i;
  EXPECT_EQ(dib.Header().size, 40u);
  EXPECT_EQ(dib.Header().bitCount, 24);
  EXPECT_EQ(dib.Header().planes, 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CDIBGeometry,
                         ::testing::Values(Geometry{1, 1, 4, 4}, Geometry{4, 2, 12, 24},
                                           Geometry{3, 2, 12, 24}, Geometry{5, 10, 16, 160},
                                           Geometry{2, 3, 8, 24}));

TEST(CDIB, EmptyAndFailedBuffersReportNoStorage) {
  CDIB dib;
  EXPECT_EQ(dib.DIBPointer(), nullptr);
  EXPECT_EQ(dib.RGBSize(), -1);
  EXPECT_EQ(dib.SRB(), 0);
  EXPECT_FALSE(dib.Create(0, 5));
  EXPECT_FALSE(dib.Create(5, -1));
  // The byte count would not fit a signed 32-bit integer.
  EXPECT_FALSE(dib.Create(40000, 40000));
  EXPECT_FALSE(dib.Create(INT_MAX, 1));
  EXPECT_EQ(dib.DIBPointer(), nullptr);
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.RGBSize(), -1);
  dib.Cls();  // harmless without storage
  // A failed re-creation drops the old picture too.
  ASSERT_TRUE(dib.Create(2, 2));
  EXPECT_FALSE(dib.Create(-2, 2));
  EXPECT_EQ(dib.DIBPointer(), nullptr);
}

TEST(CDIB, PixelLayoutIsBottomUpBGR) {
  QImage pic(3, 2, QImage::Format_RGB888);
  pic.setPixel(0, 0, qRgb(10, 20, 30));  // top-left
  pic.setPixel(0, 1, qRgb(40, 50, 60));  // bottom-left
  pic.setPixel(2, 1, qRgb(70, 80, 90));  // bottom-right
  pic.setPixel(1, 0, qRgb(1, 2, 3));
  pic.setPixel(2, 0, qRgb(4, 5, 6));
  pic.setPixel(1, 1, qRgb(7, 8, 9));
  CDIB dib;
  dib.Clone(pic, true);
  ASSERT_EQ(dib.Width(), 3);
  const uint8_t* p = dib.DIBPointer();
  EXPECT_EQ(p[0], 60);  // bottom-left blue
  EXPECT_EQ(p[1], 50);
  EXPECT_EQ(p[2], 40);
  EXPECT_EQ(p[6], 90);   // bottom-right blue
  EXPECT_EQ(p[12], 30);  // top-left starts at (Height - 1) * stride
  EXPECT_EQ(p[14], 10);
  EXPECT_EQ(p[9] | p[10] | p[11], 0);  // padding stays zero
  const QImage back = dib.ToQImage();
  EXPECT_EQ(back.pixel(0, 0), pic.pixel(0, 0));
  EXPECT_EQ(back.pixel(2, 1), pic.pixel(2, 1));
}

TEST(CDIB, CloneWithoutFitSizeStretchesIntoTheBuffer) {
  QImage pic(100, 50, QImage::Format_RGB888);
  pic.fill(Qt::black);
  for (int y = 0; y < 50; ++y)
    for (int x = 50; x < 100; ++x) pic.setPixel(x, y, qRgb(255, 0, 0));
  CDIB dib;
  ASSERT_TRUE(dib.Create(50, 25));
  dib.Clone(pic);
  const QImage back = dib.ToQImage();
  EXPECT_EQ(back.size(), QSize(50, 25));
  EXPECT_EQ(back.pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(back.pixel(40, 10), qRgb(255, 0, 0));
}

TEST(CDIB, CopiesBetweenSurfacesClipAndKeepUncoveredPixels) {
  CDIB source, target;
  ASSERT_TRUE(source.Create(4, 3));
  for (int32_t i = 0; i <= source.RGBSize(); ++i) source.DIBPointer()[i] = static_cast<uint8_t>(i + 1);
  ASSERT_TRUE(target.Create(4, 3));
  target.CloneHDC(source.hDC(), orvane::SRCCOPY, 0, 0);
  for (int32_t i = 0; i <= target.RGBSize(); ++i) EXPECT_EQ(target.DIBPointer()[i], source.DIBPointer()[i]);

  // An offset source: the uncovered right column and bottom row stay as they were.
  CDIB shifted;
  ASSERT_TRUE(shifted.Create(4, 3));
  std::fill(shifted.DIBPointer(), shifted.DIBPointer() + shifted.RGBSize() + 1, 0xEE);
  shifted.CloneHDC(source.hDC(), orvane::SRCCOPY, 1, 1);
  const auto px = [](CDIB& d, int x, int y) { return d.hDC()->pixel(x, y); };
  EXPECT_EQ(px(shifted, 0, 0)[0], px(source, 1, 1)[0]);
  EXPECT_EQ(px(shifted, 2, 1)[2], px(source, 3, 2)[2]);
  EXPECT_EQ(px(shifted, 3, 0)[0], 0xEE);
  EXPECT_EQ(px(shifted, 0, 2)[1], 0xEE);

  // PaintTo places the whole buffer at an offset and clips at the far edges.
  CDIB canvas;
  ASSERT_TRUE(canvas.Create(5, 5));
  source.PaintTo(canvas.hDC(), 3, 4, orvane::SRCCOPY);
  EXPECT_EQ(px(canvas, 3, 4)[0], px(source, 0, 0)[0]);
  EXPECT_EQ(px(canvas, 4, 4)[2], px(source, 1, 0)[2]);
  EXPECT_EQ(px(canvas, 2, 4)[0], 0);
}

TEST(CDIB, RecreationReplacesThePicture) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(10, 10));
  dib.DIBPointer()[5] = 9;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(dib.Create(7, 3));
  EXPECT_EQ(dib.Width(), 7);
  EXPECT_EQ(dib.SRB(), 24);
  EXPECT_EQ(dib.DIBPointer()[5], 0);
  dib.DIBPointer()[5] = 9;
  dib.Cls();
  EXPECT_EQ(dib.DIBPointer()[5], 0);
}

TEST(CDIB, MapArrayIsANonOwningViewOfTheWholeArea) {
  CDIB dib;
  ASSERT_TRUE(dib.Create(5, 10));
  orvane::ByteView view;
  EXPECT_EQ(dib.MapArray(view), 16);
  EXPECT_EQ(view.count, 160u);
  view(159) = 7;
  EXPECT_EQ(dib.DIBPointer()[159], 7);
  dib.UnMapArray(view);
  EXPECT_TRUE(view.empty());
  EXPECT_EQ(view.count, 0u);
}

TEST(CDIB, ReusedMemoryStillGivesBlackPicturesAndCleanPadding) {
  CDIB dib, source;
  ASSERT_TRUE(dib.Create(5, 4));
  std::fill(dib.DIBPointer(), dib.DIBPointer() + dib.ByteCount(), 0xAB);
  // Create keeps the memory for the same size (or a snug one) yet clears it all.
  ASSERT_TRUE(dib.Create(4, 5));
  for (size_t i = 0; i < dib.ByteCount(); ++i) ASSERT_EQ(dib.DIBPointer()[i], 0) << i;

  // CopyOf takes the pixels and leaves every pad byte 0 whatever was there.
  ASSERT_TRUE(source.Create(5, 4));
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t i = 0; i < 15; ++i)
      source.DIBPointer()[y * source.SRB() + i] = static_cast<uint8_t>(y * 15 + i + 1);
  std::fill(dib.DIBPointer(), dib.DIBPointer() + dib.ByteCount(), 0xAB);
  ASSERT_TRUE(dib.CopyOf(source));
  ASSERT_EQ(dib.Width(), 5);
  ASSERT_EQ(dib.SRB(), 16);
  for (size_t i = 0; i < dib.ByteCount(); ++i) ASSERT_EQ(dib.DIBPointer()[i], source.DIBPointer()[i]) << i;

  // Reshape to a size with padding: pads are 0 even over old bytes.
  std::fill(dib.DIBPointer(), dib.DIBPointer() + dib.ByteCount(), 0xAB);
  ASSERT_TRUE(dib.Reshape(3, 5));
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t i = 9; i < 12; ++i) ASSERT_EQ(dib.DIBPointer()[y * 12 + i], 0);
  EXPECT_FALSE(dib.Reshape(40000, 40000));
  EXPECT_EQ(dib.DIBPointer(), nullptr);
  EXPECT_EQ(dib.Width(), 0);

  // Swap exchanges whole pictures, geometry included.
  CDIB empty;
  const uint8_t* pixels = source.DIBPointer();
  source.Swap(empty);
  EXPECT_EQ(source.DIBPointer(), nullptr);
  EXPECT_EQ(source.Width(), 0);
  EXPECT_EQ(empty.DIBPointer(), pixels);
  EXPECT_EQ(empty.Width(), 5);
  EXPECT_EQ(empty.hDC()->bits, pixels);
  EXPECT_EQ(empty.DIBPointer()[1], 2);
}

}  // namespace
