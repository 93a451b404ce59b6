// Routines shared by the pixel units of qrix. Not exported.
#pragma once

#include <stddef.h>
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

// The flat walk: byte offsets 0, 3, 6, ... while offset < size - 2, that is size / 3
// triples; rows and padding are ignored. The last byte of the buffer is never reached.
inline int32_t walkTriples(int32_t size) { return size > 2 ? size / 3 : 0; }

// Calls f(p) for the first byte of every triple of the flat walk.
template <typename F>
inline void forEachTriple(uint8_t* image, int32_t size, F f) {
  uint8_t* const end = image + 3 * static_cast<ptrdiff_t>(walkTriples(size));
  for (uint8_t* p = image; p != end; p += 3) f(p);
}

// Maps byte 0, 1 and 2 of every triple of the flat walk through its own 256-entry table.
inline void applyChannelTables(uint8_t* image, int32_t size, const uint8_t (&table)[3][256]) {
  forEachTriple(image, size, [&](uint8_t* p) {
    p[0] = table[0][p[0]];
    p[1] = table[1][p[1]];
    p[2] = table[2][p[2]];
  });
}

inline int32_t clampByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Truncation toward zero of a double, through a 64-bit intermediate, low 32 bits kept.
inline int32_t truncToInt(double v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

}  // namespace qrix
