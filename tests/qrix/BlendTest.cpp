#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <vector>

#include "PixelBuffer.h"
#include "qrix.h"

using testing_support::PixelBuffer;
using testing_support::randomBuffer;

namespace {

// Ring distance of pixel (row in memory order, column): how many steps in from the nearest edge.
int ringOf(const PixelBuffer& b, int row, int column) {
  return std::min(std::min(row, column), std::min(b.height - 1 - row, b.width - 1 - column));
}

bool guarded(const PixelBuffer& b, int row, int column) {
  const long offset = static_cast<long>(row) * b.stride + 3 * column;
  return offset > 0 && offset < b.size() - 2;
}

TEST(BlendFlatWalk, StopsBeforeLastIncompleteTripleAndLastByte) {
  // 10 bytes, size 9: triples at 0, 3 and 6 (6 < 7); bytes 9.. are never touched.
  const std::vector<std::function<void(uint8_t*, int32_t)>> calls = {
      [](uint8_t* p, int32_t s) { DllSetBkColor(p, s, 1, 2, 3); },
      [](uint8_t* p, int32_t s) { dllmixcolor(p, s, 100, 1, 2, 3); },
      [](uint8_t* p, int32_t s) {
        std::vector<uint8_t> pic(16, 9);
        dllmiximage(pic.data(), p, s, 0, 0, 0, -1, 0, 0, 0, 100);
      },
      [](uint8_t* p, int32_t s) {
        std::vector<uint8_t> src(16, 9);
        dllframeimage(src.data(), p, s, 0, 0, 0, 0);
      },
  };
  for (size_t f = 0; f < calls.size(); ++f) {
    std::vector<uint8_t> buf(16, 0xAA);
    calls[f](buf.data(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_NE(buf[i], 0xAA) << "function " << f << " byte " << i;
    for (int i = 9; i < 16; ++i) EXPECT_EQ(buf[i], 0xAA) << "function " << f << " byte " << i;
    for (int32_t tiny : {-5, 0, 1, 2}) {
      std::vector<uint8_t> small(16, 0xAA);
      calls[f](small.data(), tiny);
      EXPECT_EQ(small, std::vector<uint8_t>(16, 0xAA)) << "function " << f << " size " << tiny;
    }
  }
}

TEST(BlendMixColor, PercentExtremesByteOrderAndTruncation) {
  PixelBuffer img = randomBuffer(5, 3, 7);
  const PixelBuffer before = img;
  EXPECT_EQ(dllmixcolor(img.data(), img.size(), 0, 10, 20, 30), 1);
  EXPECT_EQ(img.bytes, before.bytes);

  dllmixcolor(img.data(), img.size(), 100, 10, 20, 30);
  EXPECT_EQ(img.mem(0, 0, 2), 10);
  EXPECT_EQ(img.mem(0, 0, 1), 20);
  EXPECT_EQ(img.mem(0, 0, 0), 30);

  PixelBuffer one(1, 1);
  one.mem(0, 0, 2) = 201;
  one.mem(0, 0, 1) = 0;
  one.mem(0, 0, 0) = 255;
  dllmixcolor(one.data(), one.size(), 50, 100, 255, 0);
  EXPECT_EQ(one.mem(0, 0, 2), 150);  // 150.5 truncated
  EXPECT_EQ(one.mem(0, 0, 1), 127);
  EXPECT_EQ(one.mem(0, 0, 0), 127);
}

TEST(BlendMixImage, UnkeyedAveragesAndKeyLeavesCloseColoursAlone) {
  PixelBuffer pic(2, 1), img(2, 1);
  pic.mem(0, 0, 0) = 100, pic.mem(0, 0, 1) = 101, pic.mem(0, 0, 2) = 0;
  img.mem(0, 0, 0) = 0, img.mem(0, 0, 1) = 0, img.mem(0, 0, 2) = 255;
  dllmiximage(pic.data(), img.data(), img.size(), 0, 0, 0, -1, 0, 0, 0, 50);
  EXPECT_EQ(img.mem(0, 0, 0), 50);
  EXPECT_EQ(img.mem(0, 0, 1), 50);  // 50.5 truncated
  EXPECT_EQ(img.mem(0, 0, 2), 127);

  // A black picture keyed on black with tolerance 0 changes nothing.
  PixelBuffer black(4, 3);
  PixelBuffer target = randomBuffer(4, 3, 3);
  const PixelBuffer before = target;
  dllmiximage(black.data(), target.data(), target.size(), 0, 0, 0, 0, 0, 0, 0, 50);
  EXPECT_EQ(target.bytes, before.bytes);

  // Tolerance 5 around key (red 50, green 60, blue 70): a difference of 5 is the key, 6 is not.
  // Each channel is compared against its own key component.
  struct Case {
    uint8_t b, g, r;
    bool blended;
  };
  for (const Case& c : {Case{70, 60, 55, false}, Case{70, 60, 56, true}, Case{70, 54, 50, true},
                        Case{65, 60, 50, false}, Case{76, 60, 50, true}}) {
    PixelBuffer p(1, 1), i(1, 1);
    p.mem(0, 0, 0) = c.b, p.mem(0, 0, 1) = c.g, p.mem(0, 0, 2) = c.r;
    dllmiximage(p.data(), i.data(), i.size(), 0, 0, 0, 50, 60, 70, 5, 100);
    EXPECT_EQ(i.mem(0, 0, 2), c.blended ? c.r : 0) << int(c.b) << "," << int(c.g) << "," << int(c.r);
  }
}

TEST(BlendFrameImage, CopiesOnlyPixelsAwayFromTheKey) {
  PixelBuffer src(3, 1), dst(3, 1, 7);
  // Pixel 0 is the key exactly, pixel 1 differs in red by tolerance + 1, pixel 2 by tolerance.
  const uint8_t key[3] = {10, 20, 30};  // blue, green, red
  for (int x = 0; x < 3; ++x)
    for (int c = 0; c < 3; ++c) src.mem(x, 0, c) = key[c];
  src.mem(1, 0, 2) = 33;
  src.mem(2, 0, 2) = 28;
  dllframeimage(src.data(), dst.data(), dst.size(), 30, 20, 10, 2);
  EXPECT_EQ(dst.mem(0, 0, 2), 7);
  EXPECT_EQ(dst.mem(1, 0, 2), 33);
  EXPECT_EQ(dst.mem(1, 0, 0), 10);
  EXPECT_EQ(dst.mem(2, 0, 2), 7);
}

TEST(BlendMixBorder, BandsBlendInOrderOverEarlierResults) {
  PixelBuffer frame(4, 4, 200), img(4, 4, 0);
  dllmixborder(frame.data(), img.data(), 0, 4, 4, img.stride, 2);
  const int expected[4][4] = {// memory rows, bottom first
                              {200, 200, 200, 200},
                              {200, 150, 100, 100},
                              {200, 100, 0, 100},
                              {200, 100, 100, 100}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(img.mem(c, r, ch), expected[r][c]) << r << "," << c;
}

TEST(BlendMixBorder, WeightsAdvanceIncrementally) {
  // First rows of a 10-deep border: w = 1, 0.9, 0.8, 0.7000000000000001, ... accumulated in doubles.
  PixelBuffer frame(30, 30, 0), img(30, 30, 100);
  dllmixborder(frame.data(), img.data(), 0, 30, 30, img.stride, 10);
  const int expected[10] = {0, 9, 19, 29, 39, 49, 59, 69, 79, 89};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(img.mem(15, k, 1), expected[k]) << "row " << k;
  // The innermost last row stays as it was.
  EXPECT_EQ(img.mem(15, 20, 1), 100);
}

TEST(BlendMixBorder, DepthOutsidePictureChangesNothing) {
  PixelBuffer frame(3, 5, 255);
  PixelBuffer img = randomBuffer(3, 5, 2);
  const PixelBuffer before = img;
  for (int32_t depth : {-1, 0, 4, 6, 100}) {
    EXPECT_EQ(dllmixborder(frame.data(), img.data(), 0, 3, 5, img.stride, depth), 1);
    EXPECT_EQ(img.bytes, before.bytes) << depth;
  }
  // The deepest allowed border stays inside the buffer.
  std::vector<uint8_t> framed(frame.bytes.size() + 16, 255), padded(frame.bytes.size() + 16, 0);
  dllmixborder(framed.data(), padded.data(), 0, 3, 5, frame.stride, 3);
  for (size_t i = frame.bytes.size(); i < padded.size(); ++i) EXPECT_EQ(padded[i], 0) << i;
}

TEST(BlendRamps, BrightnessColumnsAndRows) {
  PixelBuffer img(4, 2, 10);
  dllgradientbright(img.data(), 4, 2, img.stride, 1, 0, 100);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(img.mem(c, r, 1), 10 + 25 * (c + 1));

  // Start above end runs below the lower value: -25, -50, ... clamped at 0.
  PixelBuffer down(4, 1, 60);
  dllgradientbright(down.data(), 4, 1, down.stride, 1, 100, 0);
  EXPECT_EQ(down.mem(0, 0, 0), 35);
  EXPECT_EQ(down.mem(1, 0, 0), 10);
  EXPECT_EQ(down.mem(2, 0, 0), 0);
  EXPECT_EQ(down.mem(3, 0, 0), 0);

  // Rows use an integer step (100 / 3 = 33), in memory order, and clamp at 255.
  PixelBuffer rows(1, 3, 200);
  dllgradientbright(rows.data(), 1, 3, rows.stride, 0, 0, 100);
  EXPECT_EQ(rows.mem(0, 0, 2), 233);
  EXPECT_EQ(rows.mem(0, 1, 2), 255);
  PixelBuffer rowsLow(1, 3, 0);
  dllgradientbright(rowsLow.data(), 1, 3, rowsLow.stride, 0, 0, 100);
  EXPECT_EQ(rowsLow.mem(0, 2, 0), 99);
}

TEST(BlendRamps, ContrastAndExposal) {
  PixelBuffer img(2, 1);
  img.mem(0, 0, 0) = 200, img.mem(0, 0, 1) = 0, img.mem(0, 0, 2) = 128;
  img.mem(1, 0, 0) = 200, img.mem(1, 0, 1) = 0, img.mem(1, 0, 2) = 100;
  dllgradientcontrast(img.data(), 2, 1, img.stride, 1, 0, 256);  // factors 128, 256
  EXPECT_EQ(img.mem(0, 0, 0), 200);
  EXPECT_EQ(img.mem(0, 0, 1), 0);
  EXPECT_EQ(img.mem(0, 0, 2), 128);
  EXPECT_EQ(img.mem(1, 0, 0), 255);
  EXPECT_EQ(img.mem(1, 0, 1), 0);
  EXPECT_EQ(img.mem(1, 0, 2), 72);

  PixelBuffer exp(2, 1);
  exp.mem(0, 0, 0) = 128, exp.mem(0, 0, 1) = 100, exp.mem(0, 0, 2) = 127;
  exp.mem(1, 0, 0) = 255, exp.mem(1, 0, 1) = 100, exp.mem(1, 0, 2) = 0;
  dllgradientexposal(exp.data(), 2, 1, exp.stride, 1, 300, 0);  // levels -150, -300
  EXPECT_EQ(exp.mem(0, 0, 0), 128);
  EXPECT_EQ(exp.mem(0, 0, 1), 0);
  EXPECT_EQ(exp.mem(1, 0, 0), 255);
  PixelBuffer exp2(1, 1);
  exp2.mem(0, 0, 0) = 50, exp2.mem(0, 0, 1) = 130, exp2.mem(0, 0, 2) = 0;
  dllgradientexposal(exp2.data(), 1, 1, exp2.stride, 0, 0, 300);
  EXPECT_EQ(exp2.mem(0, 0, 0), 250);
  EXPECT_EQ(exp2.mem(0, 0, 1), 130);
  EXPECT_EQ(exp2.mem(0, 0, 2), 255);
}

TEST(BlendRamps, RowPaddingUntouchedAndEmptyPicturesSafe) {
  // Width 3: stride 12, three pad bytes per row.
  for (int flag : {0, 1}) {
    PixelBuffer img(3, 4, 0x55);
    dllgradientbright(img.data(), 3, 4, img.stride, flag, 0, 40);
    dllgradientrgb(img.data(), 3, 4, img.stride, flag, 0, 40, 0, 40, 0, 40);
    dllgradienthor(img.data(), 0, 3, 4, img.stride, 1, 2, 3, 4, 5, 6, 7, 8, 9, flag);
    dllgradientver(img.data(), 0, 3, 4, img.stride, 1, 2, 3, 4, 5, 6, 7, 8, 9, flag);
    dllgradientall(img.data(), 0, 3, 4, img.stride, 1, 2, 3, 4, 5, 6, 7, 8, 9);
    for (int r = 0; r < 4; ++r)
      for (int i = 9; i < 12; ++i) EXPECT_EQ(img.bytes[r * 12 + i], 0x55) << flag << " row " << r;
  }
  // A zero count must not divide by zero nor write anything.
  uint8_t byte = 0x33;
  EXPECT_EQ(dllgradientbright(&byte, 3, 0, 12, 0, 0, 10), 1);
  EXPECT_EQ(dllgradientcontrast(&byte, 0, 3, 0, 1, 0, 10), 1);
  EXPECT_EQ(dllgradientexposal(&byte, 3, 0, 12, 0, 0, 10), 1);
  EXPECT_EQ(dllgradientrgb(&byte, 3, 0, 12, 0, 0, 9, 0, 9, 0, 9), 1);
  EXPECT_EQ(dllgradientrgb(&byte, 0, 3, 0, 1, 0, 9, 0, 9, 0, 9), 1);
  EXPECT_EQ(byte, 0x33);
}

TEST(BlendRamps, PerChannelOffsetsAccumulate) {
  PixelBuffer img(3, 2, 100);
  // red 0 -> 30 (step 10), green 30 -> 0 (step -10), blue 0 -> 2 (2 / 3 = 0).
  dllgradientrgb(img.data(), 3, 2, img.stride, 1, 0, 30, 30, 0, 0, 2);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(img.mem(c, r, 2), 100 + 10 * (c + 1));
      EXPECT_EQ(img.mem(c, r, 1), 100 - 10 * (c + 1));
      EXPECT_EQ(img.mem(c, r, 0), 100);
    }
  PixelBuffer rows(1, 2, 250);
  dllgradientrgb(rows.data(), 1, 2, rows.stride, 0, 0, 20, 0, 0, 20, 0);
  EXPECT_EQ(rows.mem(0, 0, 2), 255);
  EXPECT_EQ(rows.mem(0, 0, 0), 240);
  EXPECT_EQ(rows.mem(0, 1, 0), 230);
}

TEST(BlendThreeColour, ColumnsRowsMirrorAndWholePicture) {
  auto pixel = [](const PixelBuffer& b, int col, int row) {
    return std::vector<int>{b.bytes[row * b.stride + 3 * col + 2], b.bytes[row * b.stride + 3 * col + 1],
                            b.bytes[row * b.stride + 3 * col]};
  };
  using V = std::vector<int>;
  // A = red 200, B = green 200, C = blue 200; results listed as red, green, blue.
  PixelBuffer hor(3, 2);
  dllgradienthor(hor.data(), 0, 3, 2, hor.stride, 200, 0, 0, 0, 200, 0, 0, 0, 200, 0);
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(pixel(hor, 0, r), (V{200, 0, 0}));
    EXPECT_EQ(pixel(hor, 1, r), (V{133, 44, 22}));
    EXPECT_EQ(pixel(hor, 2, r), (V{66, 44, 88}));
  }

  PixelBuffer mirror(5, 1);
  dllgradienthor(mirror.data(), 0, 5, 1, mirror.stride, 200, 0, 0, 0, 200, 0, 0, 0, 200, 1);
  EXPECT_EQ(pixel(mirror, 0, 0), (V{200, 0, 0}));
  EXPECT_EQ(pixel(mirror, 1, 0), (V{120, 48, 32}));
  EXPECT_EQ(pixel(mirror, 2, 0), (V{39, 31, 128}));
  EXPECT_EQ(pixel(mirror, 3, 0), (V{120, 48, 32}));
  EXPECT_EQ(pixel(mirror, 4, 0), (V{200, 0, 0}));

  // Rows in memory order: the bottom row gets colour A.
  PixelBuffer ver(2, 5);
  dllgradientver(ver.data(), 0, 2, 5, ver.stride, 200, 0, 0, 0, 200, 0, 0, 0, 200, 1);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(pixel(ver, c, 0), (V{200, 0, 0}));
    EXPECT_EQ(pixel(ver, c, 2), (V{39, 31, 128}));
    EXPECT_EQ(pixel(ver, c, 4), (V{200, 0, 0}));
  }

  PixelBuffer all(2, 2);
  dllgradientall(all.data(), 0, 2, 2, all.stride, 200, 0, 0, 0, 200, 0, 0, 0, 200);
  EXPECT_EQ(pixel(all, 0, 0), (V{200, 0, 0}));
  EXPECT_EQ(pixel(all, 1, 0), (V{150, 37, 12}));
  EXPECT_EQ(pixel(all, 0, 1), (V{100, 50, 50}));
  EXPECT_EQ(pixel(all, 1, 1), (V{50, 37, 112}));

  // Equal colours give that colour up to truncation; components above 255 keep their low byte.
  PixelBuffer same = randomBuffer(7, 3, 5);
  dllgradienthor(same.data(), 0, 7, 3, same.stride, 90, 90, 90, 90, 90, 90, 90, 90, 90, 0);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 7; ++c) EXPECT_NEAR(same.mem(c, r, 0), 90, 1);
  PixelBuffer wide(1, 1);
  dllgradienthor(wide.data(), 0, 1, 1, wide.stride, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(wide.mem(0, 0, 2), 300 & 0xff);
}

TEST(BlendFrameColor, StripsAndOversizedCounts) {
  PixelBuffer img = randomBuffer(5, 4, 9);
  const PixelBuffer before = img;
  dllframecolor(img.data(), 0, 5, 4, img.stride, 0, 0, 0, 0, 1, 2, 3);
  EXPECT_EQ(img.bytes, before.bytes);

  PixelBuffer f(5, 4);
  dllframecolor(f.data(), 0, 5, 4, f.stride, 1, 0, 0, 2, 10, 20, 30);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) {
      const bool painted = r == 0 || c >= 3;
      EXPECT_EQ(f.mem(c, r, 2), painted ? 10 : 0) << r << "," << c;
      EXPECT_EQ(f.mem(c, r, 0), painted ? 30 : 0) << r << "," << c;
    }
  PixelBuffer top(2, 3);
  dllframecolor(top.data(), 0, 2, 3, top.stride, 0, 1, 1, 0, 10, 20, 30);
  EXPECT_EQ(top.mem(1, 2, 1), 20);
  EXPECT_EQ(top.mem(0, 0, 1), 20);
  EXPECT_EQ(top.mem(1, 1, 1), 0);

  // Counts beyond the picture paint it all and nothing past it.
  std::vector<uint8_t> buf(f.bytes.size() + 32, 0);
  dllframecolor(buf.data(), 0, 5, 4, f.stride, 9, 9, 9, 9, 1, 1, 1);
  for (size_t i = f.bytes.size(); i < buf.size(); ++i) EXPECT_EQ(buf[i], 0) << i;
}

TEST(BlendFrames, EveryRingPixelPaintedExactlyOnce) {
  // With amount 1 on every side, a pixel painted twice would read 2; deep frames (past the middle
  // of the picture) must neither double-paint nor reach row padding or pixels of other rows.
  for (int w = 1; w <= 9; ++w)
    for (int h = 1; h <= 9; ++h)
      for (int depth = 0; depth <= 11; ++depth) {
        PixelBuffer img(w, h);
        std::vector<uint8_t> backing(img.bytes.size() + 16, 0);
        dllbeveler(backing.data(), img.size(), w, h, img.stride, 1, 1, 1, 1, depth);
        std::copy(backing.begin(), backing.begin() + img.bytes.size(), img.bytes.begin());
        for (size_t i = img.bytes.size(); i < backing.size(); ++i) ASSERT_EQ(backing[i], 0);
        for (int r = 0; r < h; ++r) {
          for (int i = 3 * w; i < img.stride; ++i)
            ASSERT_EQ(img.bytes[r * img.stride + i], 0) << w << "x" << h << " depth " << depth;
          for (int c = 0; c < w; ++c) {
            const int expected = guarded(img, r, c) && ringOf(img, r, c) < depth ? 1 : 0;
            ASSERT_EQ(img.mem(c, r, 1), expected)
                << w << "x" << h << " depth " << depth << " at " << r << "," << c;
          }
        }
      }
}

TEST(BlendFrames, BandsTakeTheirSidesAmountAndSkipGuardedPixels) {
  // Width 4 has no row padding, so the top-right pixel ends at the last triple and is skipped too.
  PixelBuffer img(4, 4, 100);
  dllbeveler(img.data(), img.size(), 4, 4, img.stride, 1, 2, 3, 4, 1);
  EXPECT_EQ(img.mem(0, 0, 0), 100);  // first pixel of the buffer
  EXPECT_EQ(img.mem(3, 3, 0), 100);  // last pixel
  EXPECT_EQ(img.mem(1, 0, 0), 103);  // bottom band
  EXPECT_EQ(img.mem(3, 0, 0), 103);  // bottom-right corner belongs to the bottom band
  EXPECT_EQ(img.mem(0, 1, 0), 101);  // left band
  EXPECT_EQ(img.mem(0, 3, 0), 101);  // top-left corner belongs to the left band
  EXPECT_EQ(img.mem(1, 3, 0), 104);  // top band
  EXPECT_EQ(img.mem(3, 1, 0), 102);  // right band
  EXPECT_EQ(img.mem(1, 1, 0), 100);  // inside
  PixelBuffer clamp(3, 3, 250);
  dllbeveler(clamp.data(), clamp.size(), 3, 3, clamp.stride, -300, 9, 9, 9, 1);
  EXPECT_EQ(clamp.mem(0, 1, 2), 0);
  EXPECT_EQ(clamp.mem(1, 0, 2), 255);
}

TEST(BlendFrames, StepValuesAdvanceInward) {
  PixelBuffer bright(6, 6, 100);
  dllframebright(bright.data(), bright.size(), 6, 6, bright.stride, 50, 0, 2);
  EXPECT_EQ(bright.mem(2, 0, 0), 150);
  EXPECT_EQ(bright.mem(2, 1, 0), 175);
  EXPECT_EQ(bright.mem(2, 5, 0), 150);
  EXPECT_EQ(bright.mem(4, 2, 0), 175);
  EXPECT_EQ(bright.mem(2, 2, 0), 100);
  PixelBuffer clamp(4, 4, 250);
  dllframebright(clamp.data(), clamp.size(), 4, 4, clamp.stride, 10, 10, 1);
  EXPECT_EQ(clamp.mem(1, 0, 0), 255);

  // Weight of the outer colour 1, 0.6666666666666667, 0.33333333333333337 (accumulated).
  PixelBuffer mix(7, 7, 9);
  dllframemix(mix.data(), mix.size(), 7, 7, mix.stride, 0, 0, 0, 255, 255, 255, 3);
  EXPECT_EQ(mix.mem(3, 0, 2), 0);
  EXPECT_EQ(mix.mem(3, 1, 2), 84);
  EXPECT_EQ(mix.mem(3, 2, 2), 169);
  EXPECT_EQ(mix.mem(3, 3, 2), 9);

  PixelBuffer con(5, 5);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) con.mem(c, r, 0) = 200, con.mem(c, r, 1) = 0, con.mem(c, r, 2) = 128;
  dllframecontrast(con.data(), con.size(), 5, 5, con.stride, 128, 0, 2);  // factors 128, 64
  EXPECT_EQ(con.mem(2, 0, 0), 200);
  EXPECT_EQ(con.mem(2, 1, 0), 164);
  EXPECT_EQ(con.mem(2, 1, 1), 64);
  EXPECT_EQ(con.mem(2, 1, 2), 128);

  PixelBuffer exp(5, 5);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) exp.mem(c, r, 0) = 100, exp.mem(c, r, 1) = 127, exp.mem(c, r, 2) = 200;
  dllframeexposal(exp.data(), exp.size(), 5, 5, exp.stride, 255, 0, 2);  // levels 255, 127.5
  EXPECT_EQ(exp.mem(2, 0, 0), 155);
  EXPECT_EQ(exp.mem(2, 0, 2), 200);
  EXPECT_EQ(exp.mem(2, 1, 0), 27);
  EXPECT_EQ(exp.mem(2, 1, 1), 0);
}

// The library's generator, reproduced: x = x * 214013 + 2531011, value (x >> 16) & 0x7fff.
struct Lcg {
  uint32_t x;
  int step(int n) {
    x = x * 214013u + 2531011u;
    const int v = static_cast<int>((x >> 16) & 0x7fff) % n + 1;
    return v > n ? n : v;
  }
};

// Band pixels of a frame in drawing order: top, bottom, left, right.
std::vector<std::pair<int, int>> bandOrder(int w, int h, int depth, std::vector<int>* steps) {
  std::vector<std::pair<int, int>> out;  // (row, column)
  auto add = [&](int r, int c, int k) {
    out.push_back({r, c});
    steps->push_back(k);
  };
  for (int k = 0; k < depth; ++k)
    for (int c = k + 1; c <= w - 1 - k; ++c) add(h - 1 - k, c, k);
  for (int k = 0; k < depth; ++k)
    for (int c = k; c <= w - 1 - k; ++c) add(k, c, k);
  for (int k = 0; k < depth; ++k)
    for (int r = k + 1; r <= h - 1 - k; ++r) add(r, k, k);
  for (int k = 0; k < depth; ++k)
    for (int r = k + 1; r <= h - 2 - k; ++r) add(r, w - 1 - k, k);
  return out;
}

TEST(BlendFrameNoise, DrawsOneStepPerBandPixelFromTheClock) {
  const int w = 9, h = 7, depth = 2;
  std::vector<int> steps;
  const auto order = bandOrder(w, h, depth, &steps);
  for (int attempt = 0; attempt < 3; ++attempt) {
    PixelBuffer img(w, h);
    const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
    dllframenoise(img.data(), img.size(), w, h, img.stride, 10, 20, 30, 60, depth);
    const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
    bool matched = false;
    for (uint32_t seed = before; seed <= after && !matched; ++seed) {
      PixelBuffer expected(w, h);
      Lcg g{seed};
      for (size_t i = 0; i < order.size(); ++i) {
        const int draw = g.step(100);  // drawn even for the guarded first pixel
        const double p = 60 * (1.0 - steps[i] / 2.0);
        if (draw < p && guarded(expected, order[i].first, order[i].second)) {
          expected.mem(order[i].second, order[i].first, 2) = 10;
          expected.mem(order[i].second, order[i].first, 1) = 20;
          expected.mem(order[i].second, order[i].first, 0) = 30;
        }
      }
      matched = expected.bytes == img.bytes;
    }
    EXPECT_TRUE(matched) << "attempt " << attempt;
  }
  PixelBuffer none(5, 5, 7);
  dllframenoise(none.data(), none.size(), 5, 5, none.stride, 0, 0, 0, 0, 3);
  EXPECT_EQ(none.bytes, PixelBuffer(5, 5, 7).bytes);
}

}  // namespace
