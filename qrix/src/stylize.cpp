// Stylize filters: per-pixel looks on the flat walk, the recursive neon difference,
// the random fog, diffuse and canvas scatters, and the wave displacement.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "internal.h"

namespace {

using qrix::kPixelBlock;
using qrix::mapWalkPixels;

// randomStep(n) for one n drawn many times, without the division: for a draw r < 2^15 and
// 2 <= d = |n| <= 2^15 - 1, r % n = r - d * (r * m >> 32) with m = 2^32 / d + 1, exact because
// r * d < 2^32. For larger d the remainder is r itself; for d = 1 any remainder gives n once
// capped. n must not be 0. The product is taken in 16-bit halves of m, so that vector loops
// stay in 32-bit lanes: (r * m) >> 32 = (r * mh + (r * ml >> 16)) >> 16, as flooring in steps
// floors the whole.
class RandomSteps {
 public:
  explicit RandomSteps(int32_t n) : n_(n) {
    const uint32_t d = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    m_ = d >= 2 && d <= 0x7fff ? static_cast<uint32_t>((uint64_t{1} << 32) / d + 1) : 0;
    d_ = m_ ? d : 0;
  }

  // The step drawn by the generator moving to state x.
  int32_t fromState(uint32_t x) const {
    const uint32_t r = (x >> 16) & 0x7fff;
    const uint32_t rem = r - d_ * ((r * (m_ >> 16) + ((r * (m_ & 0xffff)) >> 16)) >> 16);
    const int32_t v = static_cast<int32_t>(rem) + 1;
    return v > n_ ? n_ : v;
  }

 private:
  int32_t n_;
  uint32_t d_;
  uint32_t m_;
};

// The generator's recurrence composed k times: state x becomes kRandomMul[k] * x + kRandomAdd[k],
// so several draws can be computed from one state without waiting on one another.
struct RandomJumps {
  uint32_t mul[kPixelBlock + 1];
  uint32_t add[kPixelBlock + 1];
  constexpr RandomJumps() : mul{1u}, add{0u} {
    for (int k = 1; k <= kPixelBlock; ++k) {
      mul[k] = mul[k - 1] * 214013u;
      add[k] = add[k - 1] * 214013u + 2531011u;
    }
  }
};
constexpr RandomJumps kJumps;
constexpr const uint32_t (&kRandomMul)[kPixelBlock + 1] = kJumps.mul;
constexpr const uint32_t (&kRandomAdd)[kPixelBlock + 1] = kJumps.add;

// 32-bit wrap-around arithmetic, as the filters' integer steps are defined on it.
inline int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t abs32(int32_t v) { return v < 0 ? wrap(-static_cast<int64_t>(v)) : v; }
inline int32_t atMost255(int32_t v) { return v > 255 ? 255 : v; }

// min(255, |v + shift|) in wrap-around 32 bits, low byte kept; the form the loops vectorise.
inline uint8_t shiftedByte(int32_t v, int32_t shift) {
  const uint32_t s = static_cast<uint32_t>(v) + static_cast<uint32_t>(shift);
  const int32_t a = static_cast<int32_t>(static_cast<int32_t>(s) < 0 ? 0u - s : s);
  return static_cast<uint8_t>(a > 255 ? 255 : a);
}

// Truncation of a double whose value may be infinite or NaN: such values give the
// integer-indefinite result, whose low 32 bits are 0.
inline int32_t truncAny(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) return 0;
  return qrix::truncToInt(v);
}

struct Grey3 {
  int32_t g1, g2, g3;
};

// The three grey levels shared by charcoal and comedy.
inline Grey3 charcoalLevels(int32_t b, int32_t g, int32_t r) {
  Grey3 out;
  out.g1 = atMost255(std::abs(r * (2 * g - b + r)) / 256);
  out.g2 = atMost255(std::abs(out.g1 * (2 * b - g + out.g1)) / 256);
  out.g3 = atMost255(std::abs(out.g2 * (2 * b - out.g2 + out.g1)) / 256);
  return out;
}

// Pixel (i, j) of the canvas and wave grid: one pixel less than a row per step, no padding.
inline int64_t gridOffset(int64_t i, int64_t j, int32_t width) {
  return 3 * i + (3 * int64_t{width} - 3) * j;
}

// One table for all three channels.
struct ByteTable {
  uint8_t at[3][256];
  template <typename F>
  explicit ByteTable(F f) {
    for (int v = 0; v < 256; ++v) at[0][v] = at[1][v] = at[2][v] = f(v);
  }
};

// A byte for every sum of three bytes (the low byte of what f gives).
struct SumTable {
  uint8_t at[766];
  template <typename F>
  explicit SumTable(F f) {
    for (int s = 0; s < 766; ++s) at[s] = static_cast<uint8_t>(f(s));
  }
};

QRIX_VECTOR_KERNEL(void, charcoalWalk, (uint8_t * image, int32_t size), (image, size)) {
  mapWalkPixels(
      image, size, [](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const Grey3 g = charcoalLevels(B[k], G[k], R[k]);
          B[k] = G[k] = R[k] = static_cast<uint8_t>((g.g1 + g.g2 + g.g3) / 3);
        }
      });
}

QRIX_VECTOR_KERNEL(void, comedyWalk, (uint8_t * image, int32_t size, const SumTable& red),
                   (image, size, red)) {
  // Red is looked up byte by byte after the vector pass, which costs less than vector gathers.
  mapWalkPixels(
      image, size, [&red](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        alignas(64) uint16_t sum[kPixelBlock];
        for (int k = 0; k < kPixelBlock; ++k) {
          const Grey3 g = charcoalLevels(B[k], G[k], R[k]);
          sum[k] = static_cast<uint16_t>(g.g1 + g.g2 + g.g3);
          G[k] = static_cast<uint8_t>(g.g2);
          B[k] = static_cast<uint8_t>(g.g3);
        }
        for (int k = 0; k < kPixelBlock; ++k) R[k] = red.at[sum[k]];
      });
}

QRIX_VECTOR_KERNEL(void, iceWalk, (uint8_t * image, int32_t size, uint32_t k), (image, size, k)) {
  // k * x wrapped to 32 bits, made non-negative and capped; the cap leaves a wrapped
  // minimum negative, which the next step takes as it is.
  auto level = [k](uint32_t x) {
    const int32_t v = static_cast<int32_t>(k * x);
    const int32_t a = static_cast<int32_t>(v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v));
    return static_cast<uint32_t>(a > 255 ? 255 : a);
  };
  mapWalkPixels(
      image, size, [level](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const uint32_t b = B[k], g = G[k], r = R[k];
          const uint32_t r2 = level(r - b - g);
          const uint32_t g2 = level(g - b - r2);
          const uint32_t b2 = level(b - g2 - r2);
          B[k] = static_cast<uint8_t>(b2);
          G[k] = static_cast<uint8_t>(g2);
          R[k] = static_cast<uint8_t>(r2);
        }
      });
}

QRIX_VECTOR_KERNEL(void, watercolourWalk,
                   (uint8_t * image, int32_t size, const uint8_t (&bright)[256], const uint8_t (&dark)[256]),
                   (image, size, bright, dark)) {
  mapWalkPixels(
      image, size, [&](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const uint8_t* t = ((B[k] | G[k] | R[k]) & 0x80) ? bright : dark;
          B[k] = t[B[k]], G[k] = t[G[k]], R[k] = t[R[k]];
        }
      });
}

// The step of a pixel of sum s: sign * (s * m >> 31) = sign * (2s / a), or sign * 2s when `unit`.
QRIX_VECTOR_KERNEL(void, nostWalk, (uint8_t * image, int32_t size, uint32_t m, bool unit, bool negative),
                   (image, size, m, unit, negative)) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const uint32_t s = B[k] + G[k] + R[k];
          const auto q = static_cast<int32_t>(unit ? 2 * s : static_cast<uint32_t>((uint64_t{s} * m) >> 31));
          const int32_t d = negative ? -q : q;
          const int32_t b = atMost255(std::abs(G[k] + d));
          const int32_t r = atMost255(std::abs(b + d));
          const int32_t g = atMost255(std::abs(r + d));
          B[k] = static_cast<uint8_t>(b);
          G[k] = static_cast<uint8_t>(g);
          R[k] = static_cast<uint8_t>(r);
        }
      });
}

QRIX_VECTOR_KERNEL(void, shiftBytes, (uint8_t * p, ptrdiff_t n, int32_t shift), (p, n, shift)) {
  for (ptrdiff_t i = 0; i < n; ++i) p[i] = shiftedByte(p[i], shift);
}

QRIX_VECTOR_KERNEL(void, diffuseWalk, (uint8_t * image, int32_t size, const RandomSteps& draw, uint32_t& x),
                   (image, size, draw, x)) {
  mapWalkPixels(
      image, size, [&](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        const uint32_t x0 = x;
        for (int k = 0; k < kPixelBlock; ++k) {
          const int32_t shift = draw.fromState(kRandomMul[k + 1] * x0 + kRandomAdd[k + 1]);
          B[k] = shiftedByte(B[k], shift), G[k] = shiftedByte(G[k], shift), R[k] = shiftedByte(R[k], shift);
        }
        x = kRandomMul[kPixelBlock] * x0 + kRandomAdd[kPixelBlock];
      });
}

// The generator's recurrence composed n times: x becomes mul * x + add.
struct RandomJump {
  uint32_t mul = 1, add = 0;
  explicit RandomJump(uint64_t n) {
    uint32_t stepMul = 214013u, stepAdd = 2531011u;
    for (; n != 0; n >>= 1) {
      if (n & 1) mul *= stepMul, add = add * stepMul + stepAdd;
      stepAdd = stepAdd * stepMul + stepAdd, stepMul *= stepMul;
    }
  }
  uint32_t operator()(uint32_t x) const { return mul * x + add; }
};

// Columns first .. first + n - 1 of one grid row of the canvas: column first + i draws its two steps from
// state[i], which moves on by two draws, and from[i] becomes the source offset, or -1 when that lies outside
// 0 .. last. The caller keeps every offset inside 32 bits.
QRIX_VECTOR_KERNEL(void, canvasSources,
                   (uint32_t* __restrict state, int32_t* __restrict from, int32_t first, int32_t n,
                    int32_t row, int32_t rowBytes, int32_t last, const RandomSteps across,
                    const RandomSteps down),
                   (state, from, first, n, row, rowBytes, last, across, down)) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t s1 = state[i] * 214013u + 2531011u;
    const uint32_t s2 = s1 * 214013u + 2531011u;
    state[i] = s2;
    const int32_t f = 3 * (first + i + across.fromState(s1)) + rowBytes * (row + down.fromState(s2));
    from[i] = f < 0 || f > last ? -1 : f;
  }
}

// Copies the pixel at source + from[i] to d + 3i for every i < n whose from[i] is not negative.
void copySources(uint8_t* __restrict d, const uint8_t* __restrict source, const int32_t* from, int64_t n) {
  for (int64_t i = 0; i < n; ++i, d += 3) {
    if (from[i] < 0) continue;
    const uint8_t* __restrict p = source + from[i];
    d[0] = p[0], d[1] = p[1], d[2] = p[2];
  }
}

#if defined(__x86_64__)
// About 1.5 times as fast as copySources for the whole canvas call (4000 x 3000).
// copySources, sixteen pixels at a time: one gather of four-byte words, their first three bytes
// packed by a byte permute and stored under a byte mask. A word at last would read one byte past
// the buffer (from[i] <= last), so that pixel is copied on its own.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void copySourcesVbmi(uint8_t* __restrict d,
                                                                            const uint8_t* __restrict source,
                                                                            const int32_t* from, int64_t n,
                                                                            int32_t last) {
  alignas(64) uint8_t order[64];
  for (int k = 0; k < 64; ++k) order[k] = static_cast<uint8_t>(k < 48 ? 4 * (k / 3) + k % 3 : 0);
  const __m512i pack = _mm512_load_si512(order), zero = _mm512_setzero_si512();
  const __m512i widest = _mm512_set1_epi32(last - 1);
  for (int64_t i = 0; i < n; i += 16) {
    const __mmask16 inRow = n - i >= 16 ? __mmask16{0xffff} : static_cast<__mmask16>((1u << (n - i)) - 1);
    const __m512i f = _mm512_maskz_loadu_epi32(inRow, from + i);
    const __mmask16 valid = _mm512_mask_cmpge_epi32_mask(inRow, f, zero);
    const __mmask16 whole = _mm512_mask_cmple_epi32_mask(valid, f, widest);
    const __m512i words = _mm512_mask_i32gather_epi32(zero, whole, f, source, 1);
    const __mmask64 bytes =
        _mm512_movepi8_mask(_mm512_permutexvar_epi8(pack, _mm512_maskz_set1_epi32(whole, -1))) &
        0xffffffffffffu;
    _mm512_mask_storeu_epi8(d + 3 * i, bytes, _mm512_permutexvar_epi8(pack, words));
    for (unsigned rest = valid & ~whole; rest != 0; rest &= rest - 1) {
      const int64_t k = i + __builtin_ctz(rest);
      d[3 * k] = source[from[k]], d[3 * k + 1] = source[from[k] + 1], d[3 * k + 2] = source[from[k] + 2];
    }
  }
}
#endif

// The rest of the neon sum of each byte of a block, q[i] - q[i + 3] - q[i + 6] + amount in
// wrap-around 32 bits, from bytes not yet written.
QRIX_VECTOR_KERNEL(void, neonRests, (int32_t* __restrict rest, const uint8_t* q, int n, int32_t amount),
                   (rest, q, n, amount)) {
  for (int i = 0; i < n; ++i) {
    rest[i] = static_cast<int32_t>(static_cast<uint32_t>(q[i]) - q[i + 3] - q[i + 6] +
                                   static_cast<uint32_t>(amount));
  }
}

// neonRests in 16 bits, for amounts that keep every sum inside them.
QRIX_VECTOR_KERNEL(void, neonRests16, (int16_t* __restrict rest, const uint8_t* q, int n, int16_t amount),
                   (rest, q, n, amount)) {
  for (int i = 0; i < n; ++i) rest[i] = static_cast<int16_t>(q[i] - q[i + 3] - q[i + 6] + amount);
}

#if defined(__x86_64__)
// About 3 times as fast as the plain chain (4000 x 3000).
// The neon steps of one block with the three channels in 16-bit lanes: x becomes
// min(255, |x + rest|), the absolute value taken as max(x + rest, -rest - x), whose two
// terms do not wait on each other. Each step stores four bytes, the fourth over the next
// step's first; the block's last step stores three, leaving the next block's bytes as they were.
__attribute__((target("sse4.1"))) void neonChain16(uint8_t* q, const int16_t* rest, int m, uint32_t& x0,
                                                   uint32_t& x1, uint32_t& x2) {
  const __m128i top = _mm_set1_epi16(255);
  __m128i x = _mm_setr_epi16(static_cast<int16_t>(x0), static_cast<int16_t>(x1), static_cast<int16_t>(x2), 0,
                             0, 0, 0, 0);
  auto step = [top](__m128i x, const int16_t* at) __attribute__((target("sse4.1"))) {
    const __m128i r = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
    __m128i negative = _mm_sub_epi16(_mm_setzero_si128(), r);
    asm("" : "+x"(negative));  // or the compiler folds -rest - x back into -(x + rest)
    return _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(x, r), _mm_sub_epi16(negative, x)), top);
  };
  for (int i = 0; i + 1 < m; ++i) {
    x = step(x, rest + 3 * i);
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(x, x));
    __builtin_memcpy(q + 3 * i, &bytes, 4);
  }
  x = step(x, rest + 3 * (m - 1));
  x0 = static_cast<uint32_t>(_mm_extract_epi16(x, 0));
  x1 = static_cast<uint32_t>(_mm_extract_epi16(x, 1));
  x2 = static_cast<uint32_t>(_mm_extract_epi16(x, 2));
  uint8_t* const end = q + 3 * (m - 1);
  end[0] = static_cast<uint8_t>(x0), end[1] = static_cast<uint8_t>(x1), end[2] = static_cast<uint8_t>(x2);
}
#endif

#if defined(__x86_64__)
// Tens of times as fast as the plane walk of watercolourWalk: no per-byte table loads.
// 256-entry byte tables applied to 192-byte blocks (64 pixels) by AVX-512 byte permutes: each
// of a block's three vectors is looked up in both tables, and the bright result is taken for
// the bytes of pixels with a byte of 128 or more. Bit i of a block's 192-bit mask is byte i.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) ptrdiff_t watercolourVbmi(uint8_t* image, ptrdiff_t n,
                                                                                 const uint8_t (&bright)[256],
                                                                                 const uint8_t (&dark)[256]) {
  __m512i b[4], d[4];
  for (int q = 0; q < 4; ++q) {
    b[q] = _mm512_loadu_si512(bright + 64 * q);
    d[q] = _mm512_loadu_si512(dark + 64 * q);
  }
  // First bits of the pixels within each 64-bit word of the block.
  constexpr uint64_t first[3] = {0x9249249249249249u, 0x4924924924924924u, 0x2492492492492492u};
  ptrdiff_t i = 0;
  for (; i + 192 <= n; i += 192) {
    __m512i v[3];
    uint64_t top[3];
    for (int f = 0; f < 3; ++f) {
      v[f] = _mm512_loadu_si512(image + i + 64 * f);
      top[f] = _mm512_movepi8_mask(v[f]);
    }
    // Any top bit of a pixel, gathered at its first bit, then spread over its three bits.
    uint64_t any[3], mark[3], spread[3];
    for (int f = 0; f < 3; ++f) {
      const uint64_t next = f < 2 ? top[f + 1] : 0;
      any[f] = top[f] | (top[f] >> 1 | next << 63) | (top[f] >> 2 | next << 62);
      mark[f] = any[f] & first[f];
    }
    for (int f = 0; f < 3; ++f) {
      const uint64_t before = f > 0 ? mark[f - 1] : 0;
      spread[f] = mark[f] | (mark[f] << 1 | before >> 63) | (mark[f] << 2 | before >> 62);
    }
    for (int f = 0; f < 3; ++f) {
      const __mmask64 upper = _mm512_movepi8_mask(v[f]);
      const __m512i lightOut = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(b[0], v[f], b[1]),
                                                      _mm512_permutex2var_epi8(b[2], v[f], b[3]));
      const __m512i darkOut = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(d[0], v[f], d[1]),
                                                     _mm512_permutex2var_epi8(d[2], v[f], d[3]));
      _mm512_storeu_si512(image + i + 64 * f, _mm512_mask_blend_epi8(spread[f], darkOut, lightOut));
    }
  }
  return i;
}
#endif

// Byte offsets of the targets of the grid pixels of row `row`, columns 0 .. n - 1:
// rowBytes * t + 3i for t = trunc(lift[i] + row - 3) when 0 <= t <= highest[i], the cell then
// lying inside the buffer; -1 otherwise. The caller keeps t and the offsets inside 32 bits.
QRIX_VECTOR_KERNEL(void, waveTargets,
                   (int32_t* __restrict to, const double* __restrict lift, const int32_t* __restrict highest,
                    int32_t n, double row, uint32_t rowBytes),
                   (to, lift, highest, n, row, rowBytes)) {
  for (int32_t i = 0; i < n; ++i) {
    const int32_t t = static_cast<int32_t>(lift[i] + row - 3);
    const uint32_t at = rowBytes * static_cast<uint32_t>(t) + 3u * static_cast<uint32_t>(i);
    to[i] = t >= 0 && t <= highest[i] ? static_cast<int32_t>(at) : -1;
  }
}

}  // namespace

extern "C" {

int32_t dllcharcoal(uint8_t* image, int32_t size) {
  qrix::eachBand(image, size, [](uint8_t* part, int32_t partSize) { charcoalWalk(part, partSize); });
  return 1;
}

int32_t dllcomedy(uint8_t* image, int32_t size, int32_t amount) {
  const double divisor = amount * 0.01;
  const SumTable red([divisor](int s) { return atMost255(truncAny(s / divisor)); });
  qrix::eachBand(image, size, [&red](uint8_t* part, int32_t partSize) { comedyWalk(part, partSize, red); });
  return 1;
}

int32_t dllneon(uint8_t* image, int32_t size, int32_t amount) {
  // Each written pixel is the first operand of the next step, so the steps run in order;
  // the rest of each sum reads bytes not yet written and is taken a block ahead.
  const int64_t end = static_cast<int64_t>(size) - 10;
  const int64_t steps = end > 3 ? (end - 3 + 2) / 3 : 0;  // k = 0, 3, ... while k + 3 < end
  uint32_t x0 = 0, x1 = 0, x2 = 0;
  if (steps > 0) x0 = image[0], x1 = image[1], x2 = image[2];
  constexpr int kBlock = 1024;
#if defined(__x86_64__)
  // Sums lie within amount - 510 .. amount + 510.
  if (qrix::cpu::sse41() && amount >= -32000 && amount <= 32000) {
    int16_t rest16[3 * kBlock + 1] = {};  // one more for the last four-lane load
    for (int64_t s0 = 0; s0 < steps; s0 += kBlock) {
      const int m = static_cast<int>(std::min<int64_t>(kBlock, steps - s0));
      uint8_t* out = image + 3 * s0 + 3;
      neonRests16(rest16, out, 3 * m, static_cast<int16_t>(amount));
      neonChain16(out, rest16, m, x0, x1, x2);
    }
    return 1;
  }
#endif
  int32_t rest[3 * kBlock];
  for (int64_t s0 = 0; s0 < steps; s0 += kBlock) {
    const int m = static_cast<int>(std::min<int64_t>(kBlock, steps - s0));
    uint8_t* out = image + 3 * s0 + 3;
    neonRests(rest, out, 3 * m, amount);
    for (int i = 0; i < m; ++i) {
      x0 = shiftedByte(static_cast<int32_t>(x0), rest[3 * i]);
      x1 = shiftedByte(static_cast<int32_t>(x1), rest[3 * i + 1]);
      x2 = shiftedByte(static_cast<int32_t>(x2), rest[3 * i + 2]);
      out[3 * i] = static_cast<uint8_t>(x0);
      out[3 * i + 1] = static_cast<uint8_t>(x1);
      out[3 * i + 2] = static_cast<uint8_t>(x2);
    }
  }
  return 1;
}

int32_t dllerode(uint8_t* image, int32_t size, int32_t amount) {
  const ByteTable table([amount](int v) { return static_cast<uint8_t>(abs32(v ^ amount)); });
  qrix::mapChannelTables(image, size, table.at);
  return 1;
}

int32_t dllice(uint8_t* image, int32_t size, int32_t amount) {
  const auto k = static_cast<uint32_t>(amount / 100);
  qrix::eachBand(image, size, [k](uint8_t* part, int32_t partSize) { iceWalk(part, partSize, k); });
  return 1;
}

int32_t dllwind(uint8_t* image, int32_t size, int32_t amount) {
  const int32_t divisor = wrap(int64_t{amount} + 1);
  if (divisor == 0) return 1;  // would divide by zero
  const ByteTable table([divisor](int v) { return static_cast<uint8_t>(v ^ (v / divisor)); });
  qrix::mapChannelTables(image, size, table.at);
  return 1;
}

int32_t dllwatercolour(uint8_t* image, int32_t size, int32_t amount) {
  const double h = amount * 0.1;
  uint8_t bright[256], dark[256];
  for (int v = 0; v < 256; ++v) {
    bright[v] = static_cast<uint8_t>(truncAny(v / h));
    dark[v] = static_cast<uint8_t>(atMost255(truncAny(v * h)));
  }
  qrix::eachBand(image, size, [&](uint8_t* part, int32_t partSize) {
#if defined(__x86_64__)
    if (qrix::cpu::vbmi()) {
      // Whole 192-byte blocks by permutes, the rest (fewer than 64 pixels) by the plane walk.
      const ptrdiff_t n = 3 * static_cast<ptrdiff_t>(qrix::walkTriples(partSize));
      const ptrdiff_t done = watercolourVbmi(part, n, bright, dark);
      if (n > done) watercolourWalk(part + done, static_cast<int32_t>(n - done), bright, dark);
      return;
    }
#endif
    watercolourWalk(part, partSize, bright, dark);
  });
  return 1;
}

int32_t dllspotted(uint8_t* image, int32_t size, int32_t amount) {
  const ByteTable table([amount](int b) {
    const double v = b;
    return static_cast<uint8_t>(qrix::clampByte(truncAny(v * std::sin(v) * amount * 0.01)));
  });
  qrix::mapChannelTables(image, size, table.at);
  return 1;
}

int32_t dllnost(uint8_t* image, int32_t size, int32_t amount) {
  // The step is the sum s over h = a / 2 (a = amount, or 2 for 0), truncated. Both are exact
  // doubles and a fraction 2s / a lies at least 1 / |a| >= 2^-31 from an integer, far beyond
  // the rounding of a quotient below 1531; so the step is the integer quotient 2s / a. For
  // 2 <= |a| <= 1530, 2s / |a| = 2s * m >> 32 with m = 2^32 / |a| + 1, exact as 2s * |a| < 2^32;
  // beyond 1530 it is 0, as 2s <= 1530.
  const int64_t a = amount == 0 ? 2 : int64_t{amount};
  const uint64_t magnitude = a < 0 ? -a : a;
  const bool unit = magnitude == 1;
  const auto m =
      magnitude >= 2 && magnitude <= 1530 ? static_cast<uint32_t>((uint64_t{1} << 32) / magnitude + 1) : 0u;
  const bool negative = a < 0;
  qrix::eachBand(image, size,
                 [=](uint8_t* part, int32_t partSize) { nostWalk(part, partSize, m, unit, negative); });
  return 1;
}

int32_t dllfog(uint8_t* image, int32_t size, int32_t amount, int32_t area) {
  if (amount == 0) return 1;  // a random step over 0 would divide by zero
  const RandomSteps draw(amount);
  uint32_t& state = qrix::randomState();
  uint32_t x = state;
  // A new shift is drawn at the pixel that brings the counter to the area; the pixels up
  // to it share one shift.
  const ptrdiff_t n = qrix::walkTriples(size);
  const int64_t period = std::max<int64_t>(area, 1);
  int64_t counter = 0;
  int32_t shift = 0;
  for (ptrdiff_t t = 0; t < n;) {
    if (counter + 1 >= period) {
      x = x * kRandomMul[1] + kRandomAdd[1];
      shift = draw.fromState(x);
      counter = 0;
      shiftBytes(image + 3 * t, 3, shift);
      ++t;
      continue;
    }
    const ptrdiff_t run = std::min<ptrdiff_t>(n - t, period - 1 - counter);
    shiftBytes(image + 3 * t, 3 * run, shift);
    counter += run;
    t += run;
  }
  state = x;
  return 1;
}

int32_t dlldiffuse(uint8_t* image, int32_t size, int32_t amount) {
  if (amount == 0) return 1;  // a random step over 0 would divide by zero
  const RandomSteps draw(amount);
  uint32_t& state = qrix::randomState();
  uint32_t x = state;
  const ptrdiff_t n = qrix::walkTriples(size);
  // Whole blocks draw their steps from the block's starting state; the rest one by one.
  const ptrdiff_t whole = n / kPixelBlock * kPixelBlock;
  diffuseWalk(image, static_cast<int32_t>(3 * whole), draw, x);
  for (ptrdiff_t t = whole; t < n; ++t) {
    x = x * kRandomMul[1] + kRandomAdd[1];
    const int32_t shift = draw.fromState(x);
    uint8_t* p = image + 3 * t;
    for (int c = 0; c < 3; ++c) p[c] = shiftedByte(p[c], shift);
  }
  state = x;
  return 1;
}

int32_t dllcanvas(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width, int32_t height,
                  int32_t horizontalStep, int32_t verticalStep) {
  if (horizontalStep == 0 || verticalStep == 0) return 1;  // a random step over 0 would divide by zero
  const RandomSteps across(horizontalStep), down(verticalStep);
  uint32_t& state = qrix::randomState();
  uint32_t x = state;
  const int64_t last = static_cast<int64_t>(size) - 2;
  const int64_t columns = int64_t{width} - 1, rows = int64_t{height} - 1;
  auto copy = [&](int64_t i, int64_t j, int32_t dx, int32_t dy) {
    const int64_t from = gridOffset(i + dx, j + dy, width);
    const int64_t to = gridOffset(i, j, width);
    // The destination test only rejects a grid that does not fit the buffer.
    if (from < 0 || from > last || to > last) return;
    destination[to] = source[from];
    destination[to + 1] = source[from + 1];
    destination[to + 2] = source[from + 2];
  };
  // The steps are drawn column by column, two per grid pixel. Every grid pixel is written
  // once, from the separate source, so the copies may go row by row in memory order: each
  // column keeps its own generator state, started by jumping over the draws of the columns
  // before it. Rows and columns whose cells lie past the buffer are left out; the state
  // jumps to the end of all draws.
  const int64_t rowBytes = 3 * int64_t{width} - 3;
  if (columns > 0 && rows > 0 && last >= 0 &&
      (destination + last + 3 <= source || source + last + 3 <= destination)) {
    const int64_t usedRows = std::min(rows, last / rowBytes + 1);
    const int64_t usedColumns = std::min(columns, last / 3 + 1);
    auto reach = [](int32_t n) { return n > 0 ? std::min<double>(n, 32768) : -static_cast<double>(n); };
    const double largest =
        3.0 * (static_cast<double>(usedColumns) + reach(horizontalStep)) +
        static_cast<double>(rowBytes) * (static_cast<double>(usedRows) + reach(verticalStep));
    if (largest < 2147483647.0) {
      const auto reachAcross = static_cast<int64_t>(reach(horizontalStep)),
                 reachDown = static_cast<int64_t>(reach(verticalStep));
      std::vector<uint32_t> columnState(static_cast<size_t>(usedColumns));
      const RandomJump column(2 * static_cast<uint64_t>(rows));
      uint32_t s = x;
      for (auto& c : columnState) c = s, s = column(s);
      // Bands of columns, each from the top row down, keep the rows a band reads from within
      // the first-level cache. Their next rows are fetched ahead: they are read in random order,
      // which the processor's own prefetching does not follow.
      constexpr int64_t kBand = 256;
#if defined(__x86_64__)
      const bool gathers = qrix::cpu::vbmi();
#endif
      int32_t from[kBand];
      for (int64_t i0 = 0; i0 < usedColumns; i0 += kBand) {
        for (int64_t j = 0; j < usedRows; ++j) {
          const int64_t to = rowBytes * j + 3 * i0;
          if (to > last) break;
          const int64_t n = std::min({kBand, usedColumns - i0, (last - to) / 3 + 1});
          canvasSources(columnState.data() + i0, from, static_cast<int32_t>(i0), static_cast<int32_t>(n),
                        static_cast<int32_t>(j), static_cast<int32_t>(rowBytes), static_cast<int32_t>(last),
                        across, down);
          const int64_t ahead = to + rowBytes * (reachDown + 1),
                        aheadEnd = std::min(last, ahead + 3 * (n + reachAcross));
          for (int64_t k = ahead; k <= aheadEnd; k += 64) __builtin_prefetch(source + k);
          const int64_t next = to + 4 * rowBytes, nextEnd = std::min(last, next + 3 * n);
          for (int64_t k = next; k <= nextEnd; k += 64) __builtin_prefetch(destination + k, 1);
#if defined(__x86_64__)
          if (gathers) {
            copySourcesVbmi(destination + to, source, from, n, static_cast<int32_t>(last));
            continue;
          }
#endif
          copySources(destination + to, source, from, n);
        }
      }
      state = RandomJump(2 * static_cast<uint64_t>(columns) * static_cast<uint64_t>(rows))(x);
      return 1;
    }
  }
  for (int64_t i = 0; i < columns; ++i) {
    for (int64_t j = 0; j < rows; ++j) {
      const int32_t dx = across.fromState(kRandomMul[1] * x + kRandomAdd[1]);
      x = kRandomMul[2] * x + kRandomAdd[2];
      copy(i, j, dx, down.fromState(x));
    }
  }
  state = x;
  return 1;
}

int32_t dllwave(uint8_t* image, int32_t size, int32_t width, int32_t height, int32_t amount) {
  const int64_t last = static_cast<int64_t>(size) - 2;
  const int64_t columns = int64_t{width} - 1, rows = int64_t{height} - 1;
  if (columns <= 0 || rows <= 0) return 1;
  std::vector<double> lift(static_cast<size_t>(columns));
  for (int64_t i = 0; i < columns; ++i) lift[i] = amount * std::sin(static_cast<double>(i));
  // Each column moves its own grid pixels only (pixel (i, j) is cell i + (width - 1) j), so
  // the columns can be interleaved row by row, each still going upwards in place: a pixel
  // moved to a later row is moved again from there. Within a row the moves are independent:
  // a cell written is read in that row only when it is its own source.
  const int64_t rowBytes = 3 * int64_t{width} - 3;
  // Target rows within 32 bits truncate alike through 32 or 64 bits, and that loop vectorises.
  if (std::abs(int64_t{amount}) + rows + 4 < (int64_t{1} << 31) && last >= 0) {
    const int64_t used = std::min(columns, last / 3 + 1);
    std::vector<int32_t> highest(static_cast<size_t>(used)), to(static_cast<size_t>(used));
    for (int64_t i = 0; i < used; ++i) {
      highest[i] = static_cast<int32_t>(std::min<int64_t>((last - 3 * i) / rowBytes, INT32_MAX));
    }
    for (int64_t j = 0; j < rows && rowBytes * j <= last; ++j) {
      const int64_t from = rowBytes * j;
      const auto n = static_cast<int32_t>(std::min(used, (last - from) / 3 + 1));
      waveTargets(to.data(), lift.data(), highest.data(), n, static_cast<double>(j),
                  static_cast<uint32_t>(rowBytes));
      const uint8_t* source = image + from;
      for (int32_t i = 0; i < n; ++i, source += 3) {
        if (to[i] >= 0) qrix::movePixel(image + to[i], source);  // a cell may be its own target
      }
    }
    return 1;
  }
  for (int64_t j = 0; j < rows; ++j) {
    for (int64_t i = 0; i < columns; ++i) {
      const int64_t from = gridOffset(i, j, width);
      const int64_t to = gridOffset(i, truncAny(lift[i] + static_cast<double>(j) - 3), width);
      // The source test only rejects a grid that does not fit the buffer.
      if (to < 0 || to > last || from > last) continue;
      image[to] = image[from];
      image[to + 1] = image[from + 1];
      image[to + 2] = image[from + 2];
    }
  }
  return 1;
}

}  // extern "C"
