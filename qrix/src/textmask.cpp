// Letter masks: clear, fill from a picture, blend and paste back. A triple whose three bytes are all 0
// is black and belongs to no letter.
#include <cstring>

#include "internal.h"

namespace {

inline bool isBlack(const uint8_t* p) { return (p[0] | p[1] | p[2]) == 0; }

// Chooses the triples of `test` that are not black.
struct NotBlack {
  const uint8_t* test;
  qrix::AnyOfTriple any;
  [[gnu::always_inline]] void operator()(ptrdiff_t i, int m, uint8_t* chosen) const {
    const uint8_t* t = test + i;
    any(m, chosen, [t](int j) { return static_cast<uint8_t>(t[j] != 0 ? 0xff : 0); });
  }
};

QRIX_VECTOR_KERNEL(void, copyUnlessBlack,
                   (uint8_t * destination, const uint8_t* source, const uint8_t* test, int32_t size),
                   (destination, source, test, size)) {
  qrix::copyChosen(destination, source, size, NotBlack{test, {}});
}

QRIX_WIDE_TEMPLATE(template <bool kNarrow>, <kNarrow>, void, mixWordWalk,
                   (uint8_t * mask, const uint8_t* picture, int32_t size, double x),
                   (mask, picture, size, x)) {
  qrix::blendChosen<kNarrow>(mask, picture, size, x, 1.0 - x, NotBlack{mask, {}});
}

}  // namespace

extern "C" {

int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount) {
  if (byteCount > 0) std::memset(buffer, 0, static_cast<size_t>(byteCount));
  return 1;
}

int32_t DllFillImage(uint8_t* mask, const uint8_t* picture, int32_t size) {
  qrix::flatBands(
      size, [&](int64_t at, int32_t part) { copyUnlessBlack(mask + at, picture + at, mask + at, part); });
  return 1;
}

int32_t DllUnShowBlack(uint8_t* destination, const uint8_t* source, int32_t size) {
  qrix::flatBands(size, [&](int64_t at, int32_t part) {
    copyUnlessBlack(destination + at, source + at, source + at, part);
  });
  return 1;
}

int32_t DllMixWord(uint8_t* mask, const uint8_t* picture, int32_t size, int32_t percent) {
  const double x = percent * 0.01;
  // x * a + (1 - x) * b for mask byte a over picture byte b, in that order.
  const bool narrow = qrix::narrowBlend(x, 1.0 - x);
  qrix::flatBands(size, [&](int64_t at, int32_t part) {
    if (narrow) {
      mixWordWalk<true>(mask + at, picture + at, part, x);
    } else {
      mixWordWalk<false>(mask + at, picture + at, part, x);
    }
  });
  return 1;
}

}  // extern "C"
