// Routines shared by the pixel units of qrix. Not exported.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "pool.h"
#include "qrix.h"

#if defined(__x86_64__)
// GCC 12 takes the intrinsics' deliberately undefined vectors for uninitialised ones when it
// inlines them; the warning points into this header, so it is silenced here alone.
#if defined(__clang__)
#include <immintrin.h>
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
#endif

#include "cpu.h"

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

// The per-thread generator held in a local over a run of draws, so the loop keeps it in a
// register; the state is written back when the run ends. Same sequence as nextRandom.
class RandomRun {
 public:
  RandomRun() : home_(randomState()), x_(home_) {}
  ~RandomRun() { home_ = x_; }
  RandomRun(const RandomRun&) = delete;
  RandomRun& operator=(const RandomRun&) = delete;
  int32_t next() {
    x_ = x_ * 214013u + 2531011u;
    return static_cast<int32_t>((x_ >> 16) & 0x7fff);
  }
  // A value from 1 to n for n >= 1, as randomStep.
  int32_t step(int32_t n) {
    int32_t v = next() % n + 1;
    return v > n ? n : v;
  }

 private:
  uint32_t& home_;
  uint32_t x_;
};

// The flat walk: byte offsets 0, 3, 6, ... while offset < size - 2, that is size / 3
// triples; rows and padding are ignored. The last byte of the buffer is never reached.
inline int32_t walkTriples(int32_t size) { return size > 2 ? size / 3 : 0; }

// Copies one pixel, read whole before it is written, so the two may overlap. Spelled out
// because a three-byte memmove is a library call.
inline void movePixel(uint8_t* to, const uint8_t* from) {
  uint16_t first;
  __builtin_memcpy(&first, from, 2);
  const uint8_t third = from[2];
  __builtin_memcpy(to, &first, 2);
  to[2] = third;
}

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

// The flat walk as bytes: byte i belongs to channel i % 3. The walk is cut into blocks of
// kWalkBlock bytes, a multiple of 3 and of every vector width, so a per-channel pattern of
// that length lines up with every block and the inner loops vectorise.
constexpr int kWalkBlock = 192;

// One value per byte position of a block: channel 0, 1, 2, 0, 1, 2, ...
template <typename T>
struct ChannelPattern {
  T at[kWalkBlock];
  ChannelPattern(T c0, T c1, T c2) {
    for (int j = 0; j < kWalkBlock; j += 3) at[j] = c0, at[j + 1] = c1, at[j + 2] = c2;
  }
};

// Sets every byte v of the flat walk to op(v, j), j being the byte's position in its block.
template <typename Op>
[[gnu::always_inline]] inline void mapWalkBytes(uint8_t* image, int32_t size, Op op) {
  const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(walkTriples(size));
  ptrdiff_t i = 0;
  for (; i + kWalkBlock <= n; i += kWalkBlock) {
    uint8_t* const p = image + i;
    for (int j = 0; j < kWalkBlock; ++j) p[j] = op(p[j], j);
  }
  for (int j = 0; i < n; ++i, ++j) image[i] = op(image[i], j);
}

#if defined(__x86_64__)
// Tens of times as fast as the word loop of mapChannelTables below (4000 x 3000).
// Table lookups with AVX-512 VBMI byte permutes: every 64 bytes are looked up in all three
// tables, two 128-entry halves each chosen by the top bit, and merged by channel. Blocks of
// 192 bytes start on channel 0.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline ptrdiff_t mapChannelTablesVbmi(
    uint8_t* image, ptrdiff_t n, const uint8_t (&table)[3][256]) {
  __m512i quarter[3][4];
  for (int c = 0; c < 3; ++c) {
    for (int q = 0; q < 4; ++q) quarter[c][q] = _mm512_loadu_si512(table[c] + 64 * q);
  }
  // Bit j of channelMask[f][c]: byte j of the block's vector f belongs to channel c.
  __mmask64 channelMask[3][3] = {};
  for (int f = 0; f < 3; ++f) {
    for (int j = 0; j < 64; ++j) channelMask[f][(64 * f + j) % 3] |= __mmask64{1} << j;
  }
  ptrdiff_t i = 0;
  for (; i + 192 <= n; i += 192) {
    for (int f = 0; f < 3; ++f) {
      const __m512i v = _mm512_loadu_si512(image + i + 64 * f);
      const __mmask64 upper = _mm512_movepi8_mask(v);
      __m512i out[3];
      for (int c = 0; c < 3; ++c) {
        const __m512i low = _mm512_permutex2var_epi8(quarter[c][0], v, quarter[c][1]);
        const __m512i high = _mm512_permutex2var_epi8(quarter[c][2], v, quarter[c][3]);
        out[c] = _mm512_mask_blend_epi8(upper, low, high);
      }
      __m512i merged = _mm512_mask_blend_epi8(channelMask[f][1], out[0], out[1]);
      merged = _mm512_mask_blend_epi8(channelMask[f][2], merged, out[2]);
      _mm512_storeu_si512(image + i + 64 * f, merged);
    }
  }
  return i;
}
#endif

// applyChannelTables, by byte permutes where the processor has them, otherwise three
// 8-byte words at a time: a third of the loads and stores.
inline void mapChannelTablesHere(uint8_t* image, int32_t size, const uint8_t (&table)[3][256]) {
  const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(walkTriples(size));
#if defined(__x86_64__)
  ptrdiff_t i = cpu::vbmi() ? mapChannelTablesVbmi(image, n, table) : 0;
#else
  ptrdiff_t i = 0;
#endif
  for (; i + 24 <= n; i += 24) {
    uint64_t w[3], o[3] = {0, 0, 0};
    __builtin_memcpy(w, image + i, 24);
#pragma GCC unroll 24
    for (int k = 0; k < 24; ++k) {
      o[k / 8] |= static_cast<uint64_t>(table[k % 3][(w[k / 8] >> (8 * (k % 8))) & 0xff]) << (8 * (k % 8));
    }
    __builtin_memcpy(image + i, o, 24);
  }
  for (; i < n; ++i) image[i] = table[i % 3][image[i]];
}

// mapChannelTablesHere spread over the pool.
inline void mapChannelTables(uint8_t* image, int32_t size, const uint8_t (&table)[3][256]) {
  eachBand(image, size,
           [&](uint8_t* part, int32_t partSize) { mapChannelTablesHere(part, partSize, table); });
}

// The histogram of each channel over the flat walk. Four partial counts, taken by turns,
// keep runs of equal values from waiting on one another's increments.
inline void countChannels(const uint8_t* image, int32_t size, int32_t (&count)[3][256]) {
  uint32_t part[4][3][256] = {};
  const ptrdiff_t n = walkTriples(size);
  const uint8_t* p = image;
  ptrdiff_t t = 0;
  for (; t + 4 <= n; t += 4, p += 12) {
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
      ++part[k][0][p[3 * k]];
      ++part[k][1][p[3 * k + 1]];
      ++part[k][2][p[3 * k + 2]];
    }
  }
  for (; t < n; ++t, p += 3) {
    ++part[0][0][p[0]];
    ++part[0][1][p[1]];
    ++part[0][2][p[2]];
  }
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) {
      count[c][v] = static_cast<int32_t>(part[0][c][v] + part[1][c][v] + part[2][c][v] + part[3][c][v]);
    }
  }
}

// Pixel kernels work on planes: the walk's triples are split into blocks of kPixelBlock
// blue, green and red values, kernel(b, g, r) rewrites all kPixelBlock entries of the three
// planes in place, and the planes are woven back. The last block is padded with zeros, so
// kernels must be harmless on any value.
constexpr int kPixelBlock = 64;

template <typename Kernel>
[[gnu::always_inline]] inline void mapWalkPixels(uint8_t* image, int32_t size, Kernel kernel) {
  const ptrdiff_t n = walkTriples(size);
  alignas(64) uint8_t b[kPixelBlock], g[kPixelBlock], r[kPixelBlock];
  for (ptrdiff_t t = 0; t < n; t += kPixelBlock) {
    uint8_t* const p = image + 3 * t;
    const bool whole = n - t >= kPixelBlock;
    const int m = whole ? kPixelBlock : static_cast<int>(n - t);
    if (whole) {
      for (int k = 0; k < kPixelBlock; ++k) b[k] = p[3 * k], g[k] = p[3 * k + 1], r[k] = p[3 * k + 2];
    } else {
      for (int k = 0; k < kPixelBlock; ++k) b[k] = g[k] = r[k] = 0;
      for (int k = 0; k < m; ++k) b[k] = p[3 * k], g[k] = p[3 * k + 1], r[k] = p[3 * k + 2];
    }
    kernel(b, g, r);  // one call site, so the kernel is inlined into the caller's vector clone
    if (whole) {
      for (int k = 0; k < kPixelBlock; ++k) p[3 * k] = b[k], p[3 * k + 1] = g[k], p[3 * k + 2] = r[k];
    } else {
      for (int k = 0; k < m; ++k) p[3 * k] = b[k], p[3 * k + 1] = g[k], p[3 * k + 2] = r[k];
    }
  }
}

inline int32_t clampByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Truncation toward zero of a double, through a 64-bit intermediate, low 32 bits kept.
inline int32_t truncToInt(double v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

// The flat walk in blocks of kWalkBlock bytes, each starting on channel 0: pick(offset, count, chosen)
// sets the block's bytes in `chosen` to 0xff or 0, the three of a triple alike, and
// op(offset, count, chosen) rewrites the block's bytes without branches.
template <class Pick, class Op>
[[gnu::always_inline]] inline void chosenTriples(int32_t size, Pick&& pick, Op&& op) {
  const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(walkTriples(size));
  alignas(64) uint8_t chosen[kWalkBlock];
  for (ptrdiff_t i = 0; i < n; i += kWalkBlock) {
    const int m = n - i < kWalkBlock ? static_cast<int>(n - i) : kWalkBlock;
    pick(i, m, chosen);
    op(i, m, static_cast<const uint8_t*>(chosen));
  }
}

// Chooses whole triples from marks on single bytes: a triple is chosen when any of its bytes is
// marked. mark(j) gives 0xff or 0 for byte j of a block; each byte then ors in its triple
// neighbours, selected by channel patterns, so both loops vectorise.
struct AnyOfTriple {
  ChannelPattern<uint8_t> next1{0xff, 0xff, 0}, next2{0xff, 0, 0}, prev1{0, 0xff, 0xff}, prev2{0, 0, 0xff};

  template <class Mark>
  [[gnu::always_inline]] void operator()(int m, uint8_t* chosen, Mark&& mark) const {
    alignas(64) uint8_t marked[kWalkBlock + 4];  // byte j at marked[2 + j]
    marked[0] = marked[1] = marked[m + 2] = marked[m + 3] = 0;
    for (int j = 0; j < m; ++j) marked[2 + j] = mark(j);
    for (int j = 0; j < m; ++j) {
      chosen[j] = marked[2 + j] | (marked[3 + j] & next1.at[j]) | (marked[4 + j] & next2.at[j]) |
                  (marked[1 + j] & prev1.at[j]) | (marked[j] & prev2.at[j]);
    }
  }
};

// Copies the chosen triples of source into destination.
template <class Pick>
[[gnu::always_inline]] inline void copyChosen(uint8_t* destination, const uint8_t* source, int32_t size,
                                              Pick&& pick) {
  chosenTriples(size, pick, [&](ptrdiff_t i, int m, const uint8_t* chosen) {
    uint8_t* d = destination + i;
    const uint8_t* s = source + i;
    for (int j = 0; j < m; ++j) d[j] = (chosen[j] & s[j]) | (~chosen[j] & d[j]);
  });
}

// Chosen bytes d of the image become the low byte of trunc(u * d + w * s), s being the picture's byte.
// The 32-bit truncation (kNarrow) is used only where 255 * (|u| + |w|) keeps every sum inside 32 bits.
template <bool kNarrow, class Pick>
[[gnu::always_inline]] inline void blendChosen(uint8_t* image, const uint8_t* picture, int32_t size, double u,
                                               double w, Pick&& pick) {
  auto mix = [u, w](int32_t d, int32_t s) {
    const double v = u * d + w * s;
    return static_cast<uint8_t>(kNarrow ? static_cast<int32_t>(v) : truncToInt(v));
  };
  // Weights in 0 .. 1 may be replaced by 16-bit fixed point, (U * d + W * s) >> 16, when that gives
  // the same byte for all 65536 pairs (d, s), checked here; worth it on large pictures only.
  if (size >= (1 << 20) && u >= 0.0 && u <= 1.0 && w >= 0.0 && w <= 1.0) {
    const uint32_t fu = static_cast<uint32_t>(u * 65536.0 + 0.5),
                   fw = static_cast<uint32_t>(w * 65536.0 + 0.5);
    bool same = true;
    for (uint32_t d = 0; d < 256 && same; ++d) {
      for (uint32_t s = 0; s < 256; ++s) same &= static_cast<uint8_t>((fu * d + fw * s) >> 16) == mix(d, s);
    }
    if (same) {
      chosenTriples(size, pick, [&](ptrdiff_t i, int m, const uint8_t* chosen) {
        uint8_t* d = image + i;
        const uint8_t* s = picture + i;
        for (int j = 0; j < m; ++j) {
          const uint8_t mixed = static_cast<uint8_t>((fu * d[j] + fw * s[j]) >> 16);
          d[j] = (chosen[j] & mixed) | (~chosen[j] & d[j]);
        }
      });
      return;
    }
  }
  chosenTriples(size, pick, [&](ptrdiff_t i, int m, const uint8_t* chosen) {
    uint8_t* d = image + i;
    const uint8_t* s = picture + i;
    for (int j = 0; j < m; ++j) {
      const uint8_t mixed = mix(d[j], s[j]);
      d[j] = (chosen[j] & mixed) | (~chosen[j] & d[j]);
    }
  });
}

// Whether 255 * (|u| + |w|) keeps every blended sum inside 32 bits.
inline bool narrowBlend(double u, double w) {
  return 255.0 * (__builtin_fabs(u) + __builtin_fabs(w)) < 2147483000.0;
}

}  // namespace qrix
