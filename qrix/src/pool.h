// The library's worker pool: work whose bytes do not depend on the order it is done in is cut
// into bands and shared between the calling thread and a few worker threads. The caller takes
// part and returns only when every band is done, so each export is still one synchronous call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qrix {

// Bands below this many bytes are not worth handing to another thread.
constexpr int64_t kDefaultBandBytes = 256 * 1024;

// Threads that work on one call (the caller included): QRIX_THREADS, else every online
// processor, unless set through dllsetthreads.
int32_t threadCount();

// How many bands `bytes` of work is cut into: at most threadCount(), each at least the
// minimum band size; 1 means "do it here".
int32_t bandsFor(int64_t bytes);

// Calls band(k) for k in 0 .. bands - 1, spread over the pool; returns when all are done.
// Bands may run at the same time in any order, so each must write only its own bytes.
void runBands(int32_t bands, const std::function<void(int32_t)>& band);

// Splits [0, units) into `bands` consecutive runs; run k is [cut(k), cut(k + 1)).
inline int64_t bandCut(int64_t units, int32_t bands, int32_t k) { return units * k / bands; }

// The flat walk of `size` bytes cut at multiples of `align` bytes (a multiple of 3 and of the
// walk's block), each piece handed to piece(offset, pieceSize) with a size that walks exactly its
// own triples: the last piece keeps the rest of the size, so its walk ends where the whole one does.
template <class Piece>
inline void flatBands(int32_t size, Piece&& piece, int64_t align = 192) {
  const int64_t n = size > 2 ? 3 * int64_t(size / 3) : 0;
  const int32_t bands = bandsFor(n);
  if (bands <= 1) {
    piece(int64_t(0), size);
    return;
  }
  const int64_t blocks = (n + align - 1) / align;
  runBands(bands, [&](int32_t k) {
    const int64_t from = align * bandCut(blocks, bands, k), to = align * bandCut(blocks, bands, k + 1);
    if (from >= to) return;
    piece(from, k == bands - 1 ? static_cast<int32_t>(size - from) : static_cast<int32_t>(to - from));
  });
}

// walk(image + offset, pieceSize) over the pieces of flatBands: for walks whose every triple
// depends on that triple alone.
template <class Walk>
inline void eachBand(uint8_t* image, int32_t size, Walk&& walk) {
  flatBands(size, [&](int64_t at, int32_t part) { walk(image + at, part); });
}

// Calls rows(first, last) for consecutive runs of [begin, end) spread over the pool; bytesPerRow
// sizes the bands.
template <class Rows>
inline void rowBands(int64_t begin, int64_t end, int64_t bytesPerRow, Rows&& rows) {
  if (end <= begin) return;
  const int64_t count = end - begin;
  int32_t bands = bandsFor(count * bytesPerRow);
  if (bands > count) bands = static_cast<int32_t>(count);
  if (bands <= 1) {
    rows(begin, end);
    return;
  }
  runBands(bands,
           [&](int32_t k) { rows(begin + bandCut(count, bands, k), begin + bandCut(count, bands, k + 1)); });
}

}  // namespace qrix
