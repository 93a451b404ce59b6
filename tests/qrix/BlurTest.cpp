#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>

#include "NeighbourhoodCheck.h"
#include "qrix.h"

namespace {

using neighbourhood_check::InteriorFn;
using neighbourhood_check::kDirections;
using neighbourhood_check::kSweepRanges;
using neighbourhood_check::neighbourhood3x3;
using neighbourhood_check::range;
using neighbourhood_check::SweepFn;
using neighbourhood_check::written;
using testing_support::PixelBuffer;
using testing_support::randomBuffer;

TEST(BlurSweep, WritesExactlyTheSweptBytesFromTheSourceOnly) {
  const std::pair<const char*, SweepFn> fns[] = {{"fastblur", dllfastblur},
                                                 {"gaussblur", dllgaussblur},
                                                 {"specialblur", dllspecialblur},
                                                 {"median", medianfiltering}};
  for (const auto& [name, fn] : fns)
    for (const auto& r : kSweepRanges) {
      const PixelBuffer src = randomBuffer(r.w, r.h, 7);
      const auto got = written(
          src.bytes.size(), [&](uint8_t* dst) { EXPECT_EQ(fn(src.data(), dst, src.size(), src.stride), 1); });
      EXPECT_EQ(got.mask, range(src.bytes.size(), r.first, r.end)) << name << " " << r.w << "x" << r.h;
    }
}

// A lone blue value 90 in an otherwise black picture spreads to the pixels whose 3 x 3
// neighbourhood holds it, across row ends and into the row padding.
TEST(BlurSweep, SpikeSpreadsAcrossRowEndsAndPadding) {
  {
    PixelBuffer src(4, 4);  // no padding: the spike is the last pixel of memory row 1
    src.mem(3, 1, 0) = 90;  // offset 21; offset 24 (row 2, first pixel) has it as left neighbour
    PixelBuffer box(4, 4), gauss(4, 4);
    dllfastblur(src.data(), box.data(), src.size(), src.stride);
    dllgaussblur(src.data(), gauss.data(), src.size(), src.stride);
    for (size_t i = 0; i < src.bytes.size(); ++i) {
      const bool hit = i == 18 || i == 21 || i == 24;
      EXPECT_EQ(box.bytes[i], hit ? 10 : 0) << i;
      EXPECT_EQ(gauss.bytes[i], i == 21 ? 22 : (hit ? 11 : 0)) << i;  // 4 * 90 >> 4, 2 * 90 >> 4
    }
  }
  {
    PixelBuffer src(3, 4);  // 3 padding bytes: the pad triple at 21 is walked like a pixel
    src.mem(2, 1, 0) = 90;  // offset 18
    PixelBuffer box(3, 4);
    dllfastblur(src.data(), box.data(), src.size(), src.stride);
    for (size_t i = 0; i < src.bytes.size(); ++i)
      EXPECT_EQ(box.bytes[i], (i == 15 || i == 18 || i == 21 || i == 27) ? 10 : 0) << i;
  }
}

TEST(BlurSweep, MedianTakesTheFifthOfNine) {
  const PixelBuffer src = neighbourhood3x3({10, 200, 10, 200, 200, 10, 200, 10, 200},  // four 10, five 200
                                           {200, 10, 10, 10, 200, 10, 200, 10, 200},   // five 10, four 200
                                           {9, 3, 7, 1, 8, 2, 6, 4, 5});
  PixelBuffer dst(3, 3);
  medianfiltering(src.data(), dst.data(), src.size(), src.stride);
  EXPECT_EQ(dst.bytes[15], 200);
  EXPECT_EQ(dst.bytes[16], 10);
  EXPECT_EQ(dst.bytes[17], 5);
}

// v = a + trunc(1.2 (a - centre)), written as min(255, |v|), with a the box average.
TEST(BlurSweep, SpecialBlurTruncatesMirrorsAndCaps) {
  struct Case {
    int32_t centre, others, expected;
  };
  const Case cases[] = {
      {11, 10, 9},    // a = 10: 1.2 * -1 truncates to -1, not -2
      {0, 10, 17},    // a = 8: 9.6 truncates to 9
      {255, 0, 244},  // a = 28: v = 28 - 272 = -244, mirrored
      {0, 255, 255},  // a = 226: v = 497, capped
      {40, 40, 40},
  };
  for (const auto& c : cases) {
    const int32_t o = c.others;
    const int32_t n[9] = {o, o, o, o, c.centre, o, o, o, o};
    const PixelBuffer src = neighbourhood3x3(n, n, n);
    PixelBuffer dst(3, 3);
    dllspecialblur(src.data(), dst.data(), src.size(), src.stride);
    for (int ch = 0; ch < 3; ++ch)
      EXPECT_EQ(dst.bytes[15 + ch], c.expected) << c.centre << " in " << c.others;
  }
}

TEST(BlurUniform, UnpaddedUniformPictureStaysUniformUnderEveryBlur) {
  for (const int32_t w : {4, 8})
    for (const int32_t h : {3, 5, 6}) {
      const PixelBuffer src = neighbourhood_check::uniform(w, h);
      for (SweepFn fn : {dllfastblur, dllgaussblur, dllspecialblur, medianfiltering}) {
        PixelBuffer dst = src;
        fn(src.data(), dst.data(), src.size(), src.stride);
        EXPECT_EQ(dst.bytes, src.bytes);
      }
      for (int32_t direction = 0; direction <= 9; ++direction)
        for (int32_t distance = 0; distance <= 4; ++distance) {
          PixelBuffer dst = src;
          dllmotionblur(src.data(), dst.data(), src.size(), src.stride, distance, direction);
          EXPECT_EQ(dst.bytes, src.bytes) << direction << " " << distance;
        }
      for (int32_t radius = 1; radius <= 4; ++radius) {
        PixelBuffer dst = src;
        dllfastblurplus(src.data(), dst.data(), src.size(), w, h, radius);
        EXPECT_EQ(dst.bytes, src.bytes) << radius;
      }
      for (InteriorFn fn : {DllBlurSoftly, DllBlurMore}) {
        PixelBuffer img = src;
        EXPECT_EQ(fn(img.data(), img.size(), img.stride, w, h), 1);
        EXPECT_EQ(img.bytes, src.bytes);
      }
    }
}

// One row of eight pixels, blue of pixel i = 10 i: the samples lie at triangular steps.
TEST(MotionBlur, SamplesAtTriangularStepsInsideTheBuffer) {
  PixelBuffer src(8, 1);  // stride 24, size 23: the last pixel (offset 21) is not walked
  for (int i = 0; i < 8; ++i) src.bytes[3 * i] = static_cast<uint8_t>(10 * i);
  const auto got = written(src.bytes.size(), [&](uint8_t* dst) {
    EXPECT_EQ(dllmotionblur(src.data(), dst, src.size(), src.stride, 3, 5), 1);
  });
  EXPECT_EQ(got.mask, range(24, 0, 21));
  // pixel 0: 0, 1, 3, 6; pixel 2: 2, 3, 5 (8 is outside); pixel 6: 6, 7 (7 counts as a sample)
  const int expected[7] = {25, 35, 33, 43, 53, 55, 65};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(got.result[3 * i], expected[i]) << i;
    EXPECT_EQ(got.result[3 * i + 1], 0);
  }
}

TEST(MotionBlur, EachDirectionStepsToItsNeighbour) {
  for (const auto& d : kDirections) {
    PixelBuffer src(4, 5);  // no padding, so pixels stay on the walk's triples
    src.mem(1, 2, 0) = 200;
    PixelBuffer dst(4, 5);
    dllmotionblur(src.data(), dst.data(), src.size(), src.stride, 1, d.direction);
    // Distance 1: each pixel averages itself and one step away; the spike shows in its own pixel
    // and in the one that steps onto it.
    for (int32_t row = 0; row < 5; ++row)
      for (int32_t x = 0; x < 4; ++x) {
        const bool hit = (x == 1 && row == 2) || (x == 1 - d.dx && row == 2 - d.drow);
        EXPECT_EQ(dst.mem(x, row, 0), hit ? 100 : 0)
            << "direction " << d.direction << " at " << x << "," << row;
      }
  }
}

TEST(MotionBlur, DistanceZeroOrBelowCopiesTheWalkedPixels) {
  for (const auto& s : neighbourhood_check::paddedShapes())
    for (const int32_t distance : {0, -1, -1000}) {
      const PixelBuffer src = randomBuffer(s.w, s.h, 3);
      const auto got = written(src.bytes.size(), [&](uint8_t* dst) {
        dllmotionblur(src.data(), dst, src.size(), src.stride, distance, 8);
      });
      // The flat walk: triples while offset < size - 2.
      const size_t end = 3 * static_cast<size_t>(src.size() / 3);
      EXPECT_EQ(got.mask, range(src.bytes.size(), 0, end)) << neighbourhood_check::describe(src);
      for (size_t i = 0; i < end; ++i) EXPECT_EQ(got.result[i], src.bytes[i]);
    }
}

// Grid pixel (x, y) at 3x + 3 * width * y; blue of grid pixel q = 5q on a 4 x 3 unpadded picture.
PixelBuffer gridRamp() {
  PixelBuffer b(4, 3);
  for (int q = 0; q < 12; ++q) b.bytes[3 * q] = static_cast<uint8_t>(5 * q);
  return b;
}

TEST(FastBlurPlus, BoxReachesOneMorePixelBackAndWrapsRows) {
  const PixelBuffer src = gridRamp();
  PixelBuffer dst = src;
  dllfastblurplus(src.data(), dst.data(), src.size(), 4, 3, 1);
  auto blue = [&](int x, int y) { return dst.bytes[3 * x + 12 * y]; };
  EXPECT_EQ(blue(0, 0), 0);   // alone
  EXPECT_EQ(blue(2, 0), 7);   // (5 + 10) / 2: the row before the first lies outside
  EXPECT_EQ(blue(0, 1), 11);  // (0 + 15 + 20) / 3: the left neighbour wraps to the end of row 0
  EXPECT_EQ(blue(2, 1), 17);  // (5 + 10 + 25 + 30) / 4
  EXPECT_EQ(blue(3, 1), 35);  // last column kept
  EXPECT_EQ(blue(1, 2), 45);  // last row kept

  dst = src;
  dllfastblurplus(src.data(), dst.data(), src.size(), 4, 3, 2);
  EXPECT_EQ(dst.bytes[0], 12);   // grid pixels 0 .. 5: (0 + 5 + ... + 25) / 6
  EXPECT_EQ(dst.bytes[18], 27);  // (2, 1): all twelve pixels, 330 / 12
}

TEST(FastBlurPlus, WritesTheGridNotTheStoredRows) {
  struct Case {
    int32_t w, h;
    std::vector<bool> mask;
  };
  std::vector<bool> padded = range(48, 0, 12), unpadded = range(36, 0, 9);
  for (size_t i = 15; i < 27; ++i) padded[i] = true;  // grid row 1 starts at byte 15, a pad byte
  for (size_t i = 12; i < 21; ++i) unpadded[i] = true;
  const Case cases[] = {{5, 3, padded}, {4, 3, unpadded}, {1, 4, range(16, 0, 0)}, {4, 1, range(12, 0, 0)}};
  for (const auto& c : cases)
    for (const int32_t radius : {1, 3}) {
      const PixelBuffer src = randomBuffer(c.w, c.h, 11);
      const auto got = written(src.bytes.size(), [&](uint8_t* dst) {
        EXPECT_EQ(dllfastblurplus(src.data(), dst, src.size(), c.w, c.h, radius), 1);
      });
      EXPECT_EQ(got.mask, c.mask) << c.w << "x" << c.h << " radius " << radius;
    }
}

TEST(FastBlurPlus, RadiusBelowOneWritesNothing) {
  const PixelBuffer src = randomBuffer(6, 4, 5);
  for (const int32_t radius : {0, -1, -50}) {
    const auto got = written(src.bytes.size(), [&](uint8_t* dst) {
      EXPECT_EQ(dllfastblurplus(src.data(), dst, src.size(), 6, 4, radius), 1);
    });
    EXPECT_EQ(got.mask, range(src.bytes.size(), 0, 0)) << radius;
  }
}

const int kSoftly[3][3] = {{1, 3, 1}, {3, 16, 3}, {1, 3, 1}};
const int kMore[5][5] = {
    {0, 1, 2, 1, 0}, {1, 4, 6, 4, 1}, {2, 6, 8, 6, 2}, {1, 4, 6, 4, 1}, {0, 1, 2, 1, 0},
};

// A spike of the kernel's divisor at each position shows that position's weight in the middle pixel
// of an N x N picture; nothing but the middle pixel is written.
template <size_t N>
void expectSpikeShowsWeights(InteriorFn fn, const int (&weights)[N][N], uint8_t divisor, int channel) {
  const int n = static_cast<int>(N);
  for (int i = 0; i < n * n; ++i) {
    PixelBuffer img(n, n);
    img.mem(i % n, i / n, channel) = divisor;
    PixelBuffer before = img;
    EXPECT_EQ(fn(img.data(), img.size(), img.stride, n, n), 1);
    before.mem(n / 2, n / 2, channel) = static_cast<uint8_t>(weights[i / n][i % n]);
    EXPECT_EQ(img.bytes, before.bytes) << N << " x " << N << " spike at " << i;
  }
}

TEST(InteriorBlur, SpikeShowsEachWeightInTheOnlyInteriorPixel) {
  expectSpikeShowsWeights(DllBlurSoftly, kSoftly, 32, 0);
  expectSpikeShowsWeights(DllBlurMore, kMore, 64, 1);
}

TEST(InteriorBlur, MatchesTheWeightTablesFromAnUnchangedCopy) {
  std::vector<neighbourhood_check::Shape> shapes = neighbourhood_check::paddedShapes();
  shapes.insert(shapes.end(), {{9, 7}, {10, 6}, {5, 5}, {4, 4}, {2, 9}, {9, 2}, {6, 4}});
  for (const auto& s : shapes) {
    const PixelBuffer src = randomBuffer(s.w, s.h, 21);
    PixelBuffer img = src;
    EXPECT_EQ(DllBlurSoftly(img.data(), img.size(), img.stride, s.w, s.h), 1);
    EXPECT_EQ(img.bytes, neighbourhood_check::interiorExpected(src.bytes, src.stride, s.w, s.h, kSoftly, 32))
        << neighbourhood_check::describe(src);
    img = src;
    EXPECT_EQ(DllBlurMore(img.data(), img.size(), img.stride, s.w, s.h), 1);
    EXPECT_EQ(img.bytes, neighbourhood_check::interiorExpected(src.bytes, src.stride, s.w, s.h, kMore, 64))
        << neighbourhood_check::describe(src);
  }
}

// Without padding the last interior pixel's lower-right neighbour ends in the buffer's last byte.
TEST(InteriorBlur, LastInteriorPixelReadsTheBuffersLastByte) {
  PixelBuffer img(4, 3);  // stride 12, size 35
  img.bytes[35] = 224;    // red of the last pixel
  EXPECT_EQ(DllBlurSoftly(img.data(), img.size(), img.stride, 4, 3), 1);
  EXPECT_EQ(img.mem(2, 1, 2), 7);  // 224 * 1 / 32
  EXPECT_EQ(img.mem(1, 1, 2), 0);
}

// The nine interior functions give up, untouched, when their working copy cannot be had. Run in a
// child process under an address-space limit; returns the child's exit code.
int allocationFailureChild() {
  const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
  setrlimit(RLIMIT_AS, &limit);
  PixelBuffer img(5, 5, 77);
  const int32_t claimed = 0x7ffffffe;  // a copy of 2 GiB cannot fit under the limit
  bool ok = dllEnhanceEdge(img.data(), claimed, 5, 5) == 0;
  for (InteriorFn fn : {DllEmbossColor, DllEmbossHighLight, DllBlurSoftly, DllBlurMore, DllSimpleSharpen,
                        DllSharpenMore, DllSharpenLess, DllUnSharpMask})
    ok = ok && fn(img.data(), claimed, img.stride, 5, 5) == 0;
  for (uint8_t b : img.bytes) ok = ok && b == 77;
  return ok ? 0 : 1;
}

TEST(InteriorShapeDeathTest, FailedAllocationReturnsZeroAndLeavesTheImage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator does not honour an address-space limit";
#endif
  EXPECT_EXIT(std::_Exit(allocationFailureChild()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
