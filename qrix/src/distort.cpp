// Geometric distortions: row mirroring, blinds, and the parallelogram, trapezium and
// pentagon resamplers.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "internal.h"

namespace {

using qrix::truncToInt;

// Source and destination of a resampler, rows `stride` bytes apart. A pixel is copied
// only when both addresses lie strictly inside (0, size - 2), so the first pixel of
// either buffer is never touched.
struct Resampler {
  const uint8_t* source;
  uint8_t* destination;
  int64_t stride;
  int64_t last;  // size - 2

  int64_t offset(int64_t row, int64_t column) const { return row * stride + 3 * column; }
  bool inside(int64_t at) const { return at > 0 && at < last; }
  // Columns own disjoint bytes and the source is never written, so column walks may be
  // taken row by row, which visits memory in order.
  bool columnsApart(int64_t width) const {
    return stride > 0 && 3 * width <= stride && last >= 0 &&
           (destination + last + 2 <= source || source + last + 2 <= destination);
  }
  // Columns c in [first, end) of 0 .. width whose pixel at `rowStart` + 3c is inside.
  std::pair<int64_t, int64_t> insideColumns(int64_t rowStart, int64_t width) const {
    const int64_t lo = rowStart > 0 ? 0 : -rowStart / 3 + 1;
    const int64_t hi = last - rowStart > 0 ? (last - rowStart + 2) / 3 : 0;
    return {std::min(lo, width), std::min(hi, width)};
  }
  // Asks for the pixels a later step will copy; addresses outside the buffer are left alone.
  void prefetch(int64_t from, int64_t to) const {
    if (inside(from)) __builtin_prefetch(source + from);
    if (inside(to)) __builtin_prefetch(destination + to, 1);
  }
  // Source and destination may share memory: a pixel is read whole before it is written.
  void copy(int64_t from, int64_t to) const {
    if (inside(from) && inside(to)) qrix::movePixel(destination + to, source + from);
  }

  // Resamples `length` pixels into row r from column `left` on, source column j * scale for the
  // j-th. Destination columns only grow with j, so the walk ends at the first one past the
  // buffer (or past the row when `rowTest` is set: 3m <= stride).
  void row(int64_t r, double left, double length, double scale, bool rowTest) const {
    const int64_t base = r * stride;
    const int64_t limit = rowTest ? stride : INT64_MAX;
    if (rowFast(base, left, length, scale, limit)) return;
    int64_t from[kRowRun], to[kRowRun];
    for (int64_t j0 = 0;; j0 += kRowRun) {
      const int64_t n = rowRun(j0, base, left, length, scale, limit, last, from, to);
      for (int64_t i = 0; i < n; ++i) {
        if (to[i] >= 0) qrix::movePixel(destination + to[i], source + from[i]);
      }
      if (n < kRowRun) break;
    }
  }

  // row() for separate buffers and a start whose fraction keeps clear of whole numbers: there
  // j + left, below 2^31 and so within 2^-23 of its exact value, truncates to j + floor(left)
  // for every j, so the destination runs on pixel by pixel and the walk's ends follow from
  // integers alone. Returns false, touching nothing, when that does not hold.
  bool rowFast(int64_t base, double left, double length, double scale, int64_t limit) const {
    const bool apart = last >= 0 && (destination + last + 2 <= source || source + last + 2 <= destination);
    if (!apart || !(left >= 0 && left < 1e9) || !(length < 1e9)) return false;
    const double fraction = left - static_cast<double>(static_cast<int64_t>(left));
    if (fraction != 0 && !(fraction >= 0x1p-20 && fraction <= 1 - 0x1p-20)) return false;
    const int64_t shift = static_cast<int64_t>(left);
    // The walk ends at the first j that fails j < length, 3m <= limit or base + 3m < last.
    int64_t n = length > 0 ? static_cast<int64_t>(std::ceil(length)) : 0;
    const int64_t room = limit - 3 * shift;
    if (limit != INT64_MAX) n = std::min(n, room < 0 ? 0 : room / 3 + 1);
    const int64_t ahead = last - base - 3 * shift;
    n = std::min(n, ahead <= 0 ? 0 : (ahead + 2) / 3);
    if (static_cast<double>(n) + left >= 2147483647.0) return false;
    // Pixels before the first positive destination are skipped.
    const int64_t start = base + 3 * shift;
    int64_t j0 = start > 0 ? 0 : -start / 3 + 1;
    int64_t from[kRowRun];
    for (; j0 < n; j0 += kRowRun) {
      const int64_t count = std::min(kRowRun, n - j0);
      uint8_t* d = destination + start + 3 * j0;
      if (sourceRun(j0, count, base, scale, last, from)) {
        // Whole pixels of four bytes: each store's spare byte is the next pixel's first, which
        // the next store writes; the run's last pixel is copied as three bytes.
        for (int64_t i = 0; i + 1 < count; ++i) {
          uint32_t v;
          std::memcpy(&v, source + from[i], 4);
          std::memcpy(d + 3 * i, &v, 4);
        }
        std::memcpy(d + 3 * (count - 1), source + from[count - 1], 3);
      } else {
        for (int64_t i = 0; i < count; ++i) {
          if (from[i] > 0 && from[i] < last) std::memcpy(d + 3 * i, source + from[i], 3);
        }
      }
    }
    return true;
  }

  // Source offsets of pixels j0 .. j0 + count - 1 of a resampled row; true when every one is
  // inside and has a fourth byte before the end.
  QRIX_WIDE_MEMBER(bool, sourceRun,
                   (int64_t j0, int64_t count, int64_t base, double scale, int64_t last, int64_t* from),
                   (j0, count, base, scale, last, from)) {
    int64_t fits = 1;
    for (int64_t i = 0; i < count; ++i) {
      const int64_t f = base + 3 * wrapToInt(static_cast<double>(j0 + i) * scale);
      from[i] = f;
      fits &= (f > 0) & (f < last - 1);
    }
    return fits != 0;
  }

  // Offsets of pixels j0 .. j0 + kRowRun - 1 of a resampled row, computed together; to[i] is
  // -1 where a pixel is not copied. Returns how many pixels come before the walk ends.
  static constexpr int64_t kRowRun = 64;
  QRIX_WIDE_MEMBER(int64_t, rowRun,
                   (int64_t j0, int64_t base, double left, double length, double scale, int64_t limit,
                    int64_t last, int64_t* from, int64_t* to),
                   (j0, base, left, length, scale, limit, last, from, to)) {
    uint8_t stop[kRowRun];
    for (int64_t i = 0; i < kRowRun; ++i) {
      const double j = static_cast<double>(j0 + i);
      const int64_t m = wrapToInt(j + left);
      const int64_t t = base + 3 * m;
      const int64_t f = base + 3 * wrapToInt(j * scale);
      stop[i] = !(j < length) | (3 * m > limit) | (t >= last);
      from[i] = f;
      to[i] = ((f > 0) & (f < last) & (t > 0)) ? t : -1;
    }
    const void* end = std::memchr(stop, 1, kRowRun);
    return end ? static_cast<const uint8_t*>(end) - stop : kRowRun;
  }

  // truncToInt widened back to 64 bits, in a form the vectoriser takes.
  static int64_t wrapToInt(double v) { return static_cast<int32_t>(static_cast<int64_t>(v)); }
};

// Column walks taken row by row go through one block of columns at a time, so the rows a
// block touches stay in cache and their pages in the address cache.
constexpr int64_t kColumnBlock = 64;
// How many steps of a column walk ahead its pixels are fetched.
constexpr int64_t kAhead = 6;

// Row mirror, five pixels per 16-byte shuffle: the vector is loaded one byte before the five
// source pixels and stored over the destination's next pixel too, which the following step
// (or the tail) writes again.
using Bytes16 = uint8_t __attribute__((vector_size(16)));

// Built for AVX2 and the baseline as the other kernels, and for SSSE3, whose byte shuffle the
// baseline lacks.
QRIX_VECTOR_KERNEL(void, mirrorRowVector, (uint8_t * to, const uint8_t* from, int64_t width),
                   (to, from, width)) {
  int64_t k = 0;
  for (; k + 6 <= width; k += 5) {
    Bytes16 v;
    std::memcpy(&v, from + 3 * (width - 5 - k) - 1, 16);
    const Bytes16 mirrored =
        __builtin_shuffle(v, Bytes16{13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, 0});
    std::memcpy(to + 3 * k, &mirrored, 16);
  }
  for (; k < width; ++k) std::memcpy(to + 3 * k, from + 3 * (width - 1 - k), 3);
}

#if defined(__x86_64__)
[[gnu::target("ssse3")]] void mirrorRowSsse3(uint8_t* to, const uint8_t* from, int64_t width) {
  mirrorRowVectorBody(to, from, width);
}
#endif

void mirrorRow(uint8_t* to, const uint8_t* from, int64_t width) {
#if defined(__x86_64__)
  if (!qrix::cpu::atLeast(qrix::cpu::Level::avx2) && qrix::cpu::ssse3())
    return mirrorRowSsse3(to, from, width);
#endif
  mirrorRowVector(to, from, width);
}

// v - v * phase / n for 0 <= phase <= n <= kExactBlindSize and a byte v, as v - (v * m >> 24)
// with m = phase * 2^24 / n + 1: v * m / 2^24 exceeds v * phase / n by at most 255 / 2^24,
// less than the 1 / n that separates a fraction from the next integer; v * m fits 32 bits.
constexpr int64_t kExactBlindSize = 65792;

QRIX_VECTOR_KERNEL(void, darkenRow, (uint8_t * p, const uint32_t* factor, int64_t n), (p, factor, n)) {
  for (int64_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(p[i] - ((p[i] * factor[i]) >> 24));
}

}  // namespace

extern "C" {

int32_t dllfliphor(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height) {
  const int64_t rowBytes = 3 * int64_t{width};
  if (width <= 0 || height <= 0) return 1;
  const bool apart = destination + rowBytes * height <= source || source + rowBytes * height <= destination;
  if (apart) {
    qrix::rowBands(0, height, rowBytes, [&](int64_t r0, int64_t r1) {
      for (int64_t r = r0; r < r1; ++r) mirrorRow(destination + r * rowBytes, source + r * rowBytes, width);
    });
    return 1;
  }
  for (int64_t r = 0; r < height; ++r) {
    const int64_t base = r * rowBytes;
    for (int64_t k = 0; k < width; ++k) {
      const int64_t from = base + 3 * (width - 1 - k);
      const int64_t to = base + 3 * k;
      destination[to] = source[from];
      destination[to + 1] = source[from + 1];
      destination[to + 2] = source[from + 2];
    }
  }
  return 1;
}

int32_t dllblinds(uint8_t* image, int32_t width, int32_t height, int32_t blindSize, int32_t reverseFlag,
                  int32_t directionFlag, int32_t styleFlag) {
  if (blindSize == 0) return 1;  // the darkening fraction would divide by zero
  if (width <= 0 || height <= 0) return 1;
  const int64_t n = blindSize;
  // Bands run across rows (direction flag set) or across columns, in grid order.
  const int64_t bands = directionFlag ? height : width;
  const int64_t along = directionFlag ? width : height;
  std::vector<int64_t> phases(static_cast<size_t>(bands));
  if (styleFlag == 0) {
    int64_t phase = reverseFlag ? n : 0;
    for (int64_t b = 0; b < bands; ++b) {
      phases[b] = phase;
      if (reverseFlag) {
        if (--phase == 0) phase = n;
      } else {
        if (++phase == n) phase = 0;
      }
    }
  } else {
    int64_t phase = 0;
    bool rising = true;
    for (int64_t b = 0; b < bands; ++b) {
      phases[b] = phase;
      phase += rising ? 2 : -2;
      if (phase >= n) rising = false;
      if (phase <= 0) rising = true;
    }
  }
  // Every band is darkened through the 256-entry table of its phase, one per distinct phase;
  // each pixel belongs to one band, so the pixels are visited in memory order.
  std::vector<uint8_t> tables;
  std::unordered_map<int64_t, size_t> tableOf;
  std::vector<const uint8_t*> bandTable(static_cast<size_t>(bands));
  std::vector<size_t> bandAt(static_cast<size_t>(bands));
  for (int64_t b = 0; b < bands; ++b) {
    const auto [it, fresh] = tableOf.try_emplace(phases[b], tables.size());
    if (fresh) {
      for (int64_t v = 0; v < 256; ++v) {
        const int64_t out = v - (v * phases[b]) / n;
        tables.push_back(static_cast<uint8_t>(out < 0 ? 0 : (out > 255 ? 255 : out)));
      }
    }
    bandAt[b] = it->second;
  }
  for (int64_t b = 0; b < bands; ++b) bandTable[b] = tables.data() + bandAt[b];
  if (directionFlag) {
    qrix::rowBands(0, bands, 3 * along, [&](int64_t b0, int64_t b1) {
      for (int64_t b = b0; b < b1; ++b) {
        const uint8_t* t = bandTable[b];
        uint8_t* p = image + 3 * b * width;
        for (int64_t i = 0; i < 3 * along; ++i) p[i] = t[p[i]];
      }
    });
  } else if (n <= kExactBlindSize &&
             std::all_of(phases.begin(), phases.end(), [n](int64_t f) { return f >= 0 && f <= n; })) {
    // Bands are columns: one multiplier per byte of a row, the same for every row.
    std::vector<uint32_t> factor(static_cast<size_t>(3 * bands));
    for (int64_t b = 0; b < bands; ++b) {
      const auto m = static_cast<uint32_t>((phases[b] << 24) / n + 1);
      factor[3 * b] = factor[3 * b + 1] = factor[3 * b + 2] = m;
    }
    qrix::rowBands(0, along, 3 * bands, [&](int64_t r0, int64_t r1) {
      for (int64_t r = r0; r < r1; ++r) darkenRow(image + 3 * r * width, factor.data(), 3 * bands);
    });
  } else {
    qrix::rowBands(0, along, 3 * bands, [&](int64_t r0, int64_t r1) {
      for (int64_t r = r0; r < r1; ++r) {
        uint8_t* p = image + 3 * r * width;
        for (int64_t b = 0; b < bands; ++b, p += 3) {
          const uint8_t* t = bandTable[b];
          p[0] = t[p[0]], p[1] = t[p[1]], p[2] = t[p[2]];
        }
      }
    });
  }
  return 1;
}

int32_t dllparallel(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0) return 1;  // no shape for an empty or negative share
  if (width <= 0 || height <= 0) return 1;
  const Resampler rs{source, destination, stride, int64_t{size} - 2};
  const double f = percent * 0.01;
  const double inverse = 1 / f;
  // Offsets are advanced by a double step per row or column, never recomputed.
  if (directionFlag) {
    const int32_t wf = truncToInt(width * f);
    double g = sideFlag ? 0.0 : static_cast<double>(width - int64_t{wf});
    const double s = (sideFlag ? wf : -static_cast<double>(wf)) / height;
    for (int64_t r = 0; r < height; ++r) {
      g += s;
      rs.row(r, g, wf, inverse, true);
    }
  } else {
    const int32_t hf = truncToInt(height * f);
    double g = sideFlag ? 0.0 : static_cast<double>(height - int64_t{hf});
    const double s = (sideFlag ? hf : -static_cast<double>(hf)) / width;
    if (rs.columnsApart(width)) {
      std::vector<double> shift(static_cast<size_t>(width));
      for (int64_t c = 0; c < width; ++c) shift[c] = g += s;
      // Every column reads source row j / f at step j, so a step's source pixels are one row:
      // the columns whose source lies inside the buffer form one run, found once per step.
      std::vector<int64_t> base(static_cast<size_t>(height)), first(base), end(base);
      for (int64_t j = 0; j < height; ++j) {
        base[j] = rs.offset(truncToInt(j * inverse), 0);
        const auto [lo, hi] = rs.insideColumns(base[j], width);
        first[j] = lo, end[j] = hi;
      }
      for (int64_t c0 = 0; c0 < width; c0 += kColumnBlock) {
        const int64_t c1 = std::min<int64_t>(width, c0 + kColumnBlock);
        for (int64_t j = 0; j < height; ++j) {
          const int64_t hi = std::min(c1, end[j]);
          for (int64_t c = std::max(c0, first[j]); c < hi; ++c) {
            const int64_t to = rs.offset(truncToInt(j + shift[c]), c);
            if (rs.inside(to)) std::memcpy(destination + to, source + base[j] + 3 * c, 3);
          }
        }
      }
      return 1;
    }
    for (int64_t c = 0; c < width; ++c) {
      g += s;
      for (int64_t j = 0; j < height; ++j) {
        rs.copy(rs.offset(truncToInt(j * inverse), c), rs.offset(truncToInt(j + g), c));
      }
    }
  }
  return 1;
}

int32_t dlltrapezia(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent, int32_t directionFlag, int32_t sideFlag) {
  if (percent <= 0) return 1;  // no shape for an empty or negative share
  if (width <= 0 || height <= 0) return 1;
  const Resampler rs{source, destination, stride, int64_t{size} - 2};
  const double f = percent * 0.01;
  // The full extent along the squeezed side, and the number of steps across it.
  const int32_t full = directionFlag ? width : height;
  const int32_t steps = directionFlag ? height : width;
  const int32_t squeezed = truncToInt(full * f);
  const double l0 = full / 2.0 - squeezed / 2;
  const double spread = static_cast<double>(full - int64_t{squeezed});
  double edge, edgeStep, length, lengthStep;
  if (sideFlag) {
    edge = 0;
    edgeStep = l0 / steps;
    length = full;
    lengthStep = -spread / steps;
  } else {
    edge = l0;
    edgeStep = -l0 / steps;
    length = squeezed;
    lengthStep = spread / steps;
  }
  if (!directionFlag && rs.columnsApart(width)) {
    // Column r copies rows j < length[r] until its destination passes the buffer; the
    // columns of each block are interleaved row by row until every one has passed or ended.
    std::vector<double> edges(static_cast<size_t>(steps)), lengths(edges), scales(edges);
    std::vector<uint8_t> active(static_cast<size_t>(steps));
    for (int64_t r = 0; r < steps; ++r) {
      edges[r] = edge += edgeStep;
      lengths[r] = length += lengthStep;
      active[r] = length > 0;
      if (active[r]) scales[r] = height / length;
    }
    for (int64_t c0 = 0; c0 < steps; c0 += kColumnBlock) {
      const int64_t c1 = std::min<int64_t>(steps, c0 + kColumnBlock);
      int64_t remaining = std::count(active.begin() + c0, active.begin() + c1, 1);
      for (int64_t j = 0; remaining > 0; ++j) {
        for (int64_t r = c0; r < c1; ++r) {
          if (!active[r]) continue;
          const int64_t to = rs.offset(truncToInt(j + edges[r]), r);
          if (!(j < lengths[r]) || to >= rs.last) {
            active[r] = 0, --remaining;
            continue;
          }
          rs.copy(rs.offset(truncToInt(j * scales[r]), r), to);
          // Successive steps of a column are rows apart, too far for the hardware to foresee.
          rs.prefetch(rs.offset(truncToInt((j + kAhead) * scales[r]), r), to + kAhead * rs.stride);
        }
      }
    }
    return 1;
  }
  for (int64_t r = 0; r < steps; ++r) {
    edge += edgeStep;
    length += lengthStep;
    if (!(length > 0)) continue;
    if (directionFlag) {
      rs.row(r, edge, length, width / length, true);
    } else {
      const double scale = height / length;
      for (int64_t j = 0; j < length; ++j) {
        const int64_t to = rs.offset(truncToInt(j + edge), r);
        if (to >= rs.last && rs.stride > 0) break;  // later rows lie further on
        rs.copy(rs.offset(truncToInt(j * scale), r), to);
      }
    }
  }
  return 1;
}

int32_t dllpentagon(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                    int32_t stride, int32_t size, int32_t percent1, int32_t percent2, int32_t percent3) {
  if (percent1 <= 0 || percent2 <= 0 || percent3 <= 0) return 1;  // no shape for an empty share
  if (width <= 0 || height <= 0) return 1;
  const Resampler rs{source, destination, stride, int64_t{size} - 2};
  const double topWidth = static_cast<double>(width) * percent1 * 0.01;
  const double middleRow = static_cast<double>(height) * percent2 * 0.01;
  const double bottomWidth = static_cast<double>(width) * percent3 * 0.01;
  int64_t r = 0;
  double length = topWidth;
  // Widening up to the middle row. Rows past the picture fail the address guard, so the
  // walk stops at its last row.
  if (middleRow > 0) {
    double left = width / 2.0 - topWidth / 2;
    const double leftStep = -left / middleRow;
    const double lengthStep = (width - topWidth) / middleRow;
    for (; r < middleRow && r < height; ++r) {
      left += leftStep;
      length += lengthStep;
      if (length > 0) rs.row(r, left, length, width / length, false);
    }
  }
  // Narrowing from there to the last row.
  if (r < height) {
    const int64_t remaining = height - r;
    double left = 0;
    const double leftStep = (width / 2.0 - bottomWidth / 2) / (height - middleRow);
    const double lengthStep = -(length - bottomWidth) / remaining;
    for (; r < height; ++r) {
      left += leftStep;
      length += lengthStep;
      if (length > 0) rs.row(r, left, length, width / length, false);
    }
  }
  return 1;
}

}  // extern "C"
