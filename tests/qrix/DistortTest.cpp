#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

#include "PixelBuffer.h"
#include "qrix.h"

namespace {

using testing_support::PixelBuffer;
using testing_support::randomBuffer;
using Bytes = std::vector<uint8_t>;
using Where = std::pair<int, int>;  // (memory row, column) of the source pixel; {-1, -1}: kept
constexpr Where K{-1, -1};

constexpr uint8_t kFill = 7;

// Checks every pixel of a resampler's destination against the source pixel it should hold.
void expectPixels(const PixelBuffer& src, PixelBuffer& dst, const std::vector<std::vector<Where>>& rows) {
  for (int r = 0; r < dst.height; ++r)
    for (int x = 0; x < dst.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const auto [sr, sx] = rows[r][x];
        const uint8_t want = sr < 0 ? kFill : src.bytes[sr * src.stride + 3 * sx + c];
        EXPECT_EQ(dst.mem(x, r, c), want) << "row " << r << " column " << x;
      }
}

TEST(Distort, FlipHorMirrorsRowsOfTheUnpaddedGrid) {
  Bytes src(18), dst(20, kFill);
  std::iota(src.begin(), src.end(), 0);
  EXPECT_EQ(dllfliphor(dst.data(), src.data(), 3, 2), 1);
  EXPECT_EQ(dst, (Bytes{6, 7, 8, 3, 4, 5, 0, 1, 2, 15, 16, 17, 12, 13, 14, 9, 10, 11, kFill, kFill}));
  Bytes one(12, kFill);
  dllfliphor(one.data(), src.data(), 1, 3);
  EXPECT_EQ(one, (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, kFill, kFill, kFill}));
  Bytes none(12, kFill);
  dllfliphor(none.data(), src.data(), 3, 0);
  EXPECT_EQ(none, Bytes(12, kFill));
}

TEST(Distort, BlindsDarkenEachBandByItsPhase) {
  // Grid rows of width 2 are 6 bytes apart; bytes past the grid stay as they were.
  auto bandValues = [](int width, int height, int n, int reverse, int direction, int style) {
    Bytes img(3 * width * height + 6, 200);
    dllblinds(img.data(), width, height, n, reverse, direction, style);
    for (size_t i = 3 * width * height; i < img.size(); ++i) EXPECT_EQ(img[i], 200);
    std::vector<int> out;
    const int bands = direction ? height : width;
    for (int b = 0; b < bands; ++b) {
      const int first = direction ? 3 * b * width : 3 * b;
      const int last = direction ? first + 3 * (width - 1) : first + 3 * width * (height - 1);
      EXPECT_EQ(img[first], img[last + 2]) << "band " << b << " is not uniform";
      out.push_back(img[first]);
    }
    return out;
  };
  EXPECT_EQ(bandValues(2, 5, 4, 0, 1, 0), (std::vector<int>{200, 150, 100, 50, 200}));
  EXPECT_EQ(bandValues(2, 5, 4, 1, 1, 0), (std::vector<int>{0, 50, 100, 150, 0}));
  EXPECT_EQ(bandValues(5, 2, 4, 0, 0, 0), (std::vector<int>{200, 150, 100, 50, 200}));
  const std::vector<int> triangle = {200, 120, 40, 0, 40, 120, 200, 120};  // phases 0 2 4 6 4 2 0 2
  EXPECT_EQ(bandValues(2, 8, 5, 0, 1, 1), triangle);
  EXPECT_EQ(bandValues(2, 8, 5, 1, 1, 1), triangle);
  EXPECT_EQ(bandValues(2, 3, 0, 0, 1, 0), (std::vector<int>{200, 200, 200}));  // no division by zero
}

TEST(Distort, ResamplersLeaveTheDestinationForPercentsOfZeroOrBelow) {
  const PixelBuffer src = randomBuffer(5, 4, 3);
  for (int percent : {0, -20}) {
    PixelBuffer dst(5, 4, kFill);
    const PixelBuffer before = dst;
    EXPECT_EQ(dllparallel(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), percent, 1, 1), 1);
    EXPECT_EQ(dllparallel(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), percent, 0, 0), 1);
    EXPECT_EQ(dlltrapezia(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), percent, 1, 0), 1);
    EXPECT_EQ(dlltrapezia(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), percent, 0, 1), 1);
    EXPECT_EQ(dllpentagon(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), percent, 100, 100), 1);
    EXPECT_EQ(dllpentagon(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), 100, percent, 100), 1);
    EXPECT_EQ(dllpentagon(src.data(), dst.data(), 5, 4, dst.stride, dst.size(), 100, 100, percent), 1);
    EXPECT_EQ(dst.bytes, before.bytes);
  }
}

TEST(Distort, ParallelRowsShiftByTheAccumulatedStep) {
  // Width 4 (no padding), side 1, percent 100: row r moves right by r + 1. Column 4 still passes
  // 3m <= stride and lands on the next row's first pixel; the first source pixel is never read.
  const PixelBuffer src = randomBuffer(4, 4, 5);
  PixelBuffer dst(4, 4, kFill);
  dllparallel(src.data(), dst.data(), 4, 4, dst.stride, dst.size(), 100, 1, 1);
  expectPixels(src, dst,
               {{K, K, {0, 1}, {0, 2}},  //
                {{0, 3}, K, {1, 0}, {1, 1}},
                {{1, 2}, K, K, {2, 0}},
                {{2, 1}, K, K, K}});
  // Width 2, height 6: six steps of 1/3 add up to 1.9999999999999998, so the top row moves by
  // one column, where 6 / 3 would have moved it by two (and out of the buffer).
  PixelBuffer narrow = randomBuffer(2, 6, 6);
  PixelBuffer out(2, 6, kFill);
  dllparallel(narrow.data(), out.data(), 2, 6, out.stride, out.size(), 100, 1, 1);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(out.mem(1, 5, c), narrow.mem(0, 5, c));
  // Below it, row 4's column 2 (3m = stride) spilled over the padding into the blue byte only.
  EXPECT_EQ(out.mem(0, 5, 0), narrow.mem(1, 4, 2));
  EXPECT_EQ(out.mem(0, 5, 1), kFill);
}

TEST(Distort, ParallelColumnsDropRowsBeyondTheSource) {
  // Width 3, height 4, percent 50, side 1: hf = 2, offsets 2/3, 4/3, 2 per column; source row 2j.
  const PixelBuffer src = randomBuffer(3, 4, 7);
  PixelBuffer dst(3, 4, kFill);
  dllparallel(src.data(), dst.data(), 3, 4, dst.stride, dst.size(), 50, 0, 1);
  expectPixels(src, dst,
               {{K, K, K},  //
                {{2, 0}, {0, 1}, K},
                {K, {2, 1}, {0, 2}},
                {K, K, {2, 2}}});
}

TEST(Distort, TrapeziaSqueezesRowsAndColumns) {
  // Percent 100, side 0, even width: a copy, but for the first pixel and, without row padding,
  // the last one (the guard wants the address below size - 2).
  for (int width : {2, 4}) {
    const PixelBuffer src = randomBuffer(width, 3, 8);
    PixelBuffer dst(width, 3, kFill);
    dlltrapezia(src.data(), dst.data(), width, 3, dst.stride, dst.size(), 100, 1, 0);
    std::vector<std::vector<Where>> all(3);
    for (int r = 0; r < 3; ++r)
      for (int x = 0; x < width; ++x) all[r].push_back({r, x});
    all[0][0] = K;
    if (width == 4) all[2][3] = K;
    expectPixels(src, dst, all);
  }
  // Width 5, percent 60, side 1: wf = 3, L0 = 2.5 - 1 = 1.5. Left edges 0.5, 1, 1.5 and lengths
  // 13/3, 11/3, 3 over the three rows.
  const PixelBuffer src = randomBuffer(5, 3, 9);
  PixelBuffer dst(5, 3, kFill);
  dlltrapezia(src.data(), dst.data(), 5, 3, dst.stride, dst.size(), 60, 1, 1);
  expectPixels(src, dst,
               {{K, {0, 1}, {0, 2}, {0, 3}, {0, 4}},  //
                {K, {1, 0}, {1, 1}, {1, 2}, {1, 4}},
                {K, {2, 0}, {2, 1}, {2, 3}, K}});
  // Columns, width 2, height 4, percent 50, side 1: tops 0.5, 1 and lengths 3, 2.
  const PixelBuffer tall = randomBuffer(2, 4, 10);
  PixelBuffer out(2, 4, kFill);
  dlltrapezia(tall.data(), out.data(), 2, 4, out.stride, out.size(), 50, 0, 1);
  expectPixels(tall, out, {{K, K}, {{1, 0}, {0, 1}}, {{2, 0}, {2, 1}}, {K, K}});
}

TEST(Distort, PentagonWidensToTheMiddleRowAndNarrowsAfter) {
  // 4 x 4 at 50 %: lengths 3, 4 up to the middle row 2, then 3, 2; left edges 0.5, 0, 0.5, 1.
  const PixelBuffer src = randomBuffer(4, 4, 11);
  PixelBuffer dst(4, 4, kFill);
  dllpentagon(src.data(), dst.data(), 4, 4, dst.stride, dst.size(), 50, 50, 50);
  expectPixels(src, dst,
               {{K, {0, 1}, {0, 2}, K},  //
                {{1, 0}, {1, 1}, {1, 2}, {1, 3}},
                {{2, 0}, {2, 1}, {2, 2}, K},
                {K, {3, 0}, {3, 2}, K}});
}

// A middle row between two rows: rows 0 and 1 lie below 1.5 and widen, and the one row left narrows,
// its left edge stepping by (width / 2 - bottom / 2) / (height - middle) = 1 / 1.5, not by 1 / (rows
// left). 4 x 3 at 50 %: top 2, bottom 2. Row 0: left 1 - 2/3 = 1/3, length 2 + 4/3 = 10/3, source
// column trunc(1.2 j). Row 1: left -1/3, length 14/3, source column trunc(6 j / 7). Row 2: left 2/3,
// length 14/3 - 8/3 = 2, source columns 0 and 2 into columns 0 and 1.
TEST(Distort, PentagonNarrowsOverTheHeightAfterTheMiddleRow) {
  const PixelBuffer src = randomBuffer(4, 3, 12);
  PixelBuffer dst(4, 3, kFill);
  dllpentagon(src.data(), dst.data(), 4, 3, dst.stride, dst.size(), 50, 50, 50);
  expectPixels(src, dst,
               {{K, {0, 1}, {0, 2}, {0, 3}},  //
                {{1, 0}, {1, 1}, {1, 2}, {1, 3}},
                {{2, 0}, {2, 2}, K, K}});
}

}  // namespace
