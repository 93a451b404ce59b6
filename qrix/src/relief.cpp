// Relief filters: emboss against a partner pixel, engrave in place, contour lines, and the two
// interior embosses.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "neighbourhood.h"

using qrix::Around;

namespace {

inline int32_t low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// |p - q + bias| in wrapping 32-bit arithmetic, values above 255 taken as 255.
inline int32_t relief(int32_t p, int32_t q, uint32_t bias) {
  const uint32_t t = uint32_t(p - q) + bias;
  const int32_t a = static_cast<int32_t>(static_cast<int32_t>(t) < 0 ? 0u - t : t);
  return a > 255 ? 255 : a;
}

// Floor division by a positive divisor.
inline int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// n triples of out from p against its partner q. Out of line, with everything by value, so the
// loops vectorise whichever band they are handed.
[[gnu::noinline]] void reliefRun(const uint8_t* p, const uint8_t* q, uint8_t* out, int64_t n, uint32_t b0,
                                 uint32_t b1, uint32_t b2, bool grey) {
  if (!grey) {
    for (int64_t t = 0; t < n; ++t) {
      out[3 * t] = static_cast<uint8_t>(relief(p[3 * t], q[3 * t], b0));
      out[3 * t + 1] = static_cast<uint8_t>(relief(p[3 * t + 1], q[3 * t + 1], b1));
      out[3 * t + 2] = static_cast<uint8_t>(relief(p[3 * t + 2], q[3 * t + 2], b2));
    }
  } else {
    for (int64_t t = 0; t < n; ++t) {
      const int64_t sum = int64_t(relief(p[3 * t], q[3 * t], b0)) + relief(p[3 * t + 1], q[3 * t + 1], b1) +
                          relief(p[3 * t + 2], q[3 * t + 2], b2);
      out[3 * t] = out[3 * t + 1] = out[3 * t + 2] = static_cast<uint8_t>(low32(sum) / 3);
    }
  }
}

// No saved bytes: far beyond any buffer, and far from overflowing when offsets are taken from it.
constexpr int64_t kNoSaved = int64_t(1) << 60;

// Engraves the triples from, from + 3, ... while < to, each against the byte `ahead` later; bytes from
// `saved` on are read from savedBytes instead (as they were before another band rewrote them).
[[gnu::noinline]] void engraveRun(uint8_t* image, int64_t from, int64_t to, int64_t ahead, bool b, bool g,
                                  bool r, int64_t saved, const uint8_t* savedBytes) {
  const bool on[3] = {b, g, r};
  const int64_t direct = std::min(to, saved - ahead - 2);  // triples whose partners all lie before `saved`
  int64_t k = from;
  for (; k < direct; k += 3)
    for (int c = 0; c < 3; ++c)
      if (on[c]) {
        const int32_t v = image[k + ahead + c] - image[k + c] + 128;
        image[k + c] = static_cast<uint8_t>(v < 0 ? -v : v);
      }
  for (; k < to; k += 3)
    for (int c = 0; c < 3; ++c)
      if (on[c]) {
        const int64_t at = k + ahead + c;
        const int32_t v = (at >= saved ? savedBytes[at - saved] : image[at]) - image[k + c] + 128;
        image[k + c] = static_cast<uint8_t>(v < 0 ? -v : v);
      }
}

}  // namespace

extern "C" {

// Each pixel against the pixel `distance` steps away in `direction`, or the mirrored one when that
// lies outside the buffer; pixels with neither partner inside keep their destination bytes.
// Which partner a triple takes changes only where one of the two partner ranges starts or ends,
// so the walk is cut there into runs with one fixed partner offset each, without tests per pixel.
int32_t dllemboss(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride, int32_t distance,
                  int32_t direction, int32_t redBias, int32_t greenBias, int32_t blueBias, int32_t greyFlag) {
  if (distance == 0) distance = 1;
  const int64_t offset = qrix::directionStep(direction, stride) * distance;
  const int64_t last = int64_t(size) - 2;  // highest byte 0 of a partner
  if (last <= 0) return 1;
  const int64_t count = (last - 1) / 3 + 1;  // triples k = 3t with k < last
  auto inside = [last](int64_t at) { return at >= 0 && at <= last; };
  // Triple t has partner 3t + offset inside for t in [ceil(-offset / 3), floor((last - offset) / 3)],
  // and 3t - offset inside for t in [ceil(offset / 3), floor((last + offset) / 3)].
  int64_t cuts[6] = {0,
                     count,
                     -floorDiv(offset, 3),
                     floorDiv(last - offset, 3) + 1,
                     -floorDiv(-offset, 3),
                     floorDiv(last + offset, 3) + 1};
  for (int64_t& c : cuts) c = std::clamp<int64_t>(c, 0, count);
  std::sort(std::begin(cuts), std::end(cuts));
  const uint32_t bias[3] = {uint32_t(blueBias), uint32_t(greenBias), uint32_t(redBias)};
  const int64_t reach = (offset < 0 ? -offset : offset) + 3;
  qrix::tripleBands(source, destination, 0, 3 * count, reach, [&](int64_t bandFrom, int64_t bandTo) {
    for (int i = 0; i + 1 < 6; ++i) {
      const int64_t from = std::max(cuts[i], bandFrom / 3), to = std::min(cuts[i + 1], bandTo / 3);
      if (from >= to) continue;
      const int64_t k0 = 3 * from;
      if (!inside(k0 + offset) && !inside(k0 - offset)) continue;  // neither partner inside
      const int64_t partner = inside(k0 + offset) ? offset : -offset;
      reliefRun(source + k0, source + k0 + partner, destination + k0, to - from, bias[0], bias[1], bias[2],
                greyFlag != 0);
    }
  });
  return 1;
}

// In place against the pixel one row later and one to the right. That partner lies ahead of the
// walk, so it is always read before it is rewritten. Results keep their low byte (no clamping).
int32_t dllengrave(uint8_t* image, int32_t size, int32_t stride, int32_t redSwitch, int32_t greenSwitch,
                   int32_t blueSwitch) {
  const bool on[3] = {(blueSwitch & 0xff) != 0, (greenSwitch & 0xff) != 0, (redSwitch & 0xff) != 0};
  const int64_t end = int64_t(size) - stride - 5;
  const int64_t ahead = int64_t(stride) + 3;
  // Pixel k reads pixel k + ahead as it was: in bands, the first `ahead` bytes after each band are
  // copied before any band starts, as the next band rewrites them. Only where the partner lies ahead.
  const int64_t triples = qrix::tripleCount(0, end);
  int32_t bands = stride >= 0 ? qrix::bandsFor(3 * triples) : 1;
  if (bands <= 1) {
    engraveRun(image, 0, 3 * triples, ahead, on[0], on[1], on[2], kNoSaved, nullptr);
    return 1;
  }
  auto cut = [&](int32_t k) { return 3 * qrix::bandCut(triples, bands, k); };
  const int64_t edge = ahead + 3;  // bytes a band reads past its end
  std::vector<uint8_t> saved(static_cast<size_t>(edge) * static_cast<size_t>(bands));
  for (int32_t k = 1; k < bands; ++k) {
    const int64_t from = cut(k), n = std::min<int64_t>(edge, int64_t(size) + 1 - from);
    if (n > 0) std::memcpy(saved.data() + (k - 1) * edge, image + from, static_cast<size_t>(n));
  }
  qrix::runBands(bands, [&](int32_t k) {
    const int64_t from = cut(k), to = cut(k + 1);
    const bool lastBand = k == bands - 1;
    engraveRun(image, from, to, ahead, on[0], on[1], on[2], lastBand ? kNoSaved : to,
               lastBand ? nullptr : saved.data() + k * edge);
  });
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
