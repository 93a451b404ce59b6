#include "cEffectDIB.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "PackedPixels.h"
#include "Qrix.h"

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

}  // namespace

cEffectDIB::cEffectDIB() = default;
cEffectDIB::~cEffectDIB() = default;

CDIB& cEffectDIB::WorkingCopy() {
  if (!work_) work_ = std::make_unique<CDIB>();
  return *work_;
}

bool cEffectDIB::PrepareWorkingCopy(CDIB& xDIB) {
  CDIB& work = WorkingCopy();
  work.Cls();
  if (!work.Create(xDIB.Width(), xDIB.Height())) return false;
  work.CloneHDC(xDIB.hDC(), SRCCOPY, 0, 0);
  return true;
}

void cEffectDIB::ClearWorkingCopy() { WorkingCopy().Cls(); }

void cEffectDIB::Rotate(CDIB& xDIB, int32_t Angle) {
  if (Angle != 90 && Angle != 180 && Angle != 270) return;
  if (xDIB.DIBPointer() == nullptr) return;
  if (!PrepareWorkingCopy(xDIB)) return;
  CDIB& source = *work_;
  const int32_t W = source.Width(), H = source.Height();
  if (Angle != 180 && !xDIB.Create(H, W)) {
    // Without room for the turned picture, keep the picture as it was.
    if (xDIB.Create(W, H)) xDIB.CloneHDC(source.hDC(), SRCCOPY, 0, 0);
    ClearWorkingCopy();
    return;
  }
  for (int32_t y = 0; y < H; ++y) {
    const uint8_t* from = pixelAt(source, 0, y);
    for (int32_t x = 0; x < W; ++x, from += 3) {
      uint8_t* to = nullptr;
      switch (Angle) {
        case 90:  // quarter turn counter-clockwise
          to = pixelAt(xDIB, y, W - 1 - x);
          break;
        case 180:
          to = pixelAt(xDIB, W - 1 - x, H - 1 - y);
          break;
        default:  // 270, quarter turn clockwise
          to = pixelAt(xDIB, H - 1 - y, x);
          break;
      }
      copyPixel(to, from);
    }
  }
  ClearWorkingCopy();
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

  const QImage picture = xDIB.ToQImage();
  if (picture.isNull()) return false;
  const QImage resized = picture.scaled(tw, th, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (resized.isNull() || resized.width() != tw || resized.height() != th) return false;
  if (!xDIB.Create(tw, th)) {
    // The picture stays as it was when the new size cannot be had.
    xDIB.Clone(picture, true);
    return false;
  }
  xDIB.Clone(resized);
  return true;
}

void cEffectDIB::FlipHor(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t W = xDIB.Width(), H = xDIB.Height();
  for (int32_t y = 0; y < H; ++y) {
    uint8_t* row = pixelAt(xDIB, 0, y);
    for (int32_t x = 0, m = W - 1; x < m; ++x, --m)
      std::swap_ranges(row + 3 * x, row + 3 * x + 3, row + 3 * m);
  }
}

void cEffectDIB::FlipVer(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  const int32_t H = xDIB.Height();
  const size_t bytes = static_cast<size_t>(xDIB.Width()) * 3;
  for (int32_t y = 0, m = H - 1; y < m; ++y, --m)
    std::swap_ranges(pixelAt(xDIB, 0, y), pixelAt(xDIB, 0, y) + bytes, pixelAt(xDIB, 0, m));
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
  // The copy stays filled until the next operation clears it.
  RedrawFromCopy(xDIB, QRIX(dllpentagon), HighRatio, MedRatio, LowRatio);
}

void cEffectDIB::Trapezia(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  // The library takes the direction flag before the side flag.
  if (RedrawFromCopy(xDIB, QRIX(dlltrapezia), Ratio, Hor ? 1 : 0, Rev ? 1 : 0)) ClearWorkingCopy();
}

void cEffectDIB::Parallel(CDIB& xDIB, int32_t Ratio, bool Rev, bool Hor) {
  if (RedrawFromCopy(xDIB, QRIX(dllparallel), Ratio, Hor ? 1 : 0, Rev ? 1 : 0)) ClearWorkingCopy();
}

}  // namespace orvane
