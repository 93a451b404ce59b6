// Colour adjustments: point operations on every triple of the flat walk, and histogram
// equalisation.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "internal.h"

namespace {

using qrix::ChannelPattern;
using qrix::clampByte;
using qrix::forEachTriple;
using qrix::kPixelBlock;
using qrix::mapWalkBytes;
using qrix::mapWalkPixels;
using qrix::truncToInt;
using qrix::walkTriples;

inline uint8_t clampByte64(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// An amount added to a byte and clamped saturates at +-255; limiting it first keeps the
// sum in 32 bits without changing any result.
inline int32_t limitAmount(int32_t amount) { return std::clamp(amount, -255, 255); }

// One 256-entry table per channel (byte 0, 1, 2 of the triple).
using ChannelTables = uint8_t[3][256];

// Hue in sixths of the colour circle, brought back into -1 <= h < 5.
double wrapHue(double h) {
  if (h >= 5.0) {
    h -= 6.0;
  } else if (h < -1.0) {
    h += 6.0;
  }
  if (h >= 5.0 || h < -1.0) {  // only for steps far beyond one turn
    h = std::fmod(h + 1.0, 6.0);
    if (h < 0.0) h += 6.0;
    h -= 1.0;
    if (h >= 5.0) h -= 6.0;  // a remainder just below 0 rounds up to 6 when 6 is added
  }
  return h;
}

QRIX_VECTOR_KERNEL(void, contrastWalk, (uint8_t * image, int32_t size, int32_t f), (image, size, f)) {
  mapWalkBytes(image, size,
               [f](uint8_t v, int) { return static_cast<uint8_t>(clampByte((v - 128) * f / 128 + 128)); });
}

QRIX_VECTOR_KERNEL(void, exposalWalk, (uint8_t * image, int32_t size, int32_t l), (image, size, l)) {
  mapWalkBytes(image, size,
               [l](uint8_t v, int) { return static_cast<uint8_t>(v >= 128 ? v : clampByte(l - v)); });
}

// Every intermediate below lies far inside 32 bits, so plain conversions truncate as
// truncToInt does.
QRIX_WIDE_KERNEL(void, yuvWalk,
                 (uint8_t * image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta),
                 (image, size, yDelta, uDelta, vDelta)) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const int32_t b = B[k], g = G[k], r = R[k];
          const int32_t y = static_cast<int32_t>(0.587 * g + 0.299 * r + 0.114 * b);
          const int32_t u = b - y + uDelta;
          const int32_t v = r - y + vDelta;
          const int32_t y1 = y + yDelta;
          R[k] = static_cast<uint8_t>(clampByte(y1 + v));
          B[k] = static_cast<uint8_t>(clampByte(y1 + u));
          G[k] = static_cast<uint8_t>(clampByte(static_cast<int32_t>(
              static_cast<double>(y1) - 0.192 * static_cast<double>(u) - 0.509 * static_cast<double>(v))));
        }
      });
}

QRIX_WIDE_KERNEL(void, ycbcrWalk, (uint8_t * image, int32_t size, int32_t dy, int32_t dcb, int32_t dcr),
                 (image, size, dy, dcb, dcr)) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const int32_t b = B[k], g = G[k], r = R[k];
          const int32_t y = clampByte(static_cast<int32_t>(0.587 * g + 0.299 * r + 0.114 * b) + dy);
          const int32_t cb = clampByte(static_cast<int32_t>(0.5 * b - (0.1687 * r + 0.3313 * g) + 128) + dcb);
          const int32_t cr = clampByte(static_cast<int32_t>(0.5 * r - 0.4187 * g - 0.0813 * b + 128) + dcr);
          R[k] = static_cast<uint8_t>(clampByte(static_cast<int32_t>(y + 1.402 * (cr - 128))));
          G[k] = static_cast<uint8_t>(
              clampByte(static_cast<int32_t>(y - 0.34414 * (cb - 128) - 0.71414 * (cr - 128))));
          B[k] = static_cast<uint8_t>(clampByte(static_cast<int32_t>(y + 1.772 * (cb - 128))));
        }
      });
}

// One pixel through hue, saturation and lightness, branch by branch.
void hslPixel(uint8_t* p, double hueStep, double saturationStep, double lightnessStep) {
  const double r = p[2] * 0.00392156862745098;
  const double g = p[1] * 0.00392156862745098;
  const double b = p[0] * 0.00392156862745098;
  const double mx = std::max(r, std::max(g, b));
  const double mn = std::min(r, std::min(g, b));
  double l = (mx + mn) / 2;
  double s = 0.0;
  double h = 0.0;
  if (mx != mn) {
    const double d = mx - mn;
    s = l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx) {
      h = (g - b) / d;
    } else if (g == mx) {
      h = 2 + (b - r) / d;
    } else {
      h = 4 + (r - g) / d;
    }
  }
  h = wrapHue(h + hueStep);
  s = std::clamp(s + saturationStep, 0.0, 1.0);
  l = std::clamp(l + lightnessStep, 0.0, 1.0);

  double nr, ng, nb;
  if (s == 0.0) {
    nr = ng = nb = l;
  } else {
    const double lo = l <= 0.5 ? l * (1 - s) : l - s * (1 - l);
    const double hi = 2 * l - lo;
    const double span = hi - lo;
    if (h < 0) {
      nr = hi, ng = lo, nb = lo - h * span;
    } else if (h < 1) {
      nr = hi, ng = lo + h * span, nb = lo;
    } else if (h < 2) {
      nr = lo - (h - 2) * span, ng = hi, nb = lo;
    } else if (h < 3) {
      nr = lo, ng = hi, nb = lo + (h - 2) * span;
    } else if (h < 4) {
      nr = lo, ng = lo - (h - 4) * span, nb = hi;
    } else {
      nr = lo + (h - 4) * span, ng = lo, nb = hi;
    }
  }
  p[2] = static_cast<uint8_t>(clampByte(truncToInt(255 * nr)));
  p[1] = static_cast<uint8_t>(clampByte(truncToInt(255 * ng)));
  p[0] = static_cast<uint8_t>(clampByte(truncToInt(255 * nb)));
}

// Four doubles at a time; comparisons give lanes of all ones or zeros.
using v4d = double __attribute__((vector_size(32)));
using v4l = int64_t __attribute__((vector_size(32)));
using v4i = int32_t __attribute__((vector_size(16)));
using v4b = uint8_t __attribute__((vector_size(4)));

// hslPixel four pixels at a time, every branch turned into a selection between values
// computed for all lanes. The same operations in the same order give the same doubles:
// x - t equals x + -t and h - 0 equals h. A hue that one step of wrapping leaves out of
// range is redone by hslPixel.
QRIX_VECTOR_KERNEL(void, hslWalk,
                   (uint8_t * image, int32_t size, double hueStep, double saturationStep,
                    double lightnessStep),
                   (image, size, hueStep, saturationStep, lightnessStep)) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        uint8_t in[3][kPixelBlock];
        __builtin_memcpy(in[0], B, kPixelBlock);
        __builtin_memcpy(in[1], G, kPixelBlock);
        __builtin_memcpy(in[2], R, kPixelBlock);
        v4l redo = {};
        auto widen = [](const uint8_t* p, v4d& out) __attribute__((always_inline)) {
          v4b v;
          __builtin_memcpy(&v, p, 4);
          out = __builtin_convertvector(v, v4d);
        };
        const v4d zero = v4d{} + 0.0, one = zero + 1.0, two = zero + 2.0, four = zero + 4.0,
                  half = zero + 0.5;
        for (int k = 0; k < kPixelBlock; k += 4) {
          v4d r;
          widen(R + k, r);
          r *= 0.00392156862745098;
          v4d g;
          widen(G + k, g);
          g *= 0.00392156862745098;
          v4d b;
          widen(B + k, b);
          b *= 0.00392156862745098;
          const v4d gbHigh = g < b ? b : g, mx = r < gbHigh ? gbHigh : r;  // std::max
          const v4d gbLow = b < g ? b : g, mn = gbLow < r ? gbLow : r;     // std::min
          const v4l grey = mx == mn;
          const v4d l0 = (mx + mn) / 2;
          const v4d d = mx - mn;
          const v4d s0 = grey ? zero : d / (l0 <= 0.5 ? mx + mn : two - mx - mn);
          const v4l redMax = r == mx, greenMax = g == mx;
          const v4d q = (redMax ? g - b : (greenMax ? b - r : r - g)) / d;
          const v4d h0 = grey ? zero : (redMax ? q : (greenMax ? two : four) + q);
          const v4d h1 = h0 + hueStep;
          const v4d h = h1 >= 5.0 ? h1 - 6.0 : (h1 < -1.0 ? h1 + 6.0 : h1);
          redo |= (h >= 5.0) | (h < -1.0);
          const v4d s1 = s0 + saturationStep, l1 = l0 + lightnessStep;
          const v4d s = s1 < zero ? zero : (one < s1 ? one : s1);  // std::clamp
          const v4d l = l1 < zero ? zero : (one < l1 ? one : l1);
          const v4d lo = l <= half ? l * (one - s) : l - s * (one - l);
          const v4d hi = 2 * l - lo;
          const v4d span = hi - lo;
          // Sextants from h < 0 up: hi, mid and lo go to red, green and blue by turns; the
          // mid value rises (lo + t) in sextants 1, 3, 5 and falls (lo - t) in 0, 2, 4.
          const v4l below1 = h < 1.0, below3 = h < 3.0;
          const v4l sx0 = h < 0.0, sx1 = (h >= 0.0) & below1, sx2 = (h >= 1.0) & (h < 2.0);
          const v4l sx3 = (h >= 2.0) & below3, sx4 = (h >= 3.0) & (h < 4.0), sx5 = h >= 4.0;
          const v4d t = (h - (below1 ? zero : (below3 ? two : four))) * span;
          const v4d m = (sx1 | sx3 | sx5) ? lo + t : lo - t;
          const v4l flat = s == 0.0;
          const v4d nr = flat ? l : (below1 ? hi : ((sx2 | sx5) ? m : lo));
          const v4d ng = flat ? l : ((sx2 | sx3) ? hi : ((sx1 | sx4) ? m : lo));
          const v4d nb = flat ? l : (!below3 ? hi : ((sx0 | sx3) ? m : lo));
          // clampByte(static_cast<int32_t>(255 * x)): every 255 * x lies far inside 32 bits.
          const v4d out[3] = {nb, ng, nr};
          uint8_t* const plane[3] = {B, G, R};
          for (int c = 0; c < 3; ++c) {
            v4i v = __builtin_convertvector(255 * out[c], v4i);
            v = v < 0 ? 0 : v;
            v = v > 255 ? 255 : v;
            const v4b bytes = __builtin_convertvector(v, v4b);
            __builtin_memcpy(plane[c] + k, &bytes, 4);
          }
        }
        if (!(redo[0] | redo[1] | redo[2] | redo[3])) return;
        for (int k = 0; k < kPixelBlock; ++k) {
          uint8_t p[3] = {in[0][k], in[1][k], in[2][k]};
          hslPixel(p, hueStep, saturationStep, lightnessStep);
          B[k] = p[0], G[k] = p[1], R[k] = p[2];
        }
      });
}

#if defined(__x86_64__)
#define QRIX_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))

// Eight bytes as doubles times c.
QRIX_AVX512 inline __m512d widen512(const uint8_t* p, __m512d c) {
  const __m256i v = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
  return _mm512_mul_pd(_mm512_cvtepi32_pd(v), c);
}

// clampByte(static_cast<int32_t>(255 * x)) into eight bytes: every 255 * x lies far inside 32 bits.
QRIX_AVX512 inline void narrow512(__m512d x, __m512d full, uint8_t* p) {
  __m256i v = _mm512_cvttpd_epi32(_mm512_mul_pd(full, x));
  v = _mm256_max_epi32(v, _mm256_setzero_si256());
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm256_cvtusepi32_epi8(v));
}

// std::clamp(x, 0.0, 1.0)
QRIX_AVX512 inline __m512d unitRange512(__m512d x) {
  const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0);
  const __mmask8 below = _mm512_cmp_pd_mask(x, zero, _CMP_LT_OQ);
  const __mmask8 above = _mm512_cmp_pd_mask(one, x, _CMP_LT_OQ);
  return _mm512_mask_mov_pd(_mm512_mask_mov_pd(x, above, one), below, zero);
}

// hslWalk's selections on 8 doubles under AVX-512 masks, for one block of planes. Maximum,
// minimum, which channel is largest and the two bytes whose difference gives the hue are
// found on the bytes, 64 at a time: c * x is increasing in the byte x and c * x == c * y
// only for x == y, so the doubles compare as their bytes do. Returns whether a hue left
// out of range by one step of wrapping needs the block redone by hslPixel.
QRIX_AVX512 inline bool hslBlock512(uint8_t* B, uint8_t* G, uint8_t* R, double hueStep, double saturationStep,
                                    double lightnessStep) {
  const __m512i vb = _mm512_loadu_si512(B), vg = _mm512_loadu_si512(G), vr = _mm512_loadu_si512(R);
  const __m512i high = _mm512_max_epu8(vr, _mm512_max_epu8(vg, vb));
  const __m512i low = _mm512_min_epu8(vr, _mm512_min_epu8(vg, vb));
  const __mmask64 redMax = _mm512_cmpeq_epi8_mask(vr, high);
  const __mmask64 greenMax = _mm512_cmpeq_epi8_mask(vg, high) & ~redMax;
  const __mmask64 greyAll = _mm512_cmpeq_epi8_mask(high, low);
  // The hue's numerator x - y: g - b where red is largest, b - r where green is, else r - g.
  const __m512i xs = _mm512_mask_blend_epi8(redMax, _mm512_mask_blend_epi8(greenMax, vr, vb), vg);
  const __m512i ys = _mm512_mask_blend_epi8(redMax, _mm512_mask_blend_epi8(greenMax, vg, vr), vb);
  alignas(64) uint8_t hi8[kPixelBlock], lo8[kPixelBlock], x8[kPixelBlock], y8[kPixelBlock];
  _mm512_store_si512(hi8, high);
  _mm512_store_si512(lo8, low);
  _mm512_store_si512(x8, xs);
  _mm512_store_si512(y8, ys);

  const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0), two = _mm512_set1_pd(2.0),
                four = _mm512_set1_pd(4.0), six = _mm512_set1_pd(6.0), half = _mm512_set1_pd(0.5),
                unit = _mm512_set1_pd(0.00392156862745098), full = _mm512_set1_pd(255.0);
  const __m512d hueV = _mm512_set1_pd(hueStep), saturationV = _mm512_set1_pd(saturationStep),
                lightnessV = _mm512_set1_pd(lightnessStep);
  __mmask8 redo = 0;
  for (int k = 0; k < kPixelBlock; k += 8) {
    const __mmask8 red = static_cast<__mmask8>(redMax >> k), green = static_cast<__mmask8>(greenMax >> k);
    const __mmask8 colour = static_cast<__mmask8>(~(greyAll >> k));
    const __m512d mx = widen512(hi8 + k, unit), mn = widen512(lo8 + k, unit);
    const __m512d sum = _mm512_add_pd(mx, mn);
    const __m512d l0 = _mm512_mul_pd(sum, half);  // (mx + mn) / 2, exactly
    const __m512d d = _mm512_sub_pd(mx, mn);
    const __mmask8 darkHalf = _mm512_cmp_pd_mask(l0, half, _CMP_LE_OQ);
    const __m512d denominator =
        _mm512_mask_blend_pd(darkHalf, _mm512_sub_pd(_mm512_sub_pd(two, mx), mn), sum);
    const __m512d s0 = _mm512_maskz_div_pd(colour, d, denominator);
    const __m512d q =
        _mm512_maskz_div_pd(colour, _mm512_sub_pd(widen512(x8 + k, unit), widen512(y8 + k, unit)), d);
    // (green ? 2 : 4) + q where red is not largest; 0 for greys.
    const __m512d base = _mm512_mask_blend_pd(green, four, two);
    const __m512d h0 =
        _mm512_maskz_mov_pd(colour, _mm512_mask_add_pd(q, static_cast<__mmask8>(~red), base, q));
    const __m512d h1 = _mm512_add_pd(h0, hueV);
    const __mmask8 over = _mm512_cmp_pd_mask(h1, _mm512_set1_pd(5.0), _CMP_GE_OQ);
    const __mmask8 under = _mm512_cmp_pd_mask(h1, _mm512_set1_pd(-1.0), _CMP_LT_OQ) & ~over;
    __m512d h = _mm512_mask_sub_pd(h1, over, h1, six);
    h = _mm512_mask_add_pd(h, under, h1, six);
    redo |= _mm512_cmp_pd_mask(h, _mm512_set1_pd(5.0), _CMP_GE_OQ) |
            _mm512_cmp_pd_mask(h, _mm512_set1_pd(-1.0), _CMP_LT_OQ);
    const __m512d s = unitRange512(_mm512_add_pd(s0, saturationV));
    const __m512d l = unitRange512(_mm512_add_pd(l0, lightnessV));
    const __mmask8 lowerHalf = _mm512_cmp_pd_mask(l, half, _CMP_LE_OQ);
    const __m512d lo =
        _mm512_mask_blend_pd(lowerHalf, _mm512_sub_pd(l, _mm512_mul_pd(s, _mm512_sub_pd(one, l))),
                             _mm512_mul_pd(l, _mm512_sub_pd(one, s)));
    const __m512d hi = _mm512_sub_pd(_mm512_mul_pd(two, l), lo);
    const __m512d span = _mm512_sub_pd(hi, lo);
    const __mmask8 below0 = _mm512_cmp_pd_mask(h, zero, _CMP_LT_OQ);
    const __mmask8 below1 = _mm512_cmp_pd_mask(h, one, _CMP_LT_OQ);
    const __mmask8 below2 = _mm512_cmp_pd_mask(h, two, _CMP_LT_OQ);
    const __mmask8 below3 = _mm512_cmp_pd_mask(h, _mm512_set1_pd(3.0), _CMP_LT_OQ);
    const __mmask8 below4 = _mm512_cmp_pd_mask(h, four, _CMP_LT_OQ);
    const __mmask8 sx0 = below0, sx1 = below1 & ~below0, sx2 = below2 & ~below1, sx3 = below3 & ~below2,
                   sx4 = below4 & ~below3, sx5 = static_cast<__mmask8>(~below4);
    const __m512d offset = _mm512_mask_blend_pd(below1, _mm512_mask_blend_pd(below3, four, two), zero);
    const __m512d t = _mm512_mul_pd(_mm512_sub_pd(h, offset), span);
    const __m512d m = _mm512_mask_blend_pd(sx1 | sx3 | sx5, _mm512_sub_pd(lo, t), _mm512_add_pd(lo, t));
    const __mmask8 flat = _mm512_cmp_pd_mask(s, zero, _CMP_EQ_OQ);
    const __m512d nr = _mm512_mask_blend_pd(
        flat, _mm512_mask_blend_pd(below1, _mm512_mask_blend_pd(sx2 | sx5, lo, m), hi), l);
    const __m512d ng = _mm512_mask_blend_pd(
        flat, _mm512_mask_blend_pd(sx2 | sx3, _mm512_mask_blend_pd(sx1 | sx4, lo, m), hi), l);
    const __m512d nb = _mm512_mask_blend_pd(
        flat,
        _mm512_mask_blend_pd(static_cast<__mmask8>(~below3), _mm512_mask_blend_pd(sx0 | sx3, lo, m), hi), l);
    narrow512(nr, full, R + k);
    narrow512(ng, full, G + k);
    narrow512(nb, full, B + k);
  }
  return redo != 0;
}

// Hand-written because it pays: about 1.7 times as fast as hslWalk built for AVX2 (4000 x 3000).
QRIX_AVX512 void hslWalk512(uint8_t* image, int32_t size, double hueStep, double saturationStep,
                            double lightnessStep) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        alignas(64) uint8_t in[3][kPixelBlock];
        __builtin_memcpy(in[0], B, kPixelBlock);
        __builtin_memcpy(in[1], G, kPixelBlock);
        __builtin_memcpy(in[2], R, kPixelBlock);
        if (!hslBlock512(B, G, R, hueStep, saturationStep, lightnessStep)) return;
        for (int k = 0; k < kPixelBlock; ++k) {
          uint8_t p[3] = {in[0][k], in[1][k], in[2][k]};
          hslPixel(p, hueStep, saturationStep, lightnessStep);
          B[k] = p[0], G[k] = p[1], R[k] = p[2];
        }
      });
}
// Eight bytes as doubles.
QRIX_AVX512 inline __m512d bytesToDoubles512(const uint8_t* p) {
  return _mm512_cvtepi32_pd(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// clampByte of eight 32-bit values into eight bytes.
QRIX_AVX512 inline void storeClamped512(__m256i v, uint8_t* p) {
  v = _mm256_max_epi32(v, _mm256_setzero_si256());
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm256_cvtusepi32_epi8(v));
}

// clampByte(a + x) for 32-bit a and x.
QRIX_AVX512 inline __m256i addClamped512(__m256i a, __m256i x) {
  return _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(a, x), _mm256_setzero_si256()),
                          _mm256_set1_epi32(255));
}

// yuvWalk's green, eight pixels at a time. Red and blue need no Y: y + yDelta + (r - y + vDelta)
// is r + yDelta + vDelta. Trunc, sums and differences of small whole numbers are exact in
// doubles, so they stand for the conversions to int and back.
QRIX_AVX512 inline void yuvBlock512(uint8_t* B, uint8_t* G, uint8_t* R, int32_t yDelta, int32_t uDelta,
                                    int32_t vDelta) {
  const __m512d yShift = _mm512_set1_pd(yDelta), uShift = _mm512_set1_pd(uDelta),
                vShift = _mm512_set1_pd(vDelta);
  for (int k = 0; k < kPixelBlock; k += 8) {
    const __m512d b = bytesToDoubles512(B + k), g = bytesToDoubles512(G + k), r = bytesToDoubles512(R + k);
    const __m512d y0 = _mm512_add_pd(
        _mm512_add_pd(_mm512_mul_pd(_mm512_set1_pd(0.587), g), _mm512_mul_pd(_mm512_set1_pd(0.299), r)),
        _mm512_mul_pd(_mm512_set1_pd(0.114), b));
    const __m512d y = _mm512_roundscale_pd(y0, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    const __m512d u = _mm512_add_pd(_mm512_sub_pd(b, y), uShift);
    const __m512d v = _mm512_add_pd(_mm512_sub_pd(r, y), vShift);
    const __m512d y1 = _mm512_add_pd(y, yShift);
    const __m512d ng = _mm512_sub_pd(_mm512_sub_pd(y1, _mm512_mul_pd(_mm512_set1_pd(0.192), u)),
                                     _mm512_mul_pd(_mm512_set1_pd(0.509), v));
    storeClamped512(_mm512_cvttpd_epi32(ng), G + k);
  }
  const int32_t red = yDelta + vDelta, blue = yDelta + uDelta;
  for (int k = 0; k < kPixelBlock; ++k) {
    R[k] = static_cast<uint8_t>(clampByte(R[k] + red));
    B[k] = static_cast<uint8_t>(clampByte(B[k] + blue));
  }
}

// About 1.5 times as fast as yuvWalk built for AVX2 (4000 x 3000).
QRIX_AVX512 void yuvWalk512(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        yuvBlock512(B, G, R, yDelta, uDelta, vDelta);
      });
}
#endif

QRIX_VECTOR_KERNEL(void, blackWhiteWalk, (uint8_t * image, int32_t size, bool eachChannel, int32_t level),
                   (image, size, eachChannel, level)) {
  mapWalkPixels(
      image, size, [=](uint8_t * B, uint8_t * G, uint8_t * R) __attribute__((always_inline)) {
        for (int k = 0; k < kPixelBlock; ++k) {
          const int32_t b = B[k], g = G[k], r = R[k];
          const bool black = eachChannel ? (b < level && g < level && r < level) : (b + g + r) / 3 < level;
          B[k] = G[k] = R[k] = black ? 0 : 255;
        }
      });
}

// Adds the amount to every byte of the walk, or the three amounts to blue, green and red. Out of line,
// with the amounts limited here, so the loops vectorise on 16-bit lanes whichever band they are handed.
[[gnu::noinline]] void brightnessWalk(uint8_t* image, int32_t size, int32_t amount) {
  const int32_t a = limitAmount(amount);
  forEachTriple(image, size, [a](uint8_t* p) {
    p[0] = static_cast<uint8_t>(clampByte(p[0] + a));
    p[1] = static_cast<uint8_t>(clampByte(p[1] + a));
    p[2] = static_cast<uint8_t>(clampByte(p[2] + a));
  });
}

[[gnu::noinline]] void rgbBalanceWalk(uint8_t* image, int32_t size, int32_t blueDelta, int32_t greenDelta,
                                      int32_t redDelta) {
  const int32_t db = limitAmount(blueDelta), dg = limitAmount(greenDelta), dr = limitAmount(redDelta);
  forEachTriple(image, size, [=](uint8_t* p) {
    p[0] = static_cast<uint8_t>(clampByte(p[0] + db));
    p[1] = static_cast<uint8_t>(clampByte(p[1] + dg));
    p[2] = static_cast<uint8_t>(clampByte(p[2] + dr));
  });
}

}  // namespace

extern "C" {

int32_t dllbrightness(uint8_t* image, int32_t size, int32_t amount) {
  qrix::eachBand(image, size,
                 [amount](uint8_t* part, int32_t partSize) { brightnessWalk(part, partSize, amount); });
  return 1;
}

int32_t dllcontrast(uint8_t* image, int32_t size, int32_t factor) {
  // From |factor| = 128 * 128 on every byte but 128 already lands on 0 or 255.
  const int32_t f = std::clamp(factor, -16384, 16384);
  qrix::eachBand(image, size, [f](uint8_t* part, int32_t partSize) { contrastWalk(part, partSize, f); });
  return 1;
}

int32_t dllexposal(uint8_t* image, int32_t size, int32_t level) {
  // level - v for v < 128 is 0 for every v from level 0 down and 255 from level 382 up.
  const int32_t l = std::clamp(level, 0, 382);
  qrix::eachBand(image, size, [l](uint8_t* part, int32_t partSize) { exposalWalk(part, partSize, l); });
  return 1;
}

int32_t dllrgbbalance(uint8_t* image, int32_t size, int32_t redDelta, int32_t greenDelta, int32_t blueDelta) {
  qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
    rgbBalanceWalk(part, partSize, blueDelta, greenDelta, redDelta);
  });
  return 1;
}

int32_t dllyuvbalance(uint8_t* image, int32_t size, int32_t yDelta, int32_t uDelta, int32_t vDelta) {
  // Deltas of everyday size keep every intermediate within 32 bits.
  constexpr int32_t kSmall = 1 << 20;
  if (std::abs(int64_t{yDelta}) <= kSmall && std::abs(int64_t{uDelta}) <= kSmall &&
      std::abs(int64_t{vDelta}) <= kSmall) {
#if defined(__x86_64__)
    if (qrix::cpu::atLeast(qrix::cpu::Level::avx512)) {
      qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
        yuvWalk512(part, partSize, yDelta, uDelta, vDelta);
      });
      return 1;
    }
#endif
    qrix::eachBand(image, size,
                   [=](uint8_t* part, int32_t partSize) { yuvWalk(part, partSize, yDelta, uDelta, vDelta); });
    return 1;
  }
  // The deltas enter the green formula together, so they are carried in 64 bits rather
  // than limited one by one; every value stays exact in a double.
  qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
    forEachTriple(part, partSize, [=](uint8_t* p) {
      const int32_t b = p[0], g = p[1], r = p[2];
      const int64_t y = truncToInt(0.587 * g + 0.299 * r + 0.114 * b);
      const int64_t u = b - y + uDelta;
      const int64_t v = r - y + vDelta;
      const int64_t y1 = y + yDelta;
      p[2] = clampByte64(y1 + v);
      p[0] = clampByte64(y1 + u);
      p[1] = clampByte64(static_cast<int64_t>(static_cast<double>(y1) - 0.192 * static_cast<double>(u) -
                                              0.509 * static_cast<double>(v)));
    });
  });
  return 1;
}

int32_t dllycbcr(uint8_t* image, int32_t size, int32_t yDelta, int32_t cbDelta, int32_t crDelta) {
  // The undisturbed Y, Cb and Cr lie in 0..255, so limiting the deltas changes nothing.
  const int32_t dy = std::clamp(yDelta, -512, 512);
  const int32_t dcb = std::clamp(cbDelta, -512, 512);
  const int32_t dcr = std::clamp(crDelta, -512, 512);
  qrix::eachBand(image, size,
                 [=](uint8_t* part, int32_t partSize) { ycbcrWalk(part, partSize, dy, dcb, dcr); });
  return 1;
}

int32_t dllhsl(uint8_t* image, int32_t size, int32_t hueDelta, int32_t saturationDelta,
               int32_t lightnessDelta) {
  const double hueStep = hueDelta * 0.01, saturationStep = saturationDelta * 0.01,
               lightnessStep = lightnessDelta * 0.01;
#if defined(__x86_64__)
  if (qrix::cpu::atLeast(qrix::cpu::Level::avx512)) {
    qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
      hslWalk512(part, partSize, hueStep, saturationStep, lightnessStep);
    });
    return 1;
  }
#endif
  qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
    hslWalk(part, partSize, hueStep, saturationStep, lightnessStep);
  });
  return 1;
}

int32_t dllblackwhite(uint8_t* image, int32_t size, int32_t averageSwitch, int32_t level) {
  // Bytes and their thirds lie in 0..255: a level beyond 0..256 decides nothing more.
  const bool eachChannel = averageSwitch == 0;
  const int32_t bound = std::clamp(level, 0, 256);
  qrix::eachBand(image, size, [=](uint8_t* part, int32_t partSize) {
    blackWhiteWalk(part, partSize, eachChannel, bound);
  });
  return 1;
}

int32_t dllcolorbound(uint8_t* image, int32_t size, int32_t redMax, int32_t greenMax, int32_t blueMax,
                      int32_t redMin, int32_t greenMin, int32_t blueMin) {
  if (!(redMax > redMin && greenMax > greenMin && blueMax > blueMin)) return 1;
  for (int32_t mx : {redMax, greenMax, blueMax}) {
    if (mx < 1 || mx > 255) return 1;
  }
  for (int32_t mn : {redMin, greenMin, blueMin}) {
    if (mn < 0 || mn > 254) return 1;
  }
  // With the minimum below the maximum, raising to the minimum and then lowering to the
  // maximum bounds a value as the two tests do.
  const ChannelPattern<uint8_t> hi(static_cast<uint8_t>(blueMax), static_cast<uint8_t>(greenMax),
                                   static_cast<uint8_t>(redMax));
  const ChannelPattern<uint8_t> lo(static_cast<uint8_t>(blueMin), static_cast<uint8_t>(greenMin),
                                   static_cast<uint8_t>(redMin));
  qrix::eachBand(image, size, [&](uint8_t* part, int32_t partSize) {
    mapWalkBytes(part, partSize, [&](uint8_t v, int j) { return std::min(std::max(v, lo.at[j]), hi.at[j]); });
  });
  return 1;
}

int32_t DllAdjLevel(uint8_t* image, int32_t size, int32_t redMax, int32_t redMin, int32_t greenMax,
                    int32_t greenMin, int32_t blueMax, int32_t blueMin) {
  if (walkTriples(size) == 0) return 1;
  const int32_t maxima[3] = {blueMax, greenMax, redMax};
  const int32_t minima[3] = {blueMin, greenMin, redMin};
  ChannelTables table;
  for (int c = 0; c < 3; ++c) {
    const uint8_t range = static_cast<uint8_t>(maxima[c] - static_cast<uint32_t>(minima[c]));
    for (int32_t v = 0; v < 256; ++v) table[c][v] = static_cast<uint8_t>(v);
    // A band of width 0 has no stretch; that channel keeps its values.
    if (range == 0) continue;
    const double scale = 255.0 / range;
    const double offset = (static_cast<double>(minima[c]) * 255) / range;
    for (int32_t v = 1; v < 255; ++v) {
      const double x = std::clamp(scale * v - offset, 0.0, 255.0);
      table[c][v] = static_cast<uint8_t>(truncToInt(x));
    }
  }
  qrix::mapChannelTables(image, size, table);
  return 1;
}

int32_t dllhisequip(uint8_t* image, int32_t size, int32_t width, int32_t height) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  // Without a pixel count there is nothing to divide by; leave the image as it is.
  if (pixels <= 0 || walkTriples(size) == 0) return 1;
  int32_t count[3][256];
  qrix::countChannels(image, size, count);
  const double n = static_cast<double>(pixels);
  ChannelTables table;
  for (int c = 0; c < 3; ++c) {
    double cumulative = 0.0;
    for (int32_t v = 0; v < 256; ++v) {
      // When padding makes the counted triples outnumber the pixels the sum passes 1;
      // such levels stay at white instead of wrapping round to dark.
      table[c][v] = static_cast<uint8_t>(std::min(255.0, 255 * cumulative));
      cumulative += count[c][v] / n;
    }
  }
  qrix::mapChannelTables(image, size, table);
  return 1;
}

}  // extern "C"
