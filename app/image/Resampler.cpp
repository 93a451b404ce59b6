#include "Resampler.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvane {

namespace {

constexpr int32_t kOne = ResampleAxis::kOne;

// Nearest fixed-point fraction of c / n (halves up).
int64_t fraction(int64_t c, int64_t n) { return (c * kOne + n / 2) / n; }

// Output k as two taps at first and first + 1 (a weight may be 0); empty
// when some output needs more. Most reductions by up to 2 and all
// enlargements fit, and the fixed shape keeps the loop free of branches.
struct TwoTaps {
  int32_t first, w0, w1;
};

std::vector<TwoTaps> twoTaps(const ResampleAxis& axis, int32_t n) {
  std::vector<TwoTaps> taps;
  if (n < 2) return taps;
  const size_t m = axis.first.size();
  for (size_t k = 0; k < m; ++k)
    if (axis.begin[k + 1] - axis.begin[k] > 2) return taps;
  taps.resize(m);
  for (size_t k = 0; k < m; ++k) {
    const int32_t* w = axis.weights.data() + axis.begin[k];
    const bool two = axis.begin[k + 1] - axis.begin[k] == 2;
    int32_t first = axis.first[k], w0 = w[0], w1 = two ? w[1] : 0;
    if (first == n - 1) first = n - 2, w1 = w0, w0 = 0;  // keep the pair inside the row
    taps[k] = TwoTaps{first, w0, w1};
  }
  return taps;
}

inline uint8_t toByte(int32_t v) { return static_cast<uint8_t>(std::min(v >> 21, 255)); }

void columnsOfTwo(const std::vector<TwoTaps>& taps, const uint16_t* mid, uint8_t* out, int32_t width) {
  for (int32_t x = 0; x < width; ++x, out += 3) {
    const TwoTaps& t = taps[static_cast<size_t>(x)];
    const uint16_t* in = mid + 3 * static_cast<size_t>(t.first);
    out[0] = toByte((1 << 20) + t.w0 * in[0] + t.w1 * in[3]);
    out[1] = toByte((1 << 20) + t.w0 * in[1] + t.w1 * in[4]);
    out[2] = toByte((1 << 20) + t.w0 * in[2] + t.w1 * in[5]);
  }
}

void columnsOf(const ResampleAxis& columns, const uint16_t* mid, uint8_t* out, int32_t width) {
  for (int32_t x = 0; x < width; ++x) {
    const int32_t b = columns.begin[static_cast<size_t>(x)];
    const int32_t n = columns.begin[static_cast<size_t>(x) + 1] - b;
    const int32_t* cw = columns.weights.data() + b;
    const uint16_t* in = mid + 3 * static_cast<size_t>(columns.first[static_cast<size_t>(x)]);
    int32_t c0 = 1 << 20, c1 = 1 << 20, c2 = 1 << 20;
    for (int32_t t = 0; t < n; ++t, in += 3) {
      c0 += cw[t] * in[0];
      c1 += cw[t] * in[1];
      c2 += cw[t] * in[2];
    }
    out[3 * x] = toByte(c0);
    out[3 * x + 1] = toByte(c1);
    out[3 * x + 2] = toByte(c2);
  }
}

// Both axes exactly halved: every weight is one half and the general path's two
// roundings come to (a + b + c + d + 2) >> 2 over each 2 x 2 block: the column
// stage keeps 64 (a + c) exactly, and 2^20 + 2^19 (a + b + c + d) >> 21 is the
// rounded quarter.
void halve(const DrawingSurface& from, const DrawingSurface& to) {
  const size_t inBytes = static_cast<size_t>(from.width) * 3;
  // Byte i of the rounded pair-of-pixels average starting at i; output pixel x
  // is its bytes 6x .. 6x + 2. Three spare bytes let every pixel be moved as
  // one four-byte word.
  std::vector<uint16_t> columns(inBytes);
  std::vector<uint8_t> averages(inBytes + 3);
  uint16_t* sum = columns.data();
  uint8_t* average = averages.data();
  const size_t pairBytes = inBytes - 3;
  for (int32_t y = 0; y < to.height; ++y) {
    const uint8_t* upper = from.pixel(0, 2 * y);
    const uint8_t* lower = from.pixel(0, 2 * y + 1);
    for (size_t i = 0; i < inBytes; ++i) sum[i] = static_cast<uint16_t>(upper[i] + lower[i]);
    for (size_t i = 0; i < pairBytes; ++i) average[i] = static_cast<uint8_t>((sum[i] + sum[i + 3] + 2) >> 2);
    uint8_t* out = to.pixel(0, y);
    const int32_t words = to.width - 1;  // the last pixel must not spill into the next row
    for (int32_t x = 0; x < words; ++x) std::memcpy(out + 3 * x, average + 6 * static_cast<size_t>(x), 4);
    std::memcpy(out + 3 * static_cast<size_t>(words), average + 6 * static_cast<size_t>(words), 3);
  }
}

}  // namespace

ResampleAxis ResampleAxis::build(int32_t n, int32_t m) {
  ResampleAxis axis;
  axis.first.resize(static_cast<size_t>(m));
  axis.begin.resize(static_cast<size_t>(m) + 1);
  axis.begin[0] = 0;
  if (m > n) {
    // Growing: output k's centre lies at source position ((2k + 1) n - m) / 2m,
    // clamped to the outer pixel centres.
    axis.weights.reserve(2 * static_cast<size_t>(m));
    const int64_t den = 2 * int64_t{m};
    for (int32_t k = 0; k < m; ++k) {
      const int64_t num = std::max<int64_t>((2 * int64_t{k} + 1) * n - m, 0);
      int64_t i0 = num / den;
      int64_t next = (num % den * kOne + den / 2) / den;
      if (i0 >= n - 1) i0 = n - 1, next = 0;
      axis.first[static_cast<size_t>(k)] = static_cast<int32_t>(i0);
      axis.weights.push_back(static_cast<int32_t>(kOne - next));
      if (next != 0) axis.weights.push_back(static_cast<int32_t>(next));
      axis.begin[static_cast<size_t>(k) + 1] = static_cast<int32_t>(axis.weights.size());
    }
    return axis;
  }
  // Shrinking: output k covers source span [k n / m, (k + 1) n / m); in units
  // of 1/m that is [k n, (k + 1) n) and source pixel s covers [s m, (s + 1) m).
  // Weights are differences of the rounded running coverage, so they sum to one.
  axis.weights.reserve(static_cast<size_t>(m) + static_cast<size_t>(n));
  for (int32_t k = 0; k < m; ++k) {
    const int64_t lo = int64_t{k} * n, hi = lo + n;
    const int64_t s0 = lo / m, s1 = (hi - 1) / m;
    axis.first[static_cast<size_t>(k)] = static_cast<int32_t>(s0);
    int64_t covered = 0;
    for (int64_t s = s0; s <= s1; ++s) {
      const int64_t overlap = std::min(hi, (s + 1) * m) - std::max(lo, s * m);
      axis.weights.push_back(static_cast<int32_t>(fraction(covered + overlap, n) - fraction(covered, n)));
      covered += overlap;
    }
    axis.begin[static_cast<size_t>(k) + 1] = static_cast<int32_t>(axis.weights.size());
  }
  return axis;
}

bool Resample(const DrawingSurface& from, const DrawingSurface& to) {
  if (!from.hasPixels() || !to.hasPixels()) return false;
  try {
    if (from.width == 2 * int64_t{to.width} && from.height == 2 * int64_t{to.height}) {
      halve(from, to);
      return true;
    }
    const ResampleAxis columns = ResampleAxis::build(from.width, to.width);
    const ResampleAxis rows = ResampleAxis::build(from.height, to.height);
    const size_t inBytes = static_cast<size_t>(from.width) * 3;
    std::vector<int32_t> sum(inBytes);
    std::vector<uint16_t> column(inBytes);
    const std::vector<TwoTaps> taps2 = twoTaps(columns, from.width);
    for (int32_t y = 0; y < to.height; ++y) {
      // Rows first: each source column becomes one value with 7 extra bits.
      const int32_t* w = rows.weights.data() + rows.begin[static_cast<size_t>(y)];
      const int32_t taps = rows.begin[static_cast<size_t>(y) + 1] - rows.begin[static_cast<size_t>(y)];
      const int32_t top = rows.first[static_cast<size_t>(y)];
      int32_t* acc = sum.data();
      {
        const uint8_t* in = from.pixel(0, top);
        const int32_t weight = w[0];
        for (size_t i = 0; i < inBytes; ++i) acc[i] = weight * in[i];
      }
      for (int32_t t = 1; t < taps; ++t) {
        const uint8_t* in = from.pixel(0, top + t);
        const int32_t weight = w[t];
        for (size_t i = 0; i < inBytes; ++i) acc[i] += weight * in[i];
      }
      uint16_t* mid = column.data();
      for (size_t i = 0; i < inBytes; ++i) mid[i] = static_cast<uint16_t>((acc[i] + 64) >> 7);

      // Then the columns of this row, rounding to whole bytes.
      uint8_t* out = to.pixel(0, y);
      if (taps2.empty())
        columnsOf(columns, mid, out, to.width);
      else
        columnsOfTwo(taps2, mid, out, to.width);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace orvane
