#include "CDIB.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace orvane {

namespace {
constexpr size_t kAlignment = 64;
}

void CDIB::AlignedFree::operator()(uint8_t* p) const { std::free(p); }

void CDIB::Release() {
  pixels_.reset();
  surface_ = DrawingSurface{};
}

bool CDIB::Create(int32_t W, int32_t H) {
  Release();
  header_ = BitmapInfoHeader{};
  if (W <= 0 || H <= 0) return false;
  const int64_t stride = StrideFor(W);
  const int64_t bytes = stride * H;
  if (stride > std::numeric_limits<int32_t>::max() || bytes > std::numeric_limits<int32_t>::max())
    return false;
  const size_t allocation = (static_cast<size_t>(bytes) + kAlignment - 1) / kAlignment * kAlignment;
  auto* memory = static_cast<uint8_t*>(std::aligned_alloc(kAlignment, allocation));
  if (memory == nullptr) return false;
  pixels_.reset(memory);
  header_.size = 40;
  header_.width = W;
  header_.height = H;
  header_.planes = 1;
  header_.bitCount = 24;
  header_.compression = 0;
  header_.sizeImage = static_cast<uint32_t>(bytes);
  surface_ = DrawingSurface{memory, W, H, static_cast<int32_t>(stride)};
  Cls();
  return true;
}

void CDIB::Cls() {
  if (pixels_) std::memset(pixels_.get(), 0, header_.sizeImage);
}

void CDIB::Clone(const QImage& pic, bool fitSize) {
  if (fitSize && !Create(pic.width(), pic.height())) return;
  if (!pixels_ || pic.isNull()) return;
  // Bring the picture into our own layout, then stretch it onto the buffer.
  CDIB source;
  if (!source.Create(pic.width(), pic.height())) return;
  const QImage rgb = pic.convertToFormat(QImage::Format_RGB888);
  for (int32_t y = 0; y < rgb.height(); ++y) {
    const uchar* in = rgb.constScanLine(y);
    uint8_t* out = source.surface_.pixel(0, y);
    for (int32_t x = 0; x < rgb.width(); ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  StretchBlt(hDC(), 0, 0, Width(), Height(), source.hDC(), 0, 0, source.Width(), source.Height(), SRCCOPY);
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
