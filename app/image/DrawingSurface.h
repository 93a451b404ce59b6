// Drawing surfaces: the block-copy layer between image buffers.
//
// A surface describes a 24-bit pixel area with bottom-up BGR rows whose stride
// is a multiple of 4. Copies clip to both rectangles and leave destination
// pixels that no source pixel covers unchanged.
#pragma once

#include <cstdint>

namespace orvane {

constexpr uint32_t SRCCOPY = 0x00CC0020;

struct DrawingSurface {
  uint8_t* bits = nullptr;  // first byte of the bottom row; null when there is no storage
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;

  bool hasPixels() const { return bits != nullptr && width > 0 && height > 0; }
  // Address of pixel (x, y), y counted from the top row.
  uint8_t* pixel(int32_t x, int32_t y) const {
    return bits + static_cast<int64_t>(height - 1 - y) * stride + 3 * static_cast<int64_t>(x);
  }
};

using HDC = DrawingSurface*;

// Copies the w x h block at (sx, sy) of src to (x, y) of dst. Only SRCCOPY is supported.
void BitBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy,
            uint32_t rop = SRCCOPY);

// Nearest-neighbour stretch of the sw x sh block at (sx, sy) of src onto the
// w x h block at (x, y) of dst. A negative destination extent mirrors.
void StretchBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy,
                int32_t sw, int32_t sh, uint32_t rop = SRCCOPY);

}  // namespace orvane
