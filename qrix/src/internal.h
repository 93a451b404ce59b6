// Routines shared by the pixel units of qrix. Not exported.
#pragma once

#include <stdint.h>

#include "qrix.h"

namespace qrix {

// Per-thread linear congruential generator: x = x * 214013 + 2531011, yielding
// bits 16..30. Every new thread starts with state 1.
uint32_t& randomState();

inline int32_t nextRandom() {
  uint32_t& x = randomState();
  x = x * 214013u + 2531011u;
  return static_cast<int32_t>((x >> 16) & 0x7fff);
}

inline void seedRandom(uint32_t seed) { randomState() = seed; }

// A value from 1 to n for n >= 1.
inline int32_t randomStep(int32_t n) {
  int32_t v = nextRandom() % n + 1;
  return v > n ? n : v;
}

inline int32_t clampByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Truncation toward zero of a double, through a 64-bit intermediate, low 32 bits kept.
inline int32_t truncToInt(double v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

}  // namespace qrix
