// Blur filters: box, weighted, over-smoothing and median sweeps, directional blur, box blur of a
// chosen radius on the grid, and the two interior blurs.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "neighbourhood.h"

using qrix::Around;

namespace {

// By value, not by reference as std::min and std::max, so that chains of them stay in registers.
inline uint8_t lower(uint8_t a, uint8_t b) { return a < b ? a : b; }
inline uint8_t upper(uint8_t a, uint8_t b) { return a < b ? b : a; }

inline void order(uint8_t& a, uint8_t& b) {
  const uint8_t lo = lower(a, b);
  b = upper(a, b);
  a = lo;
}

inline uint8_t middle(uint8_t a, uint8_t b, uint8_t c) { return upper(lower(a, b), lower(upper(a, b), c)); }

// The median of nine is one value however it is found: each column of three is sorted once and
// shared by the three neighbourhoods that contain it; the median is then the middle of the largest
// column minimum, the middle of the column middles and the smallest column maximum. Byte minimum and
// maximum only, so both loops vectorise a whole vector of channel bytes at a time.
// Bytes first .. end - 1.
void medianSweep(const uint8_t* src, uint8_t* dst, int64_t first, int64_t end, int32_t stride) {
  constexpr ptrdiff_t kBlock = 1024;
  const ptrdiff_t s = stride;
  alignas(64) uint8_t lo[kBlock + 6], mid[kBlock + 6], hi[kBlock + 6];
  for (int64_t i0 = first; i0 < end; i0 += kBlock) {
    const ptrdiff_t n = static_cast<ptrdiff_t>(std::min<int64_t>(kBlock, end - i0));
    const uint8_t* column = src + i0 - 3;  // column j of the block is at column + j
    for (ptrdiff_t j = 0; j < n + 6; ++j) {
      uint8_t a = column[j - s], b = column[j], c = column[j + s];
      order(a, b), order(b, c), order(a, b);
      lo[j] = a, mid[j] = b, hi[j] = c;
    }
    uint8_t* out = dst + i0;
    for (ptrdiff_t j = 0; j < n; ++j) {
      const uint8_t low = upper(upper(lo[j], lo[j + 3]), lo[j + 6]);
      const uint8_t high = lower(lower(hi[j], hi[j + 3]), hi[j + 6]);
      out[j] = middle(low, middle(mid[j], mid[j + 3], mid[j + 6]), high);
    }
  }
}

// Floor division for the grid's row clipping (b > 0).
inline int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Box counts up to which v / count, for v in [0, 255 * count], equals (v * m) >> 40 with
// m = floor(2^40 / count) + 1: the error v * (m - 2^40 / count) / 2^40 < 255 * count / 2^40 stays
// below 1 / count while 255 * count^2 < 2^40 (checked in the tests at every step of the quotient).
constexpr int32_t kMagicCounts = 65536;

// sum[j] += bytes[j]; the two never overlap. Kept out of line so the vector loop is not fused away.
[[gnu::noinline]] void addBytes(uint16_t* __restrict sum, const uint8_t* __restrict bytes, ptrdiff_t n) {
  for (ptrdiff_t j = 0; j < n; ++j) sum[j] = static_cast<uint16_t>(sum[j] + bytes[j]);
}

// The box blur summed afresh for every pixel, for when the running sums cannot be allocated.
void boxDirect(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width, int32_t height,
               int32_t radius) {
  const int64_t lastPixel = (int64_t(size) - 2) / 3;  // highest grid index with all bytes inside
  const int64_t w = width, r = radius;
  qrix::grid(width, height, [&](int32_t x, int32_t y, int64_t offset) {
    if (offset / 3 > lastPixel) return;  // a size smaller than the picture: leave the rest alone
    // Rows of the box whose run can meet [0, lastPixel].
    const int64_t jFirst = std::max(-r, floorDiv(-(x + r - 1) + w - 1, w) - y);
    const int64_t jLast = std::min(r - 1, floorDiv(lastPixel - x + r, w) - y);
    uint32_t b = 0, g = 0, red = 0;  // 32-bit sums, wrapping as the library's integers do
    int32_t count = 0;
    for (int64_t j = jFirst; j <= jLast; ++j) {
      const int64_t rowStart = w * (y + j);
      const int64_t from = std::max<int64_t>(0, rowStart + x - r);
      const int64_t to = std::min(lastPixel, rowStart + x + r - 1);
      for (int64_t q = from; q <= to; ++q) {
        const uint8_t* p = source + 3 * q;
        b += p[0], g += p[1], red += p[2];
      }
      if (to >= from) count += static_cast<int32_t>(to - from + 1);
    }
    destination[offset] = static_cast<uint8_t>(static_cast<int32_t>(b) / count);
    destination[offset + 1] = static_cast<uint8_t>(static_cast<int32_t>(g) / count);
    destination[offset + 2] = static_cast<uint8_t>(static_cast<int32_t>(red) / count);
  });
}

// The motion blur's run for N samples, N known when compiled: each byte is the mean of the N bytes at
// the given offsets (offset 0 first), summed in 16 bits (N <= 16: at most 4080) and divided by N.
QRIX_VECTOR_TEMPLATE(template <int N>, <N>, void, motionRun,
                     (const uint8_t* __restrict from, uint8_t* __restrict to, ptrdiff_t n,
                      const ptrdiff_t* offsets),
                     (from, to, n, offsets)) {
  const uint8_t* sample[N];
  for (int k = 0; k < N; ++k) sample[k] = from + offsets[k];
  for (ptrdiff_t j = 0; j < n; ++j) {
    uint16_t sum = sample[0][j];
    for (int k = 1; k < N; ++k) sum = static_cast<uint16_t>(sum + sample[k][j]);
    to[j] = static_cast<uint8_t>(sum / N);
  }
}

template <int... N>
bool motionRunOf(int count, const uint8_t* from, uint8_t* to, ptrdiff_t n, const ptrdiff_t* offsets,
                 std::integer_sequence<int, N...>) {
  return ((count == N + 2 ? (motionRun<N + 2>(from, to, n, offsets), true) : false) || ...);
}

// Rows yA .. yB of the radius blur whose boxes lie wholly inside the buffer, for radius R <= 8: every
// box holds 4R^2 pixels and its sums stay below 2^16. Per byte of the row the column sums of the 2R box
// rows, from R pixels before the row to R - 1 after it, slide down the picture a row at a time; each
// box sum is then 2R column sums, one pixel apart. `columns` holds 3 (w - 2 + 2R) entries.
QRIX_VECTOR_TEMPLATE(template <int R>, <R>, void, boxRowsInside,
                     (const uint8_t* source, uint8_t* destination, int64_t w, int64_t yA, int64_t yB,
                      uint16_t* columns),
                     (source, destination, w, yA, yB, columns)) {
  constexpr uint16_t kCount = 4 * R * R;
  const ptrdiff_t rowBytes = 3 * w, sums = 3 * (w - 2 + 2 * R), outBytes = 3 * (w - 1);
  auto columnStart = [&](int64_t Y) { return source + rowBytes * Y - 3 * R; };  // byte 0 of pixel -R
  for (ptrdiff_t k = 0; k < sums; ++k) columns[k] = 0;
  for (int64_t Y = yA - R; Y < yA + R; ++Y) {
    const uint8_t* in = columnStart(Y);
    for (ptrdiff_t k = 0; k < sums; ++k) columns[k] = static_cast<uint16_t>(columns[k] + in[k]);
  }
  for (int64_t y = yA; y <= yB; ++y) {
    if (y > yA) {
      const uint8_t *in = columnStart(y + R - 1), *gone = columnStart(y - R - 1);
      for (ptrdiff_t k = 0; k < sums; ++k) columns[k] = static_cast<uint16_t>(columns[k] + in[k] - gone[k]);
    }
    uint8_t* out = destination + rowBytes * y;
    for (ptrdiff_t k = 0; k < outBytes; ++k) {
      uint16_t box = 0;
      for (int i = 0; i < 2 * R; ++i) box = static_cast<uint16_t>(box + columns[k + 3 * i]);
      out[k] = static_cast<uint8_t>(box / kCount);
    }
  }
}

// boxRowsInside for a radius known only at run time; false for radii above 8.
bool boxRowsInside(const uint8_t* source, uint8_t* destination, int64_t w, int64_t yA, int64_t yB,
                   uint16_t* columns, int64_t radius) {
  switch (radius) {
    case 1:
      boxRowsInside<1>(source, destination, w, yA, yB, columns);
      return true;
    case 2:
      boxRowsInside<2>(source, destination, w, yA, yB, columns);
      return true;
    case 3:
      boxRowsInside<3>(source, destination, w, yA, yB, columns);
      return true;
    case 4:
      boxRowsInside<4>(source, destination, w, yA, yB, columns);
      return true;
    case 5:
      boxRowsInside<5>(source, destination, w, yA, yB, columns);
      return true;
    case 6:
      boxRowsInside<6>(source, destination, w, yA, yB, columns);
      return true;
    case 7:
      boxRowsInside<7>(source, destination, w, yA, yB, columns);
      return true;
    case 8:
      boxRowsInside<8>(source, destination, w, yA, yB, columns);
      return true;
    default:
      return false;
  }
}

// One row run of the 5 x 5 blur. Its weights are, row by row, [0 1 2 1 0], [1 4 6 4 1], [2 6 8 6 2],
// [1 4 6 4 1], [0 1 2 1 0]; with T = [1 2 1] across pixels, that is T(T(Q + 2R) + P - 2R), P being the
// sum of the rows two away, Q of the rows one away and R the centre row. Every partial sum fits 16 bits
// and the total is the same non-negative integer, so the quotient by 64 is unchanged.
QRIX_VECTOR_KERNEL(void, blurMoreRun, (const uint8_t* const* row, uint8_t* to, ptrdiff_t runBytes),
                   (row, to, runBytes)) {
  constexpr ptrdiff_t kBlock = 512;
  int16_t a[kBlock + 12], b[kBlock + 6], d[kBlock + 6];  // a[k] for byte k - 6, b[k] and d[k] for k - 3
  for (ptrdiff_t i0 = 0; i0 < runBytes; i0 += kBlock) {
    const ptrdiff_t n = std::min(kBlock, runBytes - i0);
    const uint8_t *p0 = row[0] + i0, *q0 = row[1] + i0, *r0 = row[2] + i0, *q1 = row[3] + i0,
                  *p1 = row[4] + i0;
    for (ptrdiff_t k = 0; k < n + 12; ++k) a[k] = static_cast<int16_t>(q0[k - 6] + q1[k - 6] + 2 * r0[k - 6]);
    for (ptrdiff_t k = 0; k < n + 6; ++k) b[k] = static_cast<int16_t>(p0[k - 3] + p1[k - 3] - 2 * r0[k - 3]);
    for (ptrdiff_t k = 0; k < n + 6; ++k) d[k] = static_cast<int16_t>(a[k] + 2 * a[k + 3] + a[k + 6] + b[k]);
    uint8_t* out = to + i0;
    for (ptrdiff_t k = 0; k < n; ++k) out[k] = static_cast<uint8_t>((d[k] + 2 * d[k + 3] + d[k + 6]) >> 6);
  }
}

}  // namespace

extern "C" {

int32_t dllfastblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  qrix::sweep(source, destination, size, stride, [](Around n) { return n.all9() / 9; });
  return 1;
}

int32_t dllgaussblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  qrix::sweep(source, destination, size, stride,
              [](Around n) { return (4 * n.c() + 2 * n.sides() + n.corners()) >> 4; });
  return 1;
}

int32_t dllspecialblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  qrix::sweep(source, destination, size, stride, [](Around n) {
    const int32_t a = n.all9() / 9;
    // trunc(1.2 * d) equals (6 * d) / 5 for every d in -255 .. 255 (checked exhaustively in the
    // tests), and the integer form vectorises.
    const int32_t v = a + 6 * (a - n.c()) / 5;
    return std::min(255, v < 0 ? -v : v);
  });
  return 1;
}

int32_t medianfiltering(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride) {
  const int64_t first = int64_t(stride) + 3;
  const int64_t bytes = 3 * qrix::tripleCount(first, int64_t(size) - stride - 5);
  const int64_t reach = (stride < 0 ? -int64_t(stride) : int64_t(stride)) + 8;
  qrix::tripleBands(source, destination, first, bytes, reach,
                    [&](int64_t from, int64_t to) { medianSweep(source, destination, from, to, stride); });
  return 1;
}

// Samples at triangular multiples of the step (0, 1, 3, 6, ...), each counted when it lies in the
// buffer. A negative distance is taken as 0: each pixel is its own single sample.
// The samples move away from the pixel monotonically, so a pixel counts its first c samples, and the
// pixels counting c samples form one run of the walk (a band): from the buffer's end backwards for a
// forward step, from its start for a backward one. Within a band every sample is a fixed byte offset
// away and the count is fixed, so a band is summed a vector of bytes at a time and divided by its count
// with a multiply and shift.
int32_t dllmotionblur(const uint8_t* source, uint8_t* destination, int32_t size, int32_t stride,
                      int32_t distance, int32_t direction) {
  const int64_t step = qrix::directionStep(direction, stride);
  const int64_t last = int64_t(size) - 2;  // highest byte 0 of a counted sample
  if (last <= 0) return 1;                 // no pixel starts before it
  // With a zero step every sample is the pixel itself, which averages to the pixel.
  const int64_t distanceUsed = step == 0 || distance < 0 ? 0 : distance;
  const int64_t absStep = step < 0 ? -step : step;
  // Samples 0 .. samples - 1 can all lie inside for some pixel: their farthest, T(samples - 1) * |step|
  // bytes away with T(k) = k (k + 1) / 2, is at most last bytes away.
  int64_t samples = 1;
  while (samples <= distanceUsed && samples * (samples + 1) / 2 <= last / absStep) ++samples;
  constexpr int64_t kMaxSamples = 64;  // bands counting more are summed pixel by pixel
  constexpr int kRunSamples = 16;      // counts 2 .. kRunSamples have their own compiled run
  ptrdiff_t offsets[kMaxSamples];
  for (int64_t k = 0; k < std::min(samples, kMaxSamples); ++k)
    offsets[k] = static_cast<ptrdiff_t>(k * (k + 1) / 2 * step);
  auto onePixel = [&](int64_t o) {
    int32_t b = source[o], g = source[o + 1], r = source[o + 2], count = 1;
    for (int64_t k = 1; k <= distanceUsed; ++k) {
      const int64_t at = o + k * (k + 1) / 2 * step;
      if (at < 0 || at > last) break;
      b += source[at], g += source[at + 1], r += source[at + 2];
      ++count;
    }
    destination[o] = static_cast<uint8_t>(b / count);
    destination[o + 1] = static_cast<uint8_t>(g / count);
    destination[o + 2] = static_cast<uint8_t>(r / count);
  };
  // Bytes a .. b - 1, whole pixels, each pixel counting `count` samples.
  auto pixelsOf = [&](int64_t count, int64_t a, int64_t b) {
    const uint8_t* in = source + a;
    uint8_t* out = destination + a;
    const int64_t bytes = b - a;
    if (count == 1) {
      std::memmove(out, in, static_cast<size_t>(bytes));
    } else if (count <= kRunSamples) {
      motionRunOf(static_cast<int>(count), in, out, static_cast<ptrdiff_t>(bytes), offsets,
                  std::make_integer_sequence<int, kRunSamples - 1>());
    } else if (count <= kMaxSamples) {
      // v / count for every v <= 255 * count < 2^14 as (v * m) >> shift, with shift = 14 + ceil(log2
      // count) and m = floor(2^shift / count) + 1: the error v * (m - 2^shift / count) / 2^shift stays
      // below 1 / count while v < 2^14, and v * m < 2^29 (checked exhaustively in the tests).
      int32_t shift = 14;
      while ((int64_t(1) << (shift - 14)) < count) ++shift;
      const uint32_t m = (uint32_t(1) << shift) / uint32_t(count) + 1;
      constexpr ptrdiff_t kBlock = 1024;
      uint16_t sum[kBlock];
      for (int64_t i0 = 0; i0 < bytes; i0 += kBlock) {
        const auto n = static_cast<ptrdiff_t>(std::min<int64_t>(kBlock, bytes - i0));
        for (ptrdiff_t j = 0; j < n; ++j) sum[j] = in[i0 + j];
        for (int64_t k = 1; k < count; ++k) addBytes(sum, in + i0 + offsets[k], n);
        for (ptrdiff_t j = 0; j < n; ++j) out[i0 + j] = static_cast<uint8_t>((sum[j] * m) >> shift);
      }
    } else {
      for (int64_t o = a; o < b; o += 3) onePixel(o);
    }
  };
  // The pixels o = from, from + 3, ... while o <= to and o < last, each counting `count` samples; spread
  // over the pool when the destination is apart from the samples read.
  auto band = [&](int64_t count, int64_t from, int64_t to) {
    from = std::max<int64_t>(0, (from + 2) / 3 * 3);
    to = std::min(to, last - 1);
    if (to < from) return;
    const int64_t reachRead = (count - 1) * count / 2 * absStep + 3;
    qrix::tripleBands(source, destination, from, 3 * ((to - from) / 3 + 1), reachRead,
                      [&](int64_t a, int64_t b) { pixelsOf(count, a, b); });
  };
  // A pixel o counts at least c samples when sample c - 1, T(c - 1) * step bytes away, lies inside:
  // o <= last - T(c - 1) * step for a forward step, o >= T(c - 1) * |step| for a backward one.
  for (int64_t c = 1; c <= samples; ++c) {
    const int64_t reach = (c - 1) * c / 2 * absStep, further = c * (c + 1) / 2 * absStep;
    const bool lastBand = c == samples;
    if (step > 0) {
      band(c, lastBand ? 0 : last - further + 1, last - reach);
    } else {
      band(c, reach, lastBand ? last : further - 1);
    }
  }
  return 1;
}

// Average of the 2r x 2r box (x - r .. x + r - 1, y - r .. y + r - 1) on the grid; a box pixel counts
// when its three bytes lie in [0, size], so columns beyond a row end wrap into the next row. Each row
// of the box is one run of consecutive grid pixels, clipped to the buffer. A radius below 1 has no
// box: nothing is written.
// Sums are taken with running windows: along each grid row the run sums slide by one pixel, and down
// the grid the box sums slide by one row. The sums are 32-bit and wrap, so adding and taking away
// leaves the same bits as adding up afresh.
int32_t dllfastblurplus(const uint8_t* source, uint8_t* destination, int32_t size, int32_t width,
                        int32_t height, int32_t radius) {
  if (radius < 1 || size < 2 || width < 2 || height < 2) return 1;
  const int64_t lastPixel = (int64_t(size) - 2) / 3;  // highest grid index with all bytes inside
  const int64_t w = width, r = radius, columns = w - 1;
  // Rows yA .. yB whose boxes lie wholly inside [0, lastPixel]: the first pixel of the first box row,
  // w (y - r) - r, is at least 0, and the last of the last, w (y + r - 1) + w - 2 + r - 1, at most
  // lastPixel.
  const int64_t yA = r + (r + w - 1) / w;
  const int64_t yB = std::min<int64_t>(height - 2, floorDiv(lastPixel - r + 3, w) - r);
  const bool inside = yA <= yB && r <= 8;
  const size_t sumBytes = 8 * sizeof(uint32_t) * static_cast<size_t>(columns);
  const size_t columnBytes = inside ? sizeof(uint16_t) * 3 * static_cast<size_t>(w - 2 + 2 * r) : 0;
  // The rows whose boxes lie inside are cut into bands, each sliding its own column sums.
  const bool apart = destination + size + 1 <= source || source + size + 1 <= destination;
  const int32_t bands =
      inside && apart
          ? static_cast<int32_t>(std::min<int64_t>(qrix::bandsFor(3 * w * (yB - yA + 1)), yB - yA + 1))
          : 1;
  auto* sums = static_cast<uint32_t*>(std::malloc(sumBytes + bands * columnBytes));
  if (sums == nullptr) {
    boxDirect(source, destination, size, width, height, radius);
    return 1;
  }
  uint32_t *boxB = sums, *boxG = boxB + columns, *boxR = boxG + columns, *boxN = boxR + columns;
  uint32_t *runB = boxN + columns, *runG = runB + columns, *runR = runG + columns, *runN = runR + columns;
  // Grid rows whose runs can meet [0, lastPixel]; the runs of every other row are empty.
  const int64_t rowLo = floorDiv(-(r - 1) - (columns - 1), w) - 1;
  const int64_t rowHi = floorDiv(lastPixel + r, w) + 1;
  // Run sums of grid row Y (pixels w * Y + x - r .. w * Y + x + r - 1, clipped) for every x.
  auto runsOf = [&](int64_t Y) {
    const int64_t c0 = w * Y;
    uint32_t b = 0, g = 0, red = 0, n = 0;
    for (int64_t q = std::max<int64_t>(0, c0 - r), to = std::min(lastPixel, c0 + r - 1); q <= to; ++q) {
      const uint8_t* p = source + 3 * q;
      b += p[0], g += p[1], red += p[2], ++n;
    }
    runB[0] = b, runG[0] = g, runR[0] = red, runN[0] = n;
    if (c0 - r >= 0 && c0 + columns + r - 2 <= lastPixel) {
      // Every pixel entering and leaving the window lies inside: no tests.
      const uint8_t* in = source + 3 * (c0 + r);
      const uint8_t* gone = source + 3 * (c0 - r);
      for (int64_t x = 1; x < columns; ++x, in += 3, gone += 3) {
        b += uint32_t(in[0]) - gone[0], g += uint32_t(in[1]) - gone[1], red += uint32_t(in[2]) - gone[2];
        runB[x] = b, runG[x] = g, runR[x] = red, runN[x] = n;
      }
      return;
    }
    for (int64_t x = 1; x < columns; ++x) {
      const int64_t in = c0 + x + r - 1, out = c0 + x - r - 1;
      if (in >= 0 && in <= lastPixel) {
        const uint8_t* p = source + 3 * in;
        b += p[0], g += p[1], red += p[2], ++n;
      }
      if (out >= 0 && out <= lastPixel) {
        const uint8_t* p = source + 3 * out;
        b -= p[0], g -= p[1], red -= p[2], --n;
      }
      runB[x] = b, runG[x] = g, runR[x] = red, runN[x] = n;
    }
  };
  auto addRuns = [&](int64_t Y, bool add) {
    if (Y < rowLo || Y > rowHi) return;
    runsOf(Y);
    const uint32_t sign = add ? 1u : 0xffffffffu;
    for (int64_t x = 0; x < columns; ++x) {
      boxB[x] += sign * runB[x], boxG[x] += sign * runG[x], boxR[x] += sign * runR[x],
          boxN[x] += sign * runN[x];
    }
  };
  // Rows y0 .. y1 - 1 with running box sums, started afresh at y0.
  auto rowsFromRuns = [&](int64_t y0, int64_t y1) {
    if (y0 >= y1) return;
    for (int64_t x = 0; x < columns; ++x) boxB[x] = boxG[x] = boxR[x] = boxN[x] = 0;
    for (int64_t Y = std::max(y0 - r, rowLo); Y <= std::min(y0 + r - 1, rowHi); ++Y) addRuns(Y, true);
    for (int64_t y = y0; y < y1; ++y) {
      if (y > y0) addRuns(y + r - 1, true), addRuns(y - 1 - r, false);
      const int64_t rowStart = w * y;
      if (rowStart > lastPixel) break;  // a size smaller than the picture: leave the rest alone
      const int64_t xEnd = std::min(columns, lastPixel - rowStart + 1);
      uint8_t* out = destination + 3 * rowStart;
      uint32_t magicCount = 0;
      uint64_t magic = 0;
      for (int64_t x = 0; x < xEnd; ++x) {
        const auto count = static_cast<int32_t>(boxN[x]);
        if (count <= kMagicCounts) {
          // Sums of at most 65536 bytes do not wrap and lie in [0, 255 * count].
          if (uint32_t(count) != magicCount)
            magicCount = uint32_t(count), magic = (uint64_t(1) << 40) / magicCount + 1;
          out[3 * x] = static_cast<uint8_t>((boxB[x] * magic) >> 40);
          out[3 * x + 1] = static_cast<uint8_t>((boxG[x] * magic) >> 40);
          out[3 * x + 2] = static_cast<uint8_t>((boxR[x] * magic) >> 40);
        } else {
          out[3 * x] = static_cast<uint8_t>(static_cast<int32_t>(boxB[x]) / count);
          out[3 * x + 1] = static_cast<uint8_t>(static_cast<int32_t>(boxG[x]) / count);
          out[3 * x + 2] = static_cast<uint8_t>(static_cast<int32_t>(boxR[x]) / count);
        }
      }
    }
  };
  if (inside) {
    rowsFromRuns(0, yA);
    auto* columnSums = reinterpret_cast<uint16_t*>(sums + 8 * columns);
    const int64_t rows = yB - yA + 1;
    qrix::runBands(bands, [&](int32_t k) {
      const int64_t y0 = yA + qrix::bandCut(rows, bands, k), y1 = yA + qrix::bandCut(rows, bands, k + 1);
      if (y0 < y1) boxRowsInside(source, destination, w, y0, y1 - 1, columnSums + k * (columnBytes / 2), r);
    });
    rowsFromRuns(yB + 1, height - 1);
  } else {
    rowsFromRuns(0, height - 1);
  }
  std::free(sums);
  return 1;
}

int32_t DllBlurSoftly(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interior<1>(image, size, stride, width, height,
                           [](const auto& n) { return (n.corners() + 3 * n.sides() + 16 * n.c()) >> 5; });
}

int32_t DllBlurMore(uint8_t* image, int32_t size, int32_t stride, int32_t width, int32_t height) {
  return qrix::interiorRuns<2>(image, size, stride, width, height, blurMoreRun);
}

}  // extern "C"
