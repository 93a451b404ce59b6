// Relief filters: emboss against a partner pixel, engrave in place, contour lines, and the two
// interior embosses.
#include "neighbourhood.h"

using qrix::Around;

namespace {

inline int32_t low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// |p - q + bias| in wrapping 32-bit arithmetic, values above 255 taken as 255.
inline int32_t relief(int32_t p, int32_t q, int32_t bias) {
  const int32_t t = low32(int64_t(p) - q + bias);
  const int32_t a = t < 0 ? low32(-int64_t(t)) : t;
  return a > 255 ? 255 : a;
}

}  // namespace

extern "C" {

// Each pixel against the pixel `distance` steps away in `direction`, or the mirrored one when that
// lies outside the buffer; pixels with neither partner inside keep their destination bytes.
int32_t dllemboss(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, int32_t distance,
                  int32_t direction, int32_t redBias, int32_t greenBias, int32_t blueBias, int32_t greyFlag) {
  if (distance == 0) distance = 1;
  const int64_t offset = qrix::directionStep(direction, stride) * distance;
  const int64_t last = int64_t(size) - 2;  // highest byte 0 of a partner
  for (int64_t k = 0; k < last; k += 3) {
    int64_t partner = k + offset;
    if (partner < 0 || partner > last) {
      partner = k - offset;
      if (partner < 0 || partner > last) continue;
    }
    const int32_t b = relief(source[k], source[partner], blueBias);
    const int32_t g = relief(source[k + 1], source[partner + 1], greenBias);
    const int32_t r = relief(source[k + 2], source[partner + 2], redBias);
    if (greyFlag == 0) {
      destination[k] = static_cast<uint8_t>(b);
      destination[k + 1] = static_cast<uint8_t>(g);
      destination[k + 2] = static_cast<uint8_t>(r);
    } else {
      const auto grey = static_cast<uint8_t>(low32(int64_t(b) + g + r) / 3);
      destination[k] = destination[k + 1] = destination[k + 2] = grey;
    }
  }
  return 1;
}

// In place against the pixel one row later and one to the right. That partner lies ahead of the
// walk, so it is always read before it is rewritten. Results keep their low byte (no clamping).
int32_t dllengrave(uint8_t* image, int32_t size, int32_t stride, int32_t redSwitch, int32_t greenSwitch,
                   int32_t blueSwitch) {
  const bool on[3] = {(blueSwitch & 0xff) != 0, (greenSwitch & 0xff) != 0, (redSwitch & 0xff) != 0};
  const int64_t end = int64_t(size) - stride - 5;
  const int64_t ahead = int64_t(stride) + 3;
  for (int64_t k = 0; k < end; k += 3)
    for (int c = 0; c < 3; ++c)
      if (on[c]) {
        const int32_t v = image[k + ahead + c] - image[k + c] + 128;
        image[k + c] = static_cast<uint8_t>(v < 0 ? -v : v);
      }
  return 1;
}

// Outline: 8 C - the 8 neighbours + 16, then the last row and the byte before it repeat the bytes one
// row earlier (its walk reaches down to size - stride).
int32_t dllcontour(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  qrix::sweep(source, destination, size, stride,
              [](Around n) { return qrix::clampByte(8 * n.c() - n.sides() - n.corners() + 16); });
  qrix::repeatLastRow(destination, size, stride, 1);
  return 1;
}

int32_t DllEmbossColor(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, [](const auto& n) {
    return n.c() + n.dl() + n.d() + n.dr() - n.ul() - n.u() - n.ur();
  });
}

int32_t DllEmbossHighLight(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height, [](const auto& n) { return n.d() - n.u(); });
}

}  // extern "C"
