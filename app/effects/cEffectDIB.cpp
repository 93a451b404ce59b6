#include "cEffectDIB.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "PackedPixels.h"
#include "Qrix.h"
#include "Resampler.h"

namespace orvane {

namespace {

// Address of pixel (x, y) of an image, y counted from the top row.
inline uint8_t* pixelAt(CDIB& image, int32_t x, int32_t y) {
  return image.DIBPointer() + static_cast<int64_t>(image.Height() - 1 - y) * image.SRB() +
         3 * static_cast<int64_t>(x);
}

inline void copyPixel(uint8_t* to, const uint8_t* from) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

// Eight pixels (24 bytes) reversed: from's first pixel lands last in to.
// They travel as three 64-bit words, rearranged with shifts.
inline void reverseEight(uint8_t* to, const uint8_t* from) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kPixel = 0xFFFFFF;
    uint64_t a, b, c;
    std::memcpy(&a, from, 8);
    std::memcpy(&b, from + 8, 8);
    std::memcpy(&c, from + 16, 8);
    const uint64_t p0 = a & kPixel, p1 = (a >> 24) & kPixel, p2 = (a >> 48) | ((b & 0xFF) << 16);
    const uint64_t p3 = (b >> 8) & kPixel, p4 = (b >> 32) & kPixel, p5 = (b >> 56) | ((c & 0xFFFF) << 8);
    const uint64_t p6 = (c >> 16) & kPixel, p7 = c >> 40;
    const uint64_t o0 = p7 | (p6 << 24) | (p5 << 48);
    const uint64_t o1 = (p5 >> 16) | (p4 << 8) | (p3 << 32) | (p2 << 56);
    const uint64_t o2 = (p2 >> 8) | (p1 << 16) | (p0 << 40);
    std::memcpy(to, &o0, 8);
    std::memcpy(to + 8, &o1, 8);
    std::memcpy(to + 16, &o2, 8);
  } else {
    uint8_t block[24];
    for (int32_t k = 0; k < 8; ++k) copyPixel(block + 21 - 3 * k, from + 3 * k);
    std::memcpy(to, block, 24);
  }
}

// Writes the W pixels at from in reverse order to to (separate memory).
inline void reversePixels(uint8_t* to, const uint8_t* from, int32_t W) {
  uint8_t* end = to + 3 * static_cast<int64_t>(W);
  int32_t x = 0;
  for (; x + 8 <= W; x += 8, from += 24) reverseEight(end - 3 * static_cast<int64_t>(x + 8), from);
  for (; x < W; ++x, from += 3) copyPixel(end - 3 * static_cast<int64_t>(x + 1), from);
}

// Reverses the W pixels of a row in place, eight from each end at a time.
inline void reverseRow(uint8_t* row, int32_t W) {
  int32_t x = 0, m = W;
  for (; x + 16 <= m; x += 8, m -= 8) {
    uint8_t left[24], right[24];
    reverseEight(left, row + 3 * static_cast<int64_t>(x));
    reverseEight(right, row + 3 * static_cast<int64_t>(m - 8));
    std::memcpy(row + 3 * static_cast<int64_t>(x), right, 24);
    std::memcpy(row + 3 * static_cast<int64_t>(m - 8), left, 24);
  }
  uint8_t middle[16 * 3];
  reversePixels(middle, row + 3 * static_cast<int64_t>(x), m - x);
  std::memcpy(row + 3 * static_cast<int64_t>(x), middle, 3 * static_cast<size_t>(m - x));
}

}  // namespace

cEffectDIB::cEffectDIB() = default;
cEffectDIB::~cEffectDIB() = default;

CDIB& cEffectDIB::WorkingCopy() {
  if (!work_) work_ = std::make_unique<CDIB>();
  return *work_;
}

void cEffectDIB::Rotate(CDIB& xDIB, int32_t Angle) {
  if (Angle != 90 && Angle != 180 && Angle != 270) return;
  if (xDIB.DIBPointer() == nullptr) return;
  if (Angle == 180) {
    TurnHalf(xDIB);
    return;
  }
  // The picture moves into the working copy without a copy and the turned
  // picture is written into the copy's former memory.
  CDIB& source = WorkingCopy();
  source.Swap(xDIB);
  const int32_t W = source.Width(), H = source.Height();
  if (!xDIB.Reshape(H, W)) {
    // Without room for the turned picture, keep the picture as it was.
    xDIB.Swap(source);
    return;
  }
  // Output row i (memory order), column j takes source pixel (column, row):
  // a quarter turn counter-clockwise reads (i, H - 1 - j), clockwise
  // (W - 1 - i, j). Strips of 8 source rows are read side by side and give
  // 24 contiguous bytes of every output row: 8 read streams and one write
  // position stay in cache, where square tiles thrash on the row strides.
  const bool counter = Angle == 90;
  const uint8_t* in = source.DIBPointer();
  uint8_t* out = xDIB.DIBPointer();
  const int64_t inStride = source.SRB(), outStride = xDIB.SRB();
  const int64_t step = counter ? -inStride : inStride;
  const int64_t columnStep = counter ? 3 : -3;
  constexpr int32_t kStrip = 8;
  int32_t j0 = 0;
  for (; j0 + kStrip <= H; j0 += kStrip) {
    const uint8_t* from = in + (counter ? H - 1 - j0 : j0) * inStride + (counter ? 0 : 3 * int64_t{W - 1});
    uint8_t* to = out + 3 * int64_t{j0};
    for (int32_t i = 0; i < W; ++i, from += columnStep, to += outStride)
      for (int32_t k = 0; k < kStrip; ++k) copyPixel(to + 3 * k, from + k * step);
  }
  if (j0 < H) {
    const int32_t rest = H - j0;
    const uint8_t* from = in + (counter ? H - 1 - j0 : j0) * inStride + (counter ? 0 : 3 * int64_t{W - 1});
    uint8_t* to = out + 3 * int64_t{j0};
    for (int32_t i = 0; i < W; ++i, from += columnStep, to += outStride)
      for (int32_t k = 0; k < rest; ++k) copyPixel(to + 3 * k, from + k * step);
  }
}

void cEffectDIB::TurnHalf(CDIB& xDIB) {
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  const size_t bytes = static_cast<size_t>(W) * 3;
  std::vector<uint8_t> row(bytes);
  for (int32_t y = 0, m = H - 1; y <= m; ++y, --m) {
    uint8_t* a = pixelAt(xDIB, 0, y);
    uint8_t* b = pixelAt(xDIB, 0, m);
    reversePixels(row.data(), a, W);
    if (a != b) reversePixels(a, b, W);
    std::memcpy(b, row.data(), bytes);
  }
}

bool cEffectDIB::Zoom(CDIB& xDIB, int32_t newW, int32_t newH, bool ByRatio) {
  newW = std::max(newW, 1);
  newH = std::max(newH, 1);
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  int64_t targetW = newW, targetH = newH;
  if (ByRatio) {
    newW = std::min(newW, 1000);
    newH = std::min(newH, 1000);
    targetW = static_cast<int64_t>(std::nearbyint(static_cast<double>(int64_t{W} * newW) * 0.01));
    targetH = static_cast<int64_t>(std::nearbyint(static_cast<double>(int64_t{H} * newH) * 0.01));
    // A small percentage of a small picture still leaves one pixel.
    targetW = std::max<int64_t>(targetW, 1);
    targetH = std::max<int64_t>(targetH, 1);
  }
  if (xDIB.DIBPointer() == nullptr) return false;
  if (targetW > std::numeric_limits<int32_t>::max() || targetH > std::numeric_limits<int32_t>::max())
    return false;
  if (CDIB::StrideFor(targetW) * targetH > std::numeric_limits<int32_t>::max()) return false;
  const int32_t tw = static_cast<int32_t>(targetW), th = static_cast<int32_t>(targetH);
  if (tw == W && th == H) return true;

  // The picture moves into the working copy and is resampled from there.
  CDIB& source = WorkingCopy();
  source.Swap(xDIB);
  if (!xDIB.Reshape(tw, th) || !Resample(*source.hDC(), *xDIB.hDC())) {
    // The picture stays as it was when the new size cannot be had.
    xDIB.Swap(source);
    return false;
  }
  return true;
}

void cEffectDIB::FlipHor(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  for (int32_t y = 0; y < H; ++y) reverseRow(pixelAt(xDIB, 0, y), W);
}

void cEffectDIB::FlipVer(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t H = xDIB.Height();
  const size_t bytes = static_cast<size_t>(xDIB.Width()) * 3;
  std::vector<uint8_t> row(bytes);
  for (int32_t y = 0, m = H - 1; y < m; ++y, --m) {
    std::memcpy(row.data(), pixelAt(xDIB, 0, y), bytes);
    std::memcpy(pixelAt(xDIB, 0, y), pixelAt(xDIB, 0, m), bytes);
    std::memcpy(pixelAt(xDIB, 0, m), row.data(), bytes);
  }
}

// Mirrors are exact copies; with an odd size the middle column or row is its
// own mirror image and stays.
void cEffectDIB::MirrorHor(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* row = pixelAt(xDIB, 0, y);
    reversePixels(row + 3 * static_cast<int64_t>(W - W / 2), row, W / 2);
  }
}

void cEffectDIB::MirrorHorRev(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* row = pixelAt(xDIB, 0, y);
    reversePixels(row, row + 3 * static_cast<int64_t>(W - W / 2), W / 2);
  }
}

void cEffectDIB::MirrorVer(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const size_t bytes = static_cast<size_t>(xDIB.Width()) * 3;
  for (int32_t y = 0, m = xDIB.Height() - 1; y < m; ++y, --m)
    std::memcpy(pixelAt(xDIB, 0, m), pixelAt(xDIB, 0, y), bytes);
}

void cEffectDIB::MirrorVerRev(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const size_t bytes = static_cast<size_t>(xDIB.Width()) * 3;
  for (int32_t y = 0, m = xDIB.Height() - 1; y < m; ++y, --m)
    std::memcpy(pixelAt(xDIB, 0, y), pixelAt(xDIB, 0, m), bytes);
}

void cEffectDIB::MixColor(CDIB& xDIB, int32_t AB, int32_t xR, int32_t xG, int32_t xB) {
  if (xDIB.DIBPointer() == nullptr) return;
  // Pixel by pixel: padded rows go through small packed runs.
  forPixelRuns(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllmixcolor)(p, n, AB, xR, xG, xB); });
}

void cEffectDIB::Blinds(CDIB& xDIB, int32_t& Blinds, bool Reverse, bool Hor, bool Bump) {
  if (Blinds == 0) Blinds = 1;
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t w = xDIB.Width(), h = xDIB.Height(), n = Blinds;
  withPackedPixels(xDIB, [&](uint8_t* p, int32_t) {
    QRIX(dllblinds)(p, w, h, n, Reverse ? 1 : 0, Hor ? 1 : 0, Bump ? 1 : 0);
  });
}

// The shapes are drawn from the picture onto a black working copy of the same
// size, which then becomes the picture; pixels outside the shape stay black.
// The picture's pad bytes are cleared first, so the source reads as a fresh
// copy would.
bool cEffectDIB::RedrawFromCopy(CDIB& xDIB, ShapeFn* fn, int32_t a, int32_t b, int32_t c) {
  if (xDIB.DIBPointer() == nullptr) return false;
  CDIB& canvas = WorkingCopy();
  if (!canvas.Create(xDIB.Width(), xDIB.Height())) return false;
  uint8_t* image = xDIB.DIBPointer();
  const size_t row = static_cast<size_t>(xDIB.Width()) * 3, stride = static_cast<size_t>(xDIB.SRB());
  if (row != stride)
    for (size_t at = row; at < xDIB.ByteCount(); at += stride) std::memset(image + at, 0, stride - row);
  fn(image, canvas.DIBPointer(), xDIB.Width(), xDIB.Height(), xDIB.SRB(), xDIB.RGBSize(), a, b, c);
  xDIB.Swap(canvas);
  return true;
}

// The library draws no shape for a share of 0 or less; the picture then stays
// as it was instead of becoming the empty black canvas.
void cEffectDIB::Pentagon(CDIB& xDIB, int32_t HighRatio, int32_t MedRatio, int32_t LowRatio) {
  if (HighRatio <= 0 || MedRatio <= 0 || LowRatio <= 0) return;
  RedrawFromCopy(xDIB, QRIX(dllpentagon), HighRatio, MedRatio, LowRatio);
}

void cEffectDIB::Trapezia(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  if (Ratio <= 0) return;
  // The library takes the direction flag before the side flag.
  RedrawFromCopy(xDIB, QRIX(dlltrapezia), Ratio, Hor ? 1 : 0, Rev ? 1 : 0);
}

void cEffectDIB::Parallel(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  if (Ratio <= 0) return;
  RedrawFromCopy(xDIB, QRIX(dllparallel), Ratio, Hor ? 1 : 0, Rev ? 1 : 0);
}

}  // namespace orvane
