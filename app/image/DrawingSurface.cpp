#include "DrawingSurface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvane {

void BitBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy,
            uint32_t rop) {
  if (rop != SRCCOPY || dst == nullptr || src == nullptr || !dst->hasPixels() || !src->hasPixels()) return;
  // Clip against the source, then the destination, moving both origins together.
  int64_t x0 = x, y0 = y, sx0 = sx, sy0 = sy, w0 = w, h0 = h;
  if (sx0 < 0) {
    x0 -= sx0;
    w0 += sx0;
    sx0 = 0;
  }
  if (sy0 < 0) {
    y0 -= sy0;
    h0 += sy0;
    sy0 = 0;
  }
  if (x0 < 0) {
    sx0 -= x0;
    w0 += x0;
    x0 = 0;
  }
  if (y0 < 0) {
    sy0 -= y0;
    h0 += y0;
    y0 = 0;
  }
  w0 = std::min({w0, int64_t{src->width} - sx0, int64_t{dst->width} - x0});
  h0 = std::min({h0, int64_t{src->height} - sy0, int64_t{dst->height} - y0});
  if (w0 <= 0 || h0 <= 0) return;
  const size_t rowBytes = static_cast<size_t>(w0) * 3;
  if (dst->bits == src->bits) {
    // Overlapping copy inside one surface: go through a temporary.
    std::vector<uint8_t> tmp(rowBytes * static_cast<size_t>(h0));
    for (int64_t r = 0; r < h0; ++r)
      std::memcpy(tmp.data() + r * rowBytes, src->pixel(int32_t(sx0), int32_t(sy0 + r)), rowBytes);
    for (int64_t r = 0; r < h0; ++r)
      std::memcpy(dst->pixel(int32_t(x0), int32_t(y0 + r)), tmp.data() + r * rowBytes, rowBytes);
    return;
  }
  for (int64_t r = 0; r < h0; ++r)
    std::memcpy(dst->pixel(int32_t(x0), int32_t(y0 + r)), src->pixel(int32_t(sx0), int32_t(sy0 + r)),
                rowBytes);
}

void StretchBlt(HDC dst, int32_t x, int32_t y, int32_t w, int32_t h, HDC src, int32_t sx, int32_t sy,
                int32_t sw, int32_t sh, uint32_t rop) {
  if (rop != SRCCOPY || dst == nullptr || src == nullptr || !dst->hasPixels() || !src->hasPixels()) return;
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  if (w == sw && h == sh && dst->bits != src->bits) {
    BitBlt(dst, x, y, w, h, src, sx, sy, rop);
    return;
  }
  const bool mirrorX = (w < 0) != (sw < 0);
  const bool mirrorY = (h < 0) != (sh < 0);
  // Normalise both rectangles to positive extents; mirroring is applied in the mapping.
  int64_t dx0 = w < 0 ? int64_t{x} + w + 1 : x, dy0 = h < 0 ? int64_t{y} + h + 1 : y;
  int64_t sx0 = sw < 0 ? int64_t{sx} + sw + 1 : sx, sy0 = sh < 0 ? int64_t{sy} + sh + 1 : sy;
  const int64_t dw = w < 0 ? -int64_t{w} : w, dh = h < 0 ? -int64_t{h} : h;
  const int64_t aw = sw < 0 ? -int64_t{sw} : sw, ah = sh < 0 ? -int64_t{sh} : sh;
  std::vector<uint8_t> copy;
  DrawingSurface source = *src;
  if (dst->bits == src->bits) {
    copy.assign(src->bits, src->bits + static_cast<size_t>(src->stride) * src->height);
    source.bits = copy.data();
  }
  std::vector<int32_t> columnMap;
  columnMap.reserve(static_cast<size_t>(dw));
  for (int64_t i = 0; i < dw; ++i) {
    const int64_t k = mirrorX ? dw - 1 - i : i;
    columnMap.push_back(static_cast<int32_t>(sx0 + (k * aw) / dw));
  }
  for (int64_t j = 0; j < dh; ++j) {
    const int64_t ty = dy0 + j;
    if (ty < 0 || ty >= dst->height) continue;
    const int64_t k = mirrorY ? dh - 1 - j : j;
    const int64_t syy = sy0 + (k * ah) / dh;
    if (syy < 0 || syy >= source.height) continue;
    uint8_t* out = dst->pixel(0, static_cast<int32_t>(ty));
    const uint8_t* in = source.pixel(0, static_cast<int32_t>(syy));
    for (int64_t i = 0; i < dw; ++i) {
      const int64_t tx = dx0 + i;
      const int32_t sxx = columnMap[static_cast<size_t>(i)];
      if (tx < 0 || tx >= dst->width || sxx < 0 || sxx >= source.width) continue;
      std::memcpy(out + 3 * tx, in + 3 * int64_t{sxx}, 3);
    }
  }
}

}  // namespace orvane
