// Helpers for the neighbourhood filter tests: which destination bytes a call writes, and
// expected results of weighted kernels computed straight from their weight tables.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PixelBuffer.h"

namespace neighbourhood_check {

using testing_support::PixelBuffer;

// Geometries with 0, 1, 2 and 3 padding bytes per row, and a one-pixel-wide one.
struct Shape {
  int32_t w, h;
};
inline const std::vector<Shape>& paddedShapes() {
  static const std::vector<Shape> shapes = {{4, 5}, {5, 4}, {6, 5}, {7, 4}, {1, 6}, {3, 3}};
  return shapes;
}

inline std::string describe(const PixelBuffer& b) {
  return std::to_string(b.width) + "x" + std::to_string(b.height) + " stride " + std::to_string(b.stride);
}

// Runs `call(destination)` twice, on destinations filled with 0x00 and with 0xFF. A byte counts as
// written when both runs leave the same value in it; a rule that read the destination instead of
// its source would give different values and show up as unwritten.
struct Written {
  std::vector<bool> mask;
  std::vector<uint8_t> result;  // the run on the zero-filled destination
};
inline Written written(size_t bytes, const std::function<void(uint8_t*)>& call) {
  std::vector<uint8_t> zero(bytes, 0x00), full(bytes, 0xFF);
  call(zero.data());
  call(full.data());
  Written w{std::vector<bool>(bytes), zero};
  for (size_t i = 0; i < bytes; ++i) w.mask[i] = zero[i] == full[i];
  return w;
}

// Mask of the bytes in [first, end).
inline std::vector<bool> range(size_t bytes, size_t first, size_t end) {
  std::vector<bool> m(bytes, false);
  for (size_t i = first; i < end && i < bytes; ++i) m[i] = true;
  return m;
}

// Weighted sum around byte `at`, weights[dy + reach][dx + reach] with dy = -1 the row one stride
// earlier in memory.
template <size_t N>
int32_t weightedSum(const uint8_t* bytes, int64_t at, int64_t rowBytes, const int (&weights)[N][N]) {
  const int reach = static_cast<int>(N / 2);
  int32_t sum = 0;
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      sum += weights[dy + reach][dx + reach] * bytes[at + dy * rowBytes + 3 * dx];
  return sum;
}

inline int32_t clamp255(int32_t v) { return std::clamp(v, 0, 255); }

// The interior shape's expected picture: pixels with a full neighbourhood get
// clamp(sum / divisor) (division truncating toward zero) computed from `before`, the rest keep
// their bytes.
template <size_t N>
std::vector<uint8_t> interiorExpected(const std::vector<uint8_t>& before, int32_t rowBytes, int32_t width,
                                      int32_t height, const int (&weights)[N][N], int32_t divisor) {
  const int reach = static_cast<int>(N / 2);
  std::vector<uint8_t> out = before;
  for (int32_t y = reach; y < height - reach; ++y)
    for (int32_t x = reach; x < width - reach; ++x)
      for (int c = 0; c < 3; ++c) {
        const int64_t at = int64_t(rowBytes) * y + 3 * x + c;
        out[at] = static_cast<uint8_t>(clamp255(weightedSum(before.data(), at, rowBytes, weights) / divisor));
      }
  return out;
}

}  // namespace neighbourhood_check
