// Test pictures laid out as the library expects: bottom-up BGR rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace testing_support {

struct PixelBuffer {
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  std::vector<uint8_t> bytes;

  PixelBuffer() = default;
  PixelBuffer(int32_t w, int32_t h, uint8_t fill = 0)
      : width(w), height(h), stride((w * 3 + 3) & ~3), bytes(static_cast<size_t>(stride) * h, fill) {}

  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
  // What the program passes as `size`: the byte count minus one.
  int32_t size() const { return static_cast<int32_t>(bytes.size()) - 1; }
  // Byte c (0 blue, 1 green, 2 red) of pixel (x, y), y counted from the top row.
  uint8_t& at(int32_t x, int32_t y, int32_t c) { return bytes[(height - 1 - y) * stride + 3 * x + c]; }
  uint8_t at(int32_t x, int32_t y, int32_t c) const { return bytes[(height - 1 - y) * stride + 3 * x + c]; }
  // Byte c of pixel (x, row) with rows counted in memory order (bottom row first).
  uint8_t& mem(int32_t x, int32_t row, int32_t c) { return bytes[row * stride + 3 * x + c]; }
};

// Every byte, padding included, drawn from a fixed seed.
inline PixelBuffer randomBuffer(int32_t w, int32_t h, uint32_t seed = 1) {
  PixelBuffer b(w, h);
  std::mt19937 gen(seed);
  for (auto& v : b.bytes) v = static_cast<uint8_t>(gen() & 0xff);
  return b;
}

}  // namespace testing_support
