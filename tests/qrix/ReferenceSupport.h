// Arithmetic shared by the plain reference versions of the library's functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reference {

// The library's generator restated: one state per thread, shared by every family
// of functions, starting at 1 in each new thread.
inline thread_local uint32_t randomState = 1;

inline void seedRandom(uint32_t seed) { randomState = seed; }

inline int32_t nextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7fff);
}

// A value from 1 to n for n >= 1.
inline int32_t randomStep(int32_t n) {
  int32_t v = nextRandom() % n + 1;
  return v > n ? n : v;
}

// Number of triples the flat walk visits for a buffer whose last byte index is size.
inline int32_t walkTriples(int32_t size) { return size > 2 ? size / 3 : 0; }

template <typename F>
void forEachTriple(uint8_t* image, int32_t size, F f) {
  uint8_t* const end = image + 3 * static_cast<ptrdiff_t>(walkTriples(size));
  for (uint8_t* p = image; p != end; p += 3) f(p);
}

inline int32_t clampByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

inline int32_t truncToInt(double v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

}  // namespace reference
