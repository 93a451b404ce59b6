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

using SweepFn = int32_t (*)(const uint8_t*, uint8_t*, int32_t, int32_t);
using InteriorFn = int32_t (*)(uint8_t*, int32_t, int32_t, int32_t, int32_t);

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

// Bytes written by the sweep, worked out by hand: centre offsets stride + 3, +6, ... while
// < size - stride - 5, three bytes each.
struct SweepRange {
  int32_t w, h;
  size_t first, end;
};
inline const SweepRange kSweepRanges[] = {
    {4, 4, 15, 30},  // no padding; the offset 30 equals the bound and is not visited
    {4, 5, 15, 42},  // no padding
    {5, 4, 19, 43},  // 1 padding byte
    {6, 5, 23, 74},  // 2 padding bytes
    {7, 4, 27, 66},  // 3 padding bytes
    {1, 6, 7, 16},   // one pixel wide, stride 4
    {3, 3, 15, 18},  // only the middle pixel
    {4, 2, 0, 0},    // too small: nothing
    {2, 3, 0, 0},    // stride 8: no centre fits
    {1, 2, 0, 0},
};

// Step of each direction as (columns, rows in memory order); 7 and unknown values step one row later.
struct DirectionStep {
  int32_t direction, dx, drow;
};
inline const DirectionStep kDirections[] = {{1, -1, -1}, {2, 0, -1}, {3, 1, -1}, {4, -1, 0},
                                            {5, 1, 0},   {6, -1, 1}, {7, 0, 1},  {8, 1, 1},
                                            {0, 0, 1},   {9, 0, 1},  {-3, 0, 1}};

// Fills the nine neighbourhood triples of the 3 x 3 picture's middle pixel (offset 15).
inline PixelBuffer neighbourhood3x3(const int32_t (&blue)[9], const int32_t (&green)[9],
                                    const int32_t (&red)[9]) {
  PixelBuffer b(3, 3);
  const int offsets[9] = {0, 3, 6, 12, 15, 18, 24, 27, 30};
  for (int i = 0; i < 9; ++i) {
    b.bytes[offsets[i]] = static_cast<uint8_t>(blue[i]);
    b.bytes[offsets[i] + 1] = static_cast<uint8_t>(green[i]);
    b.bytes[offsets[i] + 2] = static_cast<uint8_t>(red[i]);
  }
  return b;
}

// Every pixel blue 30, green 140, red 250; padding zero.
inline PixelBuffer uniform(int32_t w, int32_t h) {
  PixelBuffer b(w, h);
  for (int32_t row = 0; row < h; ++row)
    for (int32_t x = 0; x < w; ++x) b.mem(x, row, 0) = 30, b.mem(x, row, 1) = 140, b.mem(x, row, 2) = 250;
  return b;
}

// What a last-row copy does to a mask of written bytes: bytes from size - stride + 1 - extra up to
// size follow the byte one stride earlier, when that lies inside the buffer.
inline std::vector<bool> lastRowRepeated(std::vector<bool> m, int32_t size, int32_t stride, int32_t extra) {
  for (int64_t i = size; i >= int64_t(size) - stride + 1 - extra; --i)
    if (i - stride >= 0) m[i] = m[i - stride];
  return m;
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
