// Letter masks: clear, fill from a picture, blend and paste back. A triple whose three bytes are all 0
// is black and belongs to no letter.
#include <cstring>

#include "internal.h"

namespace {

inline bool isBlack(const uint8_t* p) { return (p[0] | p[1] | p[2]) == 0; }

}  // namespace

extern "C" {

int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount) {
  if (byteCount > 0) std::memset(buffer, 0, static_cast<size_t>(byteCount));
  return 1;
}

int32_t DllFillImage(uint8_t* mask, const uint8_t* picture, int32_t size) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    if (isBlack(mask + i)) continue;
    std::memcpy(mask + i, picture + i, 3);
  }
  return 1;
}

int32_t DllUnShowBlack(uint8_t* destination, const uint8_t* source, int32_t size) {
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    if (isBlack(source + i)) continue;
    std::memcpy(destination + i, source + i, 3);
  }
  return 1;
}

int32_t DllMixWord(uint8_t* mask, const uint8_t* picture, int32_t size, int32_t percent) {
  const double x = percent * 0.01;
  for (int64_t i = 0; i < static_cast<int64_t>(size) - 2; i += 3) {
    uint8_t* a = mask + i;
    if (isBlack(a)) continue;
    const uint8_t* b = picture + i;
    for (int c = 0; c < 3; ++c)
      a[c] = static_cast<uint8_t>(qrix::truncToInt(x * a[c] + (1.0 - x) * b[c]) & 0xff);
  }
  return 1;
}

}  // extern "C"
