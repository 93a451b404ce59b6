#include "Orientation.h"

#include <cstdint>
#include <cstring>

namespace orvane {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

struct TiffReader {
  const QByteArray& bytes;
  bool littleEndian;
  bool has(int64_t at, int64_t count) const { return at >= 0 && count >= 0 && at <= bytes.size() - count; }
  uint32_t get(int64_t at, int count) const {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
      const uint32_t byte = static_cast<uint8_t>(bytes.at(static_cast<qsizetype>(at + i)));
      v |= littleEndian ? byte << (8 * i) : byte << (8 * (count - 1 - i));
    }
    return v;
  }
};

}  // namespace

int ExifOrientation(const QByteArray& tiff) {
  if (tiff.size() < 8) return 1;
  const bool little = tiff.startsWith(QByteArray("II*\0", 4));
  const bool big = tiff.startsWith(QByteArray("MM\0*", 4));
  if (!little && !big) return 1;
  const TiffReader r{tiff, little};
  const int64_t ifd = r.get(4, 4);
  if (!r.has(ifd, 2)) return 1;
  const int64_t entries = r.get(ifd, 2);
  for (int64_t i = 0; i < entries; ++i) {
    const int64_t at = ifd + 2 + 12 * i;
    if (!r.has(at, 12)) return 1;
    if (r.get(at, 2) != kOrientationTag) continue;
    if (r.get(at + 2, 2) != kShortType || r.get(at + 4, 4) < 1) return 1;
    const uint32_t value = r.get(at + 8, 2);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

bool OrientUpright(CDIB& picture, int orientation) {
  if (orientation < 2 || orientation > 8 || picture.DIBPointer() == nullptr) return true;
  const int64_t w = picture.Width(), h = picture.Height();
  const bool turned = orientation >= 5;
  const int64_t uw = turned ? h : w, uh = turned ? w : h;
  CDIB upright;
  if (!upright.Reshape(static_cast<int32_t>(uw), static_cast<int32_t>(uh))) return false;
  const uint8_t* src = picture.DIBPointer();
  uint8_t* dst = upright.DIBPointer();
  const int64_t srcStride = picture.SRB(), dstStride = upright.SRB();
  // The stored pixel shown at upright (x, y); coordinates from the top-left
  // corner, while the buffers keep their rows bottom-up.
  const auto stored = [&](int64_t x, int64_t y) {
    int64_t sx = x, sy = y;
    switch (orientation) {
      case 2:
        sx = w - 1 - x;
        break;
      case 3:
        sx = w - 1 - x;
        sy = h - 1 - y;
        break;
      case 4:
        sy = h - 1 - y;
        break;
      case 5:
        sx = y;
        sy = x;
        break;
      case 6:
        sx = y;
        sy = h - 1 - x;
        break;
      case 7:
        sx = w - 1 - y;
        sy = h - 1 - x;
        break;
      default:  // 8
        sx = w - 1 - y;
        sy = x;
        break;
    }
    return src + (h - 1 - sy) * srcStride + 3 * sx;
  };
  // Along an upright row the stored pixels lie at a constant step: one lookup a row.
  for (int64_t y = 0; y < uh; ++y) {
    const uint8_t* in = stored(0, y);
    const int64_t step = uw > 1 ? stored(1, y) - in : 0;
    uint8_t* out = dst + (uh - 1 - y) * dstStride;
    for (int64_t x = 0; x < uw; ++x, out += 3) std::memcpy(out, in + x * step, 3);
  }
  picture.Swap(upright);
  return true;
}

}  // namespace orvane
