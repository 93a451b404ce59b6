// Fixed colour mappings chosen by a mode number, and the grey-scale variants.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "internal.h"
#include "qrix_modes.h"

namespace {

using qrix::ChannelPattern;
using qrix::forEachTriple;
using qrix::kPixelBlock;
using qrix::mapWalkBytes;
using qrix::mapWalkPixels;
using qrix::randomStep;
using qrix::truncToInt;
using qrix::walkTriples;

inline uint8_t byte(int32_t v) { return static_cast<uint8_t>(v); }
inline uint8_t atMost255(int32_t v) { return static_cast<uint8_t>(std::min(255, v)); }

// Calls f(b, g, r) with references to the three bytes of every triple of the walk, through
// blocks of planes so that the loop vectorises.
template <typename F>
[[gnu::always_inline]] inline void eachPixel(uint8_t* image, int32_t size, F f) {
  mapWalkPixels(
      image, size, [&](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) f(B[k], G[k], R[k]);
      });
}

// Xors channel 0, 1, 2 of every triple with the given masks.
inline void invert(uint8_t* image, int32_t size, uint8_t b, uint8_t g, uint8_t r) {
  const ChannelPattern<uint8_t> mask(b, g, r);
  mapWalkBytes(image, size, [&](uint8_t v, int j) { return static_cast<uint8_t>(v ^ mask.at[j]); });
}

// Keeps the bits of channel 0, 1, 2 of every triple that the masks keep.
inline void keep(uint8_t* image, int32_t size, uint8_t b, uint8_t g, uint8_t r) {
  const ChannelPattern<uint8_t> mask(b, g, r);
  mapWalkBytes(image, size, [&](uint8_t v, int j) { return static_cast<uint8_t>(v & mask.at[j]); });
}

// A table stretching [lo, hi] onto [0, 255]. A channel without a positive range has
// nothing to stretch and keeps its values.
void stretchTable(uint8_t* table, int32_t lo, int32_t hi) {
  const int32_t range = hi - lo;
  for (int32_t v = 0; v < 256; ++v) {
    table[v] = range > 0 ? byte(qrix::clampByte((v - lo) * 255 / range)) : byte(v);
  }
}

// Brown tones: c, d and e feed each other unlimited and are limited only when stored.
// The divisor is a constant of each instance; every operand is non-negative.
template <int32_t divisor>
[[gnu::always_inline]] inline void brown(uint8_t* image, int32_t size) {
  eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
    const int32_t c = g * b / divisor;
    const int32_t d = b * c / 256;
    const int32_t e = d * c / 256;
    r = atMost255(c);
    g = atMost255(d);
    b = atMost255(e);
  });
}

// Per channel, the largest value and the smallest value that did not raise the largest
// so far (0 and 255 before the first triple).
QRIX_VECTOR_CLONES void contrastBounds(const uint8_t* __restrict image, int32_t size, int32_t (&hi)[3],
                                       int32_t (&lo)[3]) {
  const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(walkTriples(size));
  for (int c = 0; c < 3; ++c) hi[c] = 0, lo[c] = 255;
  if (n == 0) return;
  // After the first triple a value above the largest so far cannot be the smallest of the
  // rest, so the smallest value of the walk is missed only when it stands alone in the
  // first triple. That case is left to the running scan.
  uint8_t top[qrix::kWalkBlock], bottom[qrix::kWalkBlock];
  for (int j = 0; j < qrix::kWalkBlock; ++j) top[j] = 0, bottom[j] = 255;
  ptrdiff_t i = 3;
  for (; i + qrix::kWalkBlock <= n; i += qrix::kWalkBlock) {
    for (int j = 0; j < qrix::kWalkBlock; ++j) {
      const uint8_t v = image[i + j], t = top[j], u = bottom[j];
      top[j] = v > t ? v : t;
      bottom[j] = v < u ? v : u;
    }
  }
  for (int j = 0; i < n; ++i, ++j) {
    top[j] = std::max(top[j], image[i]);
    bottom[j] = std::min(bottom[j], image[i]);
  }
  int32_t restHi[3] = {0, 0, 0}, restLo[3] = {255, 255, 255};
  for (int j = 0; j < qrix::kWalkBlock; ++j) {
    // Positions past i + 3 in the block start at channel (3 + j) % 3 == j % 3.
    restHi[j % 3] = std::max<int32_t>(restHi[j % 3], top[j]);
    restLo[j % 3] = std::min<int32_t>(restLo[j % 3], bottom[j]);
  }
  for (int c = 0; c < 3; ++c) {
    const int32_t first = image[c];
    hi[c] = std::max(first, restHi[c]);
    if (first == 0 || restLo[c] <= first) {
      lo[c] = std::min(first, restLo[c]);
      continue;
    }
    int32_t runHi = 0, runLo = 255;
    for (ptrdiff_t k = c; k < n; k += 3) {
      const int32_t v = image[k];
      const bool raises = v > runHi;
      runLo = raises ? runLo : std::min(runLo, v);
      runHi = raises ? v : runHi;
    }
    lo[c] = runLo;
  }
}

void autoContrast(uint8_t* image, int32_t size) {
  int32_t hi[3], lo[3];
  contrastBounds(image, size, hi, lo);
  uint8_t table[3][256];
  for (int c = 0; c < 3; ++c) stretchTable(table[c], lo[c], hi[c]);
  qrix::mapChannelTables(image, size, table);
}

void autoLevel(uint8_t* image, int32_t size) {
  if (walkTriples(size) == 0) return;
  const int32_t quota = truncToInt((size / 3) * 0.055);
  int32_t count[3][256];
  qrix::countChannels(image, size, count);
  uint8_t table[3][256];
  for (int c = 0; c < 3; ++c) {
    const int32_t* n = count[c];
    int32_t lo = 0;
    while (n[lo] == 0) ++lo;  // the walk counted at least one value
    int32_t hi = 255;
    while (n[hi] == 0) --hi;
    // Clip about 5.5 % of the pixels at each end.
    int32_t remainder = quota;
    for (int32_t v = lo; v <= 255; ++v) {
      remainder -= n[v];
      if (remainder <= 0) {
        lo = v;
        break;
      }
    }
    remainder = quota;
    for (int32_t v = hi; v >= 0; --v) {
      remainder -= n[v];
      if (remainder <= 0) {
        hi = v;
        break;
      }
    }
    stretchTable(table[c], lo, hi);
  }
  qrix::mapChannelTables(image, size, table);
}

// min(255, trunc(2 * x * atan(y))) for bytes x and y, indexed [x][y]; built on first use.
const uint8_t (&hardTable())[256][256] {
  static const auto table = [] {
    struct Table {
      uint8_t at[256][256];
    } t;
    for (int32_t y = 0; y < 256; ++y) {
      const double a = std::atan(static_cast<double>(y));
      for (int32_t x = 0; x < 256; ++x) t.at[x][y] = atMost255(truncToInt(2 * x * a));
    }
    return t;
  }();
  return table.at;
}

// clampByte(trunc(125 * sin(atan(x / y)) + 20)) for bytes x and y > 0, indexed [x][y];
// built on first use.
const uint8_t (&unrealTable())[256][256] {
  static const auto table = [] {
    struct Table {
      uint8_t at[256][256];
    } t;
    for (int32_t x = 0; x < 256; ++x) {
      t.at[x][0] = 0;  // never read: divisors are raised to 1 first
      for (int32_t y = 1; y < 256; ++y) {
        const double q = static_cast<double>(x) / static_cast<double>(y);
        t.at[x][y] = byte(qrix::clampByte(truncToInt(125 * std::sin(std::atan(q)) + 20)));
      }
    }
    return t;
  }();
  return table.at;
}

#if defined(__x86_64__)
bool hasAvx512() {
  static const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
  return wide;
}
#endif

// The generator x' = a x + c, and its steps composed: two and three draws at once.
constexpr uint32_t kA1 = 214013u, kC1 = 2531011u;
constexpr uint32_t kA2 = kA1 * kA1, kC2 = kA1 * kC1 + kC1;
constexpr uint32_t kA3 = kA2 * kA1, kC3 = kA1 * kC2 + kC1;

// mul[k] x + add[k] is the state three draws per triple later, before triple k of a block.
struct NoiseJumps {
  uint32_t mul[kPixelBlock + 1];
  uint32_t add[kPixelBlock + 1];
};

constexpr NoiseJumps noiseJumps() {
  NoiseJumps j{};
  j.mul[0] = 1, j.add[0] = 0;
  for (int k = 0; k < kPixelBlock; ++k) j.mul[k + 1] = kA3 * j.mul[k], j.add[k + 1] = kA3 * j.add[k] + kC3;
  return j;
}

// (v + n % v + 1) / 2 for the draw of state x, v raised to 1. n < 2^15 and v < 2^8, so the
// float quotient truncates to n / v exactly (checked for every pair).
inline uint8_t noiseStep(uint8_t value, uint32_t x) {
  const int32_t v = value | (value == 0);
  const int32_t n = static_cast<int32_t>((x >> 16) & 0x7fff);
  const int32_t q = static_cast<int32_t>(static_cast<float>(n) / static_cast<float>(v));
  return byte((v + n - v * q + 1) / 2);
}

// The noise walk: every triple draws red, green, blue in that order. The state before each
// triple of a block is reached from the block's first in one jump, so the triples do not
// wait on one another.
QRIX_VECTOR_CLONES void noise(uint8_t* image, int32_t size) {
  static constexpr NoiseJumps jump = noiseJumps();
  uint32_t& state = qrix::randomState();
  uint32_t x = state;
  ptrdiff_t left = walkTriples(size);
  mapWalkPixels(
      image, size, [&](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const uint32_t s = jump.mul[k] * x + jump.add[k];
          R[k] = noiseStep(R[k], kA1 * s + kC1);
          G[k] = noiseStep(G[k], kA2 * s + kC2);
          B[k] = noiseStep(B[k], kA3 * s + kC3);
        }
        const int m = left < kPixelBlock ? static_cast<int>(left) : kPixelBlock;
        x = jump.mul[m] * x + jump.add[m];
        left -= m;
      });
  state = x;
}

#if defined(__x86_64__)
// The generator's step taken n times at once, as x -> mul x + add.
struct Jump {
  uint32_t mul, add;
};

constexpr Jump jumpOf(uint64_t n) {
  Jump total{1, 0}, power{kA1, kC1};
  for (; n != 0; n >>= 1) {
    if (n & 1) total = {power.mul * total.mul, power.mul * total.add + power.add};
    power = {power.mul * power.mul, power.mul * power.add + power.add};
  }
  return total;
}

// The noise walk on the interleaved bytes, sixteen to a vector. Byte i of the walk takes draw
// 3 (i / 3) + 2 - i % 3, red being drawn first; draws are a fixed 48 apart from one vector to
// the one three places on, so each of three vectors of states moves on by one 48-step jump.
__attribute__((target("avx512f,avx512bw,avx512dq,avx512vl"))) void noise512(uint8_t* image, int32_t size) {
  constexpr Jump ahead = jumpOf(48);
  uint32_t& state = qrix::randomState();
  const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(walkTriples(size));
  // The states of draws 0 .. 47, then laid out by byte.
  alignas(64) uint32_t drawn[48], lanes[48];
  uint32_t x = state;
  for (uint32_t& s : drawn) s = x = kA1 * x + kC1;
  for (int i = 0; i < 48; ++i) lanes[i] = drawn[3 * (i / 3) + 2 - i % 3];
  __m512i s[3] = {_mm512_load_si512(lanes), _mm512_load_si512(lanes + 16), _mm512_load_si512(lanes + 32)};
  const __m512i mul = _mm512_set1_epi32(static_cast<int32_t>(ahead.mul)),
                add = _mm512_set1_epi32(static_cast<int32_t>(ahead.add)), low15 = _mm512_set1_epi32(0x7fff),
                one = _mm512_set1_epi32(1);
  for (ptrdiff_t i = 0; i < n; i += 48) {
    for (int f = 0; f < 3; ++f) {
      const ptrdiff_t at = i + 16 * f;
      if (at >= n) break;
      const __mmask16 live = n - at >= 16 ? __mmask16(0xffff) : static_cast<__mmask16>((1u << (n - at)) - 1);
      // (v + n % v + 1) / 2 with v raised to 1; the float quotient truncates to n / v exactly.
      const __m512i v = _mm512_max_epi32(_mm512_cvtepu8_epi32(_mm_maskz_loadu_epi8(live, image + at)), one);
      const __m512i draw = _mm512_and_si512(_mm512_srli_epi32(s[f], 16), low15);
      const __m512i q = _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(draw), _mm512_cvtepi32_ps(v)));
      const __m512i r = _mm512_sub_epi32(draw, _mm512_mullo_epi32(v, q));
      const __m512i out = _mm512_srli_epi32(_mm512_add_epi32(_mm512_add_epi32(v, r), one), 1);
      _mm_mask_storeu_epi8(image + at, live, _mm512_cvtepi32_epi8(out));
      s[f] = _mm512_add_epi32(_mm512_mullo_epi32(s[f], mul), add);
    }
  }
  const Jump walked = jumpOf(static_cast<uint64_t>(n));
  state = walked.mul * state + walked.add;
}
#endif

// Grey pixels become a colour ramp blue - cyan - green - yellow - red; others stay.
inline void falseColor(uint8_t& pb, uint8_t& pg, uint8_t& pr) {
  const int32_t e = pb;
  const bool grey = (pb == pg) & (pg == pr);
  const int32_t b = e <= 63 ? 255 : (e <= 127 ? 510 - 4 * e : 0);
  const int32_t g = e <= 63 ? 254 - 4 * e : (e <= 127 ? 4 * e - 254 : (e <= 191 ? 255 : 1022 - 4 * e));
  const int32_t r = e <= 127 ? 0 : (e <= 191 ? 4 * e - 510 : 255);
  pb = grey ? byte(qrix::clampByte(b)) : pb;
  pg = grey ? byte(qrix::clampByte(g)) : pg;
  pr = grey ? byte(qrix::clampByte(r)) : pr;
}

// The modes whose loops vectorise, built for wider vectors too. Conversions of doubles
// that stay far inside 32 bits truncate as truncToInt does. Returns false for other modes.
QRIX_VECTOR_CLONES bool mapVector(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case QRIX_PNO_INVERT_ALL:
      invert(image, size, 0xff, 0xff, 0xff);
      break;
    case QRIX_PNO_INVERT_RED:
      invert(image, size, 0, 0, 0xff);
      break;
    case QRIX_PNO_INVERT_GREEN:
      invert(image, size, 0, 0xff, 0);
      break;
    case QRIX_PNO_INVERT_BLUE:
      invert(image, size, 0xff, 0, 0);
      break;
    case QRIX_PNO_INVERT_CARMINE:
      invert(image, size, 0xff, 0, 0xff);
      break;
    case QRIX_PNO_INVERT_CYAN:
      invert(image, size, 0xff, 0xff, 0);
      break;
    case QRIX_PNO_INVERT_YELLOW:
      invert(image, size, 0, 0xff, 0xff);
      break;
    case QRIX_PNO_GREY_AVERAGE:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r = byte((b + g + r) / 3); });
      break;
    case QRIX_PNO_RGB_TO_BGR:
      eachPixel(image, size, [](uint8_t& b, uint8_t&, uint8_t& r) { std::swap(b, r); });
      break;
    case QRIX_PNO_RGB_TO_BRG:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const uint8_t b = pb, g = pg, r = pr;
        pr = b, pg = r, pb = g;
      });
      break;
    case QRIX_PNO_RGB_TO_GBR:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const uint8_t b = pb, g = pg, r = pr;
        pr = g, pg = b, pb = r;
      });
      break;
    case QRIX_PNO_RGB_TO_GRB:
      eachPixel(image, size, [](uint8_t&, uint8_t& g, uint8_t& r) { std::swap(g, r); });
      break;
    case QRIX_PNO_RGB_TO_RBG:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t&) { std::swap(b, g); });
      break;
    case QRIX_PNO_KILL_RED:
      keep(image, size, 0xff, 0xff, 0);
      break;
    case QRIX_PNO_KILL_GREEN:
      keep(image, size, 0xff, 0, 0xff);
      break;
    case QRIX_PNO_KILL_BLUE:
      keep(image, size, 0, 0xff, 0xff);
      break;
    case QRIX_PNO_KILL_CYAN:
      keep(image, size, 0, 0, 0xff);
      break;
    case QRIX_PNO_KILL_CARMINE:
      keep(image, size, 0, 0xff, 0);
      break;
    case QRIX_PNO_KILL_YELLOW:
      keep(image, size, 0xff, 0, 0);
      break;
    case QRIX_PNO_SOFT_RED:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t&) { b = g = byte((b + g) / 2); });
      break;
    case QRIX_PNO_SOFT_GREEN:
      eachPixel(image, size, [](uint8_t&, uint8_t& g, uint8_t& r) { g = r = byte((g + r) / 2); });
      break;
    case QRIX_PNO_SOFT_ORANGE:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = byte(g / 2);
        g = byte(r / 2);
      });
      break;
    case QRIX_PNO_SOFT_YELLOW:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = byte(g / 2);
        g = r = byte(r / 2);
      });
      break;
    case QRIX_PNO_SOFT_PURPLE:
      eachPixel(image, size, [](uint8_t& b, uint8_t&, uint8_t& r) { b = r = byte((b + r) / 2); });
      break;
    case QRIX_PNO_HARD_YELLOW:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = g;
        g = r;
      });
      break;
    case QRIX_PNO_FAST_PURPLE:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const int32_t b = pb, g = pg, r = pr;
        const int32_t r1 = (r + g) / 2;
        pr = byte(r1);
        pg = byte((g + b) / 2);
        pb = byte((b + r1) / 2);
      });
      break;
    case QRIX_PNO_FAST_GREY:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = g = r = byte(static_cast<int32_t>(0.11 * b + 0.3 * r + 0.59 * g));
      });
      break;
    case QRIX_PNO_FAST_YELLOW:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const int32_t g = pg, r = pr;
        const int32_t b = (g - r) * (g - r) / 125;
        const int32_t d = (g - b) * (g - b) / 125;
        const int32_t e = (b + d) * (b + d) / 125;
        pb = atMost255(b);
        pg = atMost255(e);
        pr = atMost255(d);
      });
      break;
    case QRIX_PNO_FAST_BROWN:
      brown<128>(image, size);
      break;
    case QRIX_PNO_FAST_DARK_BROWN:
      brown<256>(image, size);
      break;
    case QRIX_PNO_ECLIPSE:  // this walk stops one triple earlier, offsets < size - 5
      if (size > 5) {
        eachPixel(image, size - 3, [](uint8_t& b, uint8_t& pg, uint8_t& r) {
          const int32_t g = std::abs(pg - 64);
          pg = r = byte(g);
          b = byte(std::abs(g - 64));
        });
      }
      break;
    case QRIX_PNO_AFRICA:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const int32_t r1 = pg * pb / 256;
        const int32_t g1 = pb * r1 / 256;
        pr = byte(r1);
        pg = byte(g1);
        pb = byte(g1 * r1 / 256);
      });
      break;
    case QRIX_PNO_STRANGE:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& pr) {
        const int32_t r = pr;
        g = atMost255(r + g / 2);
        b = atMost255(r + b / 2);
      });
      break;
    case QRIX_PNO_LIQUID:
      // trunc(0.008 * d * d) is d * d / 125 for every |d| <= 255, and d * d fits 16 bits.
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        auto liquid = [](uint8_t x, uint8_t y) {
          const uint16_t d = x > y ? x - y : y - x;
          const uint16_t q = static_cast<uint16_t>(d * d) / 125;
          return static_cast<uint8_t>(q < 255 ? q : 255);
        };
        const uint8_t r1 = liquid(pg, pb);
        const uint8_t g1 = liquid(r1, pb);
        pr = r1;
        pg = g1;
        pb = liquid(r1, g1);
      });
      break;
    case QRIX_PNO_FLAME:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        const int32_t t = (b + g + r) / 3;
        r = atMost255(r + t);
        b = byte(std::max(0, b - t));
      });
      break;
    case QRIX_PNO_NIGHT:  // byte by byte over offsets 0 .. size - 1, not by triples
      for (int32_t i = 0; i < size; ++i) image[i] = byte(image[i] * image[i] / 256);
      break;
    case QRIX_PNO_FALSE_COLOR:
      eachPixel(image, size, falseColor);
      break;
    case QRIX_PNO_STANDARD_GREY:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) {
        b = g = r = byte(static_cast<int32_t>(0.3 * r + 0.11 * b + 0.59 * g));
      });
      break;
    default:
      return false;
  }
  return true;
}

QRIX_VECTOR_CLONES void greyVector(uint8_t* image, int32_t size, int32_t mode) {
  switch (mode) {
    case QRIX_GREY_HIGH_LIGHT:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r = std::max({b, g, r}); });
      break;
    case QRIX_GREY_MEDIAN_LIGHT:
      eachPixel(image, size, [](uint8_t& pb, uint8_t& pg, uint8_t& pr) {
        const uint8_t b = pb, g = pg, r = pr;
        pb = pg = pr = std::max(std::min(b, g), std::min(std::max(b, g), r));
      });
      break;
    case QRIX_GREY_LOW_LIGHT:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r = std::min({b, g, r}); });
      break;
    case QRIX_GREY_ONLY_R:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r; });
      break;
    case QRIX_GREY_ONLY_G:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { b = r = g; });
      break;
    case QRIX_GREY_ONLY_B:
      eachPixel(image, size, [](uint8_t& b, uint8_t& g, uint8_t& r) { g = r = b; });
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" {

int32_t pno(uint8_t* image, int32_t size, int32_t mode) {
  if (mapVector(image, size, mode)) return 1;
  switch (mode) {
    case QRIX_PNO_HARD_RED: {
      const auto& hard = hardTable();
      forEachTriple(image, size, [&](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[1] = byte((b + g) / 2);
        p[2] = hard[r][g];
      });
      break;
    }
    case QRIX_PNO_HARD_GREEN: {
      const auto& hard = hardTable();
      forEachTriple(image, size, [&](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[0] = p[2] = byte((b + r) / 2);
        p[1] = hard[g][r];
      });
      break;
    }
    case QRIX_PNO_HARD_BLUE: {
      const auto& hard = hardTable();
      forEachTriple(image, size, [&](uint8_t* p) {
        const int32_t b = p[0], g = p[1], r = p[2];
        p[1] = p[2] = byte((g + r) / 2);
        p[0] = hard[b][g];
      });
      break;
    }
    case QRIX_PNO_NOISE:  // draws red, green, blue in that order
#if defined(__x86_64__)
      if (hasAvx512()) {
        noise512(image, size);
        break;
      }
#endif
      noise(image, size);
      break;
    case QRIX_PNO_WET_PAPER: {  // each channel on its own
      uint8_t wet[3][256];
      for (int32_t v = 0; v < 256; ++v) {
        wet[0][v] = wet[1][v] = wet[2][v] =
            atMost255(v + std::abs(truncToInt(64 * std::sin(static_cast<double>(v)))));
      }
      qrix::mapChannelTables(image, size, wet);
      break;
    }
    case QRIX_PNO_AUTO_CONTRAST:
      autoContrast(image, size);
      break;
    case QRIX_PNO_AUTO_LEVEL:
      autoLevel(image, size);
      break;
    case QRIX_PNO_UNREAL: {  // blue and green are raised to 1 before they divide
      const auto& unreal = unrealTable();
      forEachTriple(image, size, [&](uint8_t* p) {
        const int32_t b = std::max<int32_t>(p[0], 1), g = std::max<int32_t>(p[1], 1), r = p[2];
        p[2] = unreal[g][b];
        p[1] = unreal[r][b];
        p[0] = unreal[r][g];
      });
      break;
    }
    default:  // every other mode leaves the image alone
      break;
  }
  return 1;
}

int32_t dllgreyadvance(uint8_t* image, int32_t size, int32_t mode) {
  greyVector(image, size, mode);
  return 1;
}

}  // extern "C"
