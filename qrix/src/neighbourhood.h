// Neighbourhood walks shared by the blur, sharpen and relief units.
//
// Three shapes:
//  - sweep: reads a source copy, writes the destination, walking the buffer as one long run of
//    pixels from the second row's second pixel; row ends and padding are walked like pixels;
//  - interior: works in place from its own copy of the whole buffer, rewriting the pixels that
//    have a full neighbourhood inside the picture;
//  - grid: pixel (x, y) at 3x + 3 * width * y, row padding ignored.
// Per-pixel rules see a pointer to one channel byte of the centre pixel and the row length; they
// apply the same arithmetic to blue, green and red, so the walks run over bytes and vectorise.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "internal.h"
#include "pool.h"

namespace qrix {

// Neighbours of the channel byte at p, rows `s` bytes apart (U is one row earlier in memory).
struct Around {
  const uint8_t* p;
  ptrdiff_t s;
  int32_t ul() const { return p[-s - 3]; }
  int32_t u() const { return p[-s]; }
  int32_t ur() const { return p[-s + 3]; }
  int32_t l() const { return p[-3]; }
  int32_t c() const { return p[0]; }
  int32_t r() const { return p[3]; }
  int32_t dl() const { return p[s - 3]; }
  int32_t d() const { return p[s]; }
  int32_t dr() const { return p[s + 3]; }
  int32_t at(int32_t dx, int32_t dy) const { return p[dy * s + dx * 3]; }
  int32_t sides() const { return u() + l() + r() + d(); }
  int32_t corners() const { return ul() + ur() + dl() + dr(); }
  int32_t all9() const { return sides() + corners() + c(); }
};

// Number of triples at offsets first, first + 3, ... while the offset < end.
inline int64_t tripleCount(int64_t first, int64_t end) { return first < end ? (end - first + 2) / 3 : 0; }

// Calls part(from, to) for consecutive byte runs of [first, first + bytes), cut on triples,
// spread over the pool. Only when the bytes written cannot be read by another run: the written
// range must not meet what is read, `reach` bytes either side of it, in the source.
template <class Part>
inline void tripleBands(const uint8_t* src, const uint8_t* dst, int64_t first, int64_t bytes, int64_t reach,
                        Part&& part) {
  if (bytes <= 0) return;
  const uint8_t* readFrom = src + first - reach;
  const uint8_t* readTo = src + first + bytes + reach;
  const bool apart = dst + first + bytes <= readFrom || dst + first >= readTo;
  if (!apart) {
    part(first, first + bytes);
    return;
  }
  rowBands(0, bytes / 3, 3, [&](int64_t t0, int64_t t1) { part(first + 3 * t0, first + 3 * t1); });
}

// Writes rule(Around) into bytes from .. to - 1. Everything arrives by value, so the compiler
// knows no store can change it and the loop vectorises.
template <class Rule>
inline void ruleRun(const uint8_t* src, uint8_t* dst, int64_t from, int64_t to, ptrdiff_t s, Rule rule) {
  for (int64_t i = from; i < to; ++i) dst[i] = static_cast<uint8_t>(rule(Around{src + i, s}));
}

// Writes rule(Around) into every byte of the triples first, first + 3, ... while < end.
template <class Rule>
inline void walkTriples(const uint8_t* src, uint8_t* dst, int64_t first, int64_t end, int32_t stride,
                        Rule rule) {
  const int64_t bytes = 3 * tripleCount(first, end);
  const int64_t reach = (stride < 0 ? -int64_t(stride) : int64_t(stride)) + 5;
  tripleBands(src, dst, first, bytes, reach,
              [=](int64_t from, int64_t to) { ruleRun(src, dst, from, to, stride, rule); });
}

// Sweep: centre offsets stride + 3, stride + 6, ... while < size - stride - 5, so the 3 x 3
// neighbourhood stays inside [0, size]. The first row, the first pixel of the second row and the
// bytes after the last triple keep their destination values.
template <class Rule>
inline void sweep(const uint8_t* src, uint8_t* dst, int32_t size, int32_t stride, Rule rule) {
  walkTriples(src, dst, int64_t(stride) + 3, int64_t(size) - stride - 5, stride, rule);
}

// Last stored row = the row before it: bytes from size - stride + 1 - extra up to size take the
// byte one stride earlier. Bytes whose source would lie before the buffer are skipped (pictures
// too short to have a row before the last). The ranges overlap by one byte when extra is 1;
// memmove reads it before overwriting it, as a downward byte walk does.
inline void repeatLastRow(uint8_t* dst, int32_t size, int32_t stride, int32_t extra) {
  if (stride <= 0) return;
  int64_t lo = int64_t(size) - stride + 1 - extra;
  if (lo < stride) lo = stride;
  if (lo > size) return;
  std::memmove(dst + lo, dst + (lo - stride), static_cast<size_t>(size - lo + 1));
}

// Neighbours of byte i of the centre row in a window of 2 * Reach + 1 rows, row[Reach + dy] being
// the row dy rows later in memory; same accessors as Around.
template <int Reach>
struct Rows {
  const uint8_t* const* row;
  ptrdiff_t i;
  int32_t at(int32_t dx, int32_t dy) const { return row[Reach + dy][i + 3 * dx]; }
  int32_t ul() const { return at(-1, -1); }
  int32_t u() const { return at(0, -1); }
  int32_t ur() const { return at(1, -1); }
  int32_t l() const { return at(-1, 0); }
  int32_t c() const { return at(0, 0); }
  int32_t r() const { return at(1, 0); }
  int32_t dl() const { return at(-1, 1); }
  int32_t d() const { return at(0, 1); }
  int32_t dr() const { return at(1, 1); }
  int32_t sides() const { return u() + l() + r() + d(); }
  int32_t corners() const { return ul() + ur() + dl() + dr(); }
  int32_t all9() const { return sides() + corners() + c(); }
};

// The interior walk for rows that overlap (rowBytes < 3 * width): every read comes from a copy of
// the whole buffer, size + 1 bytes. runs(row, to, runBytes) rewrites one row's run, see interiorRuns.
template <int Reach, class Runs>
inline int32_t interiorFromCopy(uint8_t* image, int32_t size, ptrdiff_t s, int32_t width, int32_t height,
                                Runs runs) {
  const size_t count = static_cast<size_t>(size) + 1;
  auto* copy = static_cast<uint8_t*>(std::malloc(count));
  if (copy == nullptr) return 0;
  std::memcpy(copy, image, count);
  const ptrdiff_t runBytes = 3 * ptrdiff_t(width - 2 * Reach);
  // Every read comes from the copy, so rows may be rewritten in any order, and in bands side by
  // side as long as no two runs share a byte: a run longer than the stride overlaps the next row's,
  // and then the rows keep their order.
  auto rowsOf = [&](int64_t y0, int64_t y1) {
    for (int64_t y = y0; y < y1; ++y) {
      const uint8_t* row[2 * Reach + 1];
      for (int dy = -Reach; dy <= Reach; ++dy) row[Reach + dy] = copy + s * (y + dy) + 3 * Reach;
      runs(static_cast<const uint8_t* const*>(row), image + s * y + 3 * Reach, runBytes);
    }
  };
  if (s >= runBytes) {
    rowBands(Reach, height - Reach, runBytes, rowsOf);
  } else {
    rowsOf(Reach, height - Reach);
  }
  std::free(copy);
  return 1;
}

// Interior, a row at a time: every pixel whose (2 * Reach + 1)-square neighbourhood lies inside the
// picture is rewritten from the picture as it was. runs(row, to, runBytes) writes the runBytes bytes
// at `to` (row y from its pixel Reach on); row[Reach + dy] points at the same byte of row y + dy as it
// was, and may be read up to 3 * Reach bytes either side. Rows are rewritten in order, so only the
// rewritten rows still needed and the row being rewritten are kept as they were, in a ring of
// Reach + 1 row copies; later rows are read from the picture itself. Only rows whose bytes all lie in
// [0, size] take part. Returns 0 with the image untouched when a working block of size + 1 bytes
// cannot be allocated, else 1.
template <int Reach, class Runs>
inline int32_t interiorRuns(uint8_t* image, int32_t size, int32_t rowBytes, int32_t width, int32_t height,
                            Runs runs) {
  if (width <= 2 * Reach || height <= 2 * Reach || size < 0) return 1;
  const ptrdiff_t s = rowBytes;
  const ptrdiff_t used = 3 * ptrdiff_t(width);  // bytes of a row that neighbourhoods read
  if (s <= 0) return 1;                         // no row order to walk: nothing is rewritten
  // Rows whose bytes all lie in the buffer.
  if (s * (height - 1) + used - 1 > size) {
    const int64_t fit = (int64_t(size) + 1 - used) / s + 1;
    height = static_cast<int32_t>(int64_t(size) + 1 < used ? 0 : fit);
    if (height <= 2 * Reach) return 1;
  }
  if (s < used) return interiorFromCopy<Reach>(image, size, s, width, height, runs);
  constexpr int kRing = Reach + 1;
  // The ring is carved from a block as large as a copy of the whole buffer, so a size the process
  // cannot hold fails exactly as a whole copy would; only the ring's pages are ever touched.
  // (Rows fit: size + 1 >= 2 * Reach * s + used >= kRing * used.)
  auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 1));
  if (block == nullptr) return 0;
  const ptrdiff_t runBytes = 3 * ptrdiff_t(width - 2 * Reach);
  // Bands of rows run side by side. A band reads the Reach rows on either side of it as they were,
  // before the neighbouring band rewrites them: those rows (2 * Reach at each cut) are copied
  // before any band starts. Each band has its own ring; rings and edge rows are carved from the
  // block, so fewer bands are used when they would not fit.
  const int32_t rows = height - 2 * Reach;
  int32_t bands = bandsFor(int64_t(rows) * used);
  if (bands > rows) bands = rows;
  while (bands > 1 && (int64_t(bands) * kRing + int64_t(bands - 1) * 2 * Reach) * used > int64_t(size) + 1)
    --bands;
  uint8_t* const edges = block + ptrdiff_t(bands) * kRing * used;
  auto start = [&](int32_t k) { return Reach + static_cast<int32_t>(bandCut(rows, bands, k)); };
  for (int32_t k = 1; k < bands; ++k) {
    for (int32_t j = 0; j < 2 * Reach; ++j)
      std::memcpy(edges + ((k - 1) * 2 * Reach + j) * used, image + s * (start(k) - Reach + j), used);
  }
  runBands(bands, [&](int32_t k) {
    uint8_t* const ring = block + ptrdiff_t(k) * kRing * used;
    const int32_t y0 = start(k), y1 = start(k + 1);
    // Rows of the neighbouring bands as they were; rows before Reach and from height - Reach on are
    // never rewritten.
    auto before = [&](int32_t Y) -> const uint8_t* {
      return k == 0 ? image + s * Y : edges + ((k - 1) * 2 * Reach + (Y - y0 + Reach)) * used;
    };
    auto after = [&](int32_t Y) -> const uint8_t* {
      return k == bands - 1 ? image + s * Y : edges + (k * 2 * Reach + (Y - y1 + Reach)) * used;
    };
    for (int32_t Y = y0 - Reach; Y < y0; ++Y) std::memcpy(ring + (Y % kRing) * used, before(Y), used);
    for (int32_t y = y0; y < y1; ++y) {
      std::memcpy(ring + (y % kRing) * used, image + s * y, used);
      const uint8_t* row[2 * Reach + 1];
      for (int dy = -Reach; dy <= Reach; ++dy) {
        const int32_t Y = y + dy;
        row[Reach + dy] = (dy <= 0   ? ring + (Y % kRing) * used
                           : Y >= y1 ? after(Y)
                                     : image + s * Y) +
                          3 * Reach;
      }
      runs(static_cast<const uint8_t* const*>(row), image + s * y + 3 * Reach, runBytes);
    }
  });
  std::free(block);
  return 1;
}

// Interior with a per-byte rule: each byte becomes clampByte(kernel(neighbours)).
template <int Reach, class Kernel>
inline int32_t interior(uint8_t* image, int32_t size, int32_t rowBytes, int32_t width, int32_t height,
                        Kernel kernel) {
  return interiorRuns<Reach>(image, size, rowBytes, width, height,
                             [&](const uint8_t* const* row, uint8_t* to, ptrdiff_t runBytes) {
                               for (ptrdiff_t i = 0; i < runBytes; ++i)
                                 to[i] = static_cast<uint8_t>(clampByte(kernel(Rows<Reach>{row, i})));
                             });
}

// Grid: calls visit(x, y, offset) for x in 0 .. width - 2 and y in 0 .. height - 2, with the pixel
// at offset 3x + 3 * width * y; the last column and the last row are not visited.
template <class Visit>
inline void grid(int32_t width, int32_t height, Visit visit) {
  const int64_t rowBytes = 3 * int64_t(width);
  for (int32_t y = 0; y < height - 1; ++y)
    for (int32_t x = 0; x < width - 1; ++x) visit(x, y, 3 * int64_t(x) + rowBytes * y);
}

// Byte step of one move in direction 1 .. 8: 1 to 3 one row earlier (left, straight, right), 4 left,
// 5 right, 6 to 8 one row later (left, straight, right); every other value steps one row later.
inline int64_t directionStep(int32_t direction, int32_t stride) {
  static constexpr int kMoves[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
  const auto& move = kMoves[(direction >= 1 && direction <= 8 ? direction : 7) - 1];
  return move[0] * int64_t(stride) + 3 * move[1];
}

}  // namespace qrix
