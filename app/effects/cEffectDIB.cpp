#include "cEffectDIB.h"

#include <algorithm>
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

// Writes the W pixels at from in reverse order to to (separate memory).
inline void reversePixels(uint8_t* to, const uint8_t* from, int32_t W) {
  uint8_t* end = to + 3 * static_cast<int64_t>(W);
  for (int32_t x = 0; x < W; ++x, from += 3) copyPixel(end - 3 * (x + 1), from);
}

}  // namespace

cEffectDIB::cEffectDIB() = default;
cEffectDIB::~cEffectDIB() = default;

CDIB& cEffectDIB::WorkingCopy() {
  if (!work_) work_ = std::make_unique<CDIB>();
  return *work_;
}

// The copy keeps its memory between operations and is overwritten entirely
// each time, so it is neither cleared before nor after.
bool cEffectDIB::PrepareWorkingCopy(CDIB& xDIB) { return WorkingCopy().CopyOf(xDIB); }

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
  // (W - 1 - i, j). Tiles keep both the rows read and written in cache.
  const bool counter = Angle == 90;
  const uint8_t* in = source.DIBPointer();
  uint8_t* out = xDIB.DIBPointer();
  const int64_t inStride = source.SRB(), outStride = xDIB.SRB();
  const int64_t step = counter ? -inStride : inStride;
  constexpr int32_t kTile = 32;
  for (int32_t j0 = 0; j0 < H; j0 += kTile) {
    const int32_t j1 = std::min(j0 + kTile, H);
    const int64_t firstRow = counter ? H - 1 - j0 : j0;
    for (int32_t i0 = 0; i0 < W; i0 += kTile) {
      const int32_t i1 = std::min(i0 + kTile, W);
      for (int32_t i = i0; i < i1; ++i) {
        const int64_t column = counter ? i : W - 1 - i;
        const uint8_t* from = in + firstRow * inStride + 3 * column;
        uint8_t* to = out + i * outStride + 3 * int64_t{j0};
        for (int32_t j = j0; j < j1; ++j, from += step, to += 3) copyPixel(to, from);
      }
    }
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
  const size_t bytes = static_cast<size_t>(W) * 3;
  std::vector<uint8_t> reversed(bytes);
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* row = pixelAt(xDIB, 0, y);
    reversePixels(reversed.data(), row, W);
    std::memcpy(row, reversed.data(), bytes);
  }
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
    for (int32_t x = 0, m = W - 1; x < m; ++x, --m) copyPixel(row + 3 * m, row + 3 * x);
  }
}

void cEffectDIB::MirrorHorRev(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* row = pixelAt(xDIB, 0, y);
    for (int32_t x = 0, m = W - 1; x < m; ++x, --m) copyPixel(row + 3 * x, row + 3 * m);
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
  withPackedPixels(xDIB, [&](uint8_t* p, int32_t n) { QRIX(dllmixcolor)(p, n, AB, xR, xG, xB); });
}

void cEffectDIB::Blinds(CDIB& xDIB, int32_t& Blinds, bool Reverse, bool Hor, bool Bump) {
  if (Blinds == 0) Blinds = 1;
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t w = xDIB.Width(), h = xDIB.Height(), n = Blinds;
  withPackedPixels(xDIB, [&](uint8_t* p, int32_t) {
    QRIX(dllblinds)(p, w, h, n, Reverse ? 1 : 0, Hor ? 1 : 0, Bump ? 1 : 0);
  });
}

// The shapes are drawn from the working copy onto a black picture of the
// same size; pixels outside the shape stay black.
bool cEffectDIB::RedrawFromCopy(CDIB& xDIB, ShapeFn* fn, int32_t a, int32_t b, int32_t c) {
  if (xDIB.DIBPointer() == nullptr) return false;
  if (!PrepareWorkingCopy(xDIB)) return false;
  xDIB.Cls();
  fn(work_->DIBPointer(), xDIB.DIBPointer(), xDIB.Width(), xDIB.Height(), xDIB.SRB(), xDIB.RGBSize(), a, b,
     c);
  return true;
}

void cEffectDIB::Pentagon(CDIB& xDIB, int32_t HighRatio, int32_t MedRatio, int32_t LowRatio) {
  RedrawFromCopy(xDIB, QRIX(dllpentagon), HighRatio, MedRatio, LowRatio);
}

void cEffectDIB::Trapezia(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  // The library takes the direction flag before the side flag.
  RedrawFromCopy(xDIB, QRIX(dlltrapezia), Ratio, Hor ? 1 : 0, Rev ? 1 : 0);
}

void cEffectDIB::Parallel(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  RedrawFromCopy(xDIB, QRIX(dllparallel), Ratio, Hor ? 1 : 0, Rev ? 1 : 0);
}

}  // namespace orvane
