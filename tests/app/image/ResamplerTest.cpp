// The separable resampler: exact weights, averages and ramps with known
// bytes, and pictures one pixel wide or high (no access outside the buffers;
// run under the sanitizer build).
#include <gtest/gtest.h>

#include <numeric>
#include <utility>

#include "../filters/OperationTestSupport.h"
#include "Resampler.h"

using namespace orvane;
using optest::at;
using optest::randomPicture;

namespace {

void fill(CDIB& image, uint8_t b, uint8_t g, uint8_t r) {
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x)
      at(image, x, y, 0) = b, at(image, x, y, 1) = g, at(image, x, y, 2) = r;
}

// Resamples from into a fresh w x h picture.
void resampled(CDIB& from, CDIB& to, int32_t w, int32_t h) {
  ASSERT_TRUE(to.Create(w, h));
  ASSERT_TRUE(Resample(*from.hDC(), *to.hDC()));
}

}  // namespace

TEST(Resampler, WeightsOfEveryOutputSumToOneWithinTheSource) {
  for (int32_t n : {1, 2, 3, 7, 100, 4001})
    for (int32_t m : {1, 2, 3, 5, 8, 99, 333, 8002}) {
      const ResampleAxis axis = ResampleAxis::build(n, m);
      ASSERT_EQ(axis.first.size(), static_cast<size_t>(m));
      for (int32_t k = 0; k < m; ++k) {
        const int32_t b = axis.begin[k], e = axis.begin[k + 1];
        ASSERT_GT(e, b);
        EXPECT_EQ(std::accumulate(axis.weights.begin() + b, axis.weights.begin() + e, 0), ResampleAxis::kOne)
            << n << " to " << m << " at " << k;
        EXPECT_GE(axis.first[k], 0);
        EXPECT_LE(axis.first[k] + (e - b), n) << n << " to " << m << " at " << k;
        for (int32_t i = b; i < e; ++i) EXPECT_GE(axis.weights[i], 0);
      }
    }
}

TEST(Resampler, UniformPicturesStayUniformAtAnySize) {
  CDIB source, target;
  source.Create(9, 7);
  fill(source, 40, 120, 255);
  for (auto [w, h] :
       {std::pair{3, 2}, std::pair{20, 15}, std::pair{4, 30}, std::pair{25, 2}, std::pair{1, 1}}) {
    resampled(source, target, w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(at(target, x, y, 0), 40) << w << "x" << h;
        ASSERT_EQ(at(target, x, y, 1), 120);
        ASSERT_EQ(at(target, x, y, 2), 255);
      }
  }
}

TEST(Resampler, HalvingAveragesEachTwoByTwoBlockRoundingHalvesUp) {
  CDIB source, target;
  randomPicture(source, 6, 4, 11);
  at(source, 0, 0, 0) = 0, at(source, 1, 0, 0) = 0, at(source, 0, 1, 0) = 1, at(source, 1, 1, 0) = 1;  // 0.5
  at(source, 2, 0, 0) = 255, at(source, 3, 0, 0) = 254, at(source, 2, 1, 0) = 0, at(source, 3, 1, 0) = 0;
  resampled(source, target, 3, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x)
      for (int32_t c = 0; c < 3; ++c) {
        const int sum = at(source, 2 * x, 2 * y, c) + at(source, 2 * x + 1, 2 * y, c) +
                        at(source, 2 * x, 2 * y + 1, c) + at(source, 2 * x + 1, 2 * y + 1, c);
        EXPECT_EQ(at(target, x, y, c), (sum + 2) / 4) << x << "," << y << " byte " << c;
      }
  EXPECT_EQ(at(target, 0, 0, 0), 1);
  EXPECT_EQ(at(target, 1, 0, 0), 127);
}

TEST(Resampler, HalvingOnEveryRowPaddingAndAlongOneAxis) {
  for (int32_t w = 1; w <= 9; ++w)
    for (int32_t h : {1, 2, 5}) {
      CDIB source, both, across, along;
      randomPicture(source, 2 * w, 2 * h, static_cast<uint32_t>(w * 10 + h));
      resampled(source, both, w, h);
      // One axis halved and the other kept weighs the same pairs.
      resampled(source, across, w, 2 * h);
      resampled(source, along, 2 * w, h);
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
          for (int32_t c = 0; c < 3; ++c) {
            const int a = at(source, 2 * x, 2 * y, c), b = at(source, 2 * x + 1, 2 * y, c);
            const int d = at(source, 2 * x, 2 * y + 1, c), e = at(source, 2 * x + 1, 2 * y + 1, c);
            ASSERT_EQ(at(both, x, y, c), (a + b + d + e + 2) / 4) << w << "x" << h << " at " << x << "," << y;
            ASSERT_EQ(at(across, x, 2 * y, c), (a + b + 1) / 2);
            ASSERT_EQ(at(along, 2 * x, y, c), (a + d + 1) / 2);
          }
    }
}

TEST(Resampler, SameSizeKeepsEveryByteAndOneAxisMayStay) {
  CDIB source, target;
  randomPicture(source, 7, 5, 3);
  resampled(source, target, 7, 5);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 7; ++x)
      for (int32_t c = 0; c < 3; ++c) ASSERT_EQ(at(target, x, y, c), at(source, x, y, c));
  // Only the rows halve: each column keeps its own pixels.
  randomPicture(source, 5, 6, 4);
  resampled(source, target, 5, 3);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x)
      EXPECT_EQ(at(target, x, y, 1), (at(source, x, 2 * y, 1) + at(source, x, 2 * y + 1, 1) + 1) / 2);
}

TEST(Resampler, EnlargingInterpolatesBetweenPixelCentres) {
  CDIB source, target;
  source.Create(2, 1);
  at(source, 1, 0, 0) = at(source, 1, 0, 1) = at(source, 1, 0, 2) = 255;
  resampled(source, target, 8, 1);
  const uint8_t want[8] = {0, 0, 32, 96, 159, 223, 255, 255};
  for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(at(target, x, 0, 2), want[x]) << x;
  // The same ramp standing up, enlarged along the rows and reduced across.
  source.Create(2, 2);
  at(source, 0, 1, 0) = at(source, 1, 1, 0) = 255;
  resampled(source, target, 1, 8);
  for (int32_t y = 0; y < 8; ++y) EXPECT_EQ(at(target, 0, y, 0), want[y]) << y;
}

TEST(Resampler, EnlargingByARatioThatIsNoPowerOfTwoRoundsItsWeights) {
  // 2 -> 5 puts the centres at -0.3, 0.1, 0.5, 0.9 and 1.3 source pixels: the
  // weights are not exact binary fractions, and truncating them shows.
  CDIB source, target;
  source.Create(2, 1);
  at(source, 1, 0, 0) = at(source, 1, 0, 1) = at(source, 1, 0, 2) = 255;
  resampled(source, target, 5, 1);
  const uint8_t want[5] = {0, 25, 128, 230, 255};
  for (int32_t x = 0; x < 5; ++x)
    for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(at(target, x, 0, c), want[x]) << x << " " << c;
}

TEST(Resampler, OnePixelWideOrHighPictures) {
  CDIB source, target;
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 7}, std::pair{7, 1}}) {
    randomPicture(source, w, h, 5);
    for (auto [tw, th] :
         {std::pair{1, 1}, std::pair{5, 3}, std::pair{1, 9}, std::pair{9, 1}, std::pair{2, 2}}) {
      resampled(source, target, tw, th);
      if (w == 1 && h == 1) {
        for (int32_t y = 0; y < th; ++y) {
          for (int32_t x = 0; x < tw; ++x) ASSERT_EQ(at(target, x, y, 2), at(source, 0, 0, 2));
        }
      }
    }
  }
  // A column of pixels shrunk to one pixel is its rounded mean.
  source.Create(1, 3);
  at(source, 0, 0, 0) = 10, at(source, 0, 1, 0) = 20, at(source, 0, 2, 0) = 31;
  resampled(source, target, 1, 1);
  EXPECT_EQ(at(target, 0, 0, 0), 20);
}
