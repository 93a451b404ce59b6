#include "CDIB.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace orvane {

namespace {
constexpr size_t kAlignment = 64;

// Pictures of many megabytes are laid on 2 MB boundaries and offered to the
// kernel as huge pages: their first touch then takes one fault per 2 MB rather
// than one per 4 KB, which for a freshly opened 20 MP photo was about a quarter
// of the time spent outside the codec.
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeFrom = 4 * kHugePage;

uint8_t* AllocatePixels(size_t bytes) {
  if (bytes < kHugeFrom) return static_cast<uint8_t*>(std::aligned_alloc(kAlignment, bytes));
  const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  auto* memory = static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded));
  if (memory != nullptr) ::madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: refused is fine
  return memory;
}
}  // namespace

void CDIB::AlignedFree::operator()(uint8_t* p) const { std::free(p); }

void CDIB::Release() {
  pixels_.reset();
  capacity_ = 0;
  surface_ = DrawingSurface{};
}

bool CDIB::Create(int32_t W, int32_t H) {
  if (!Allocate(W, H)) return false;
  Cls();
  return true;
}

bool CDIB::Reshape(int32_t W, int32_t H) {
  if (!Allocate(W, H)) return false;
  const size_t row = static_cast<size_t>(W) * 3, stride = static_cast<size_t>(SRB());
  if (row != stride)
    for (int32_t y = 0; y < H; ++y) std::memset(pixels_.get() + y * stride + row, 0, stride - row);
  return true;
}

bool CDIB::Allocate(int32_t W, int32_t H) {
  header_ = BitmapInfoHeader{};
  surface_ = DrawingSurface{};
  if (W <= 0 || H <= 0) {
    Release();
    return false;
  }
  const int64_t stride = StrideFor(W);
  const int64_t bytes = stride * H;
  if (stride > std::numeric_limits<int32_t>::max() || bytes > std::numeric_limits<int32_t>::max()) {
    Release();
    return false;
  }
  // One spare byte (0) after the pixels: flat walks are handed the whole byte
  // count as their size so that they reach the last pixel.
  const size_t allocation = (static_cast<size_t>(bytes) + kAlignment) / kAlignment * kAlignment;
  // Memory that fits without wasting more than a quarter is kept: repeated
  // operations on one picture size then neither allocate nor fault in pages.
  if (!pixels_ || capacity_ < allocation || capacity_ - allocation > allocation / 4) {
    Release();
    uint8_t* memory = AllocatePixels(allocation);
    if (memory == nullptr) return false;
    pixels_.reset(memory);
    capacity_ = allocation;
  }
  header_.size = 40;
  header_.width = W;
  header_.height = H;
  header_.planes = 1;
  header_.bitCount = 24;
  header_.compression = 0;
  header_.sizeImage = static_cast<uint32_t>(bytes);
  pixels_[static_cast<size_t>(bytes)] = 0;
  surface_ = DrawingSurface{pixels_.get(), W, H, static_cast<int32_t>(stride)};
  return true;
}

bool CDIB::CopyOf(CDIB& source) {
  if (!Reshape(source.Width(), source.Height())) return false;
  CloneHDC(source.hDC(), SRCCOPY, 0, 0);
  return true;
}

void CDIB::Swap(CDIB& other) {
  std::swap(header_, other.header_);
  std::swap(pixels_, other.pixels_);
  std::swap(capacity_, other.capacity_);
  std::swap(surface_, other.surface_);
  std::swap(boundView_, other.boundView_);
}

void CDIB::Cls() {
  if (pixels_) std::memset(pixels_.get(), 0, header_.sizeImage);
}

QImage CDIB::LaidOverWhite(const QImage& pic) {
  const QImage argb = pic.convertToFormat(QImage::Format_ARGB32);
  QImage out(argb.size(), QImage::Format_RGB888);
  if (argb.isNull() || out.isNull()) return QImage();
  for (int32_t y = 0; y < argb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    uchar* to = out.scanLine(y);
    for (int32_t x = 0; x < argb.width(); ++x) {
      const unsigned a = static_cast<unsigned>(qAlpha(in[x]));
      to[3 * x] = OverWhite(static_cast<unsigned>(qRed(in[x])), a);
      to[3 * x + 1] = OverWhite(static_cast<unsigned>(qGreen(in[x])), a);
      to[3 * x + 2] = OverWhite(static_cast<unsigned>(qBlue(in[x])), a);
    }
  }
  return out;
}

bool CDIB::Clone(const QImage& pic, bool fitSize) {
  if (pic.isNull()) return false;
  if (fitSize && !Create(pic.width(), pic.height())) return false;
  if (!pixels_) return false;
  // Bring the picture into our own layout, then stretch it onto the buffer. At
  // the buffer's own size the stretch is a plain copy, so the picture goes
  // straight in; and it is converted a band of rows at a time. Opening a
  // large picture then needs no full-size intermediate copies.
  const bool sameSize = Width() == pic.width() && Height() == pic.height();
  CDIB source;
  if (!sameSize && !source.Create(pic.width(), pic.height())) return false;
  CDIB& target = sameSize ? *this : source;
  const bool direct = pic.format() == QImage::Format_RGB888;
  // Transparent pixels are laid over white (a plain conversion would drop the
  // cover and show the colours as over black).
  const bool transparent = pic.hasAlphaChannel();
  constexpr int32_t kBandRows = 64;
  for (int32_t top = 0; top < pic.height(); top += kBandRows) {
    const int32_t rows = std::min(kBandRows, pic.height() - top);
    const QImage part = direct ? pic : pic.copy(0, top, pic.width(), rows);
    const QImage band = direct        ? pic
                        : transparent ? LaidOverWhite(part)
                                      : part.convertToFormat(QImage::Format_RGB888);
    if (band.isNull()) return false;
    for (int32_t r = 0; r < rows; ++r) {
      const uchar* in = band.constScanLine(direct ? top + r : r);
      uint8_t* out = target.surface_.pixel(0, top + r);
      for (int32_t x = 0; x < pic.width(); ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      }
    }
  }
  if (!sameSize)
    StretchBlt(hDC(), 0, 0, Width(), Height(), source.hDC(), 0, 0, source.Width(), source.Height(), SRCCOPY);
  return true;
}

void CDIB::CloneHDC(HDC theHDC, uint32_t dwRop, int32_t X, int32_t Y) {
  BitBlt(hDC(), 0, 0, Width(), Height(), theHDC, X, Y, dwRop);
}

void CDIB::PaintTo(HDC toDC, int32_t atX, int32_t atY, uint32_t dwRop) {
  BitBlt(toDC, atX, atY, Width(), Height(), hDC(), 0, 0, dwRop);
}

int32_t CDIB::MapArray(ByteView& a) {
  a.data = pixels_.get();
  a.count = pixels_ ? header_.sizeImage : 0;
  boundView_ = &a;
  return SRB();
}

void CDIB::UnMapArray(ByteView& a) {
  a = ByteView{};
  if (boundView_ == &a) boundView_ = nullptr;
}

QImage CDIB::ToQImage() const {
  if (!pixels_) return QImage();
  QImage image(Width(), Height(), QImage::Format_RGB888);
  if (image.isNull()) return image;
  for (int32_t y = 0; y < Height(); ++y) {
    const uint8_t* in = surface_.pixel(0, y);
    uchar* out = image.scanLine(y);
    for (int32_t x = 0; x < Width(); ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  return image;
}

}  // namespace orvane
