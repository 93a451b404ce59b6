// A row-padding-free view of an image for library functions that walk the
// buffer as one flat run of triples or take rows as Width x 3 bytes apart.
//
// On padded rows such a walk slides against the pixels (a red-only mapping
// would hit green and blue on alternating rows), so for those the rows are
// packed within the image's own memory: laid end to end plus one spare byte
// (0), so that size (the packed byte count) still covers the last pixel. The
// image's layout comes back, pad bytes included, on writeBack or when the view
// ends (also when the call in between throws). No second picture-sized buffer
// is needed. Unpadded images are used as they are, with size their byte count
// (CDIB keeps a spare byte after the pixels).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "CDIB.h"

namespace orvane {

class PackedPixels {
 public:
  // Packs the image's rows when they carry padding.
  explicit PackedPixels(CDIB& image);
  ~PackedPixels();
  PackedPixels(const PackedPixels&) = delete;
  PackedPixels& operator=(const PackedPixels&) = delete;

  uint8_t* data() { return data_; }
  // The size argument for the library: last byte index of the buffer handed over.
  int32_t size() const { return size_; }
  bool isPacked() const { return packed_; }

  // Restores the image's own row layout; nothing when it was used as it is.
  void writeBack();

  // Makes scratch a copy of source's pixels with the rows laid end to end,
  // plus a spare byte (0) after them when the rows are padded; returns the
  // pixels, or null when scratch's memory cannot be had. Afterwards scratch
  // no longer holds a picture in its own layout.
  static uint8_t* packedCopy(CDIB& source, CDIB& scratch);

  // True when rows of this width carry padding bytes.
  static bool padded(int32_t width) { return (static_cast<int64_t>(width) * 3) % 4 != 0; }

 private:
  CDIB* image_;
  std::vector<uint8_t> pads_;  // the pad bytes of every row, to put back
  bool packed_ = false;
  uint8_t* data_ = nullptr;
  int32_t size_ = -1;
};

// Runs fn(data, size) on the image's packed pixels and restores its layout.
template <typename Fn>
void withPackedPixels(CDIB& image, Fn&& fn) {
  PackedPixels packed(image);
  fn(packed.data(), packed.size());
  packed.writeBack();
}

// Pixel-by-pixel functions: the result for a pixel depends on that pixel alone
// (and on random draws taken in walk order), so on padded rows they can run over
// the rows piecewise and see every pixel of each row, as in the packed image,
// without the image being moved. Unpadded images are handed over in one piece
// with size their byte count.

// One call per row, for functions that cost nothing to start.
template <typename Fn>
void forPixelRows(CDIB& image, Fn&& fn) {
  uint8_t* pixels = image.DIBPointer();
  if (pixels == nullptr) return;
  if (!PackedPixels::padded(image.Width())) {
    pixels[image.ByteCount()] = 0;
    fn(pixels, static_cast<int32_t>(image.ByteCount()));
    return;
  }
  const size_t stride = static_cast<size_t>(image.SRB());
  const int32_t row = image.Width() * 3;
  for (int32_t y = 0; y < image.Height(); ++y) fn(pixels + y * stride, row);
}

// One call per run of rows packed into a small buffer that stays in the cache,
// for functions that build tables on each call.
template <typename Fn>
void forPixelRuns(CDIB& image, Fn&& fn) {
  uint8_t* pixels = image.DIBPointer();
  if (pixels == nullptr) return;
  if (!PackedPixels::padded(image.Width())) {
    pixels[image.ByteCount()] = 0;
    fn(pixels, static_cast<int32_t>(image.ByteCount()));
    return;
  }
  constexpr size_t kRunBytes = 256 * 1024;
  const size_t row = static_cast<size_t>(image.Width()) * 3;
  const size_t stride = static_cast<size_t>(image.SRB());
  const size_t rows = static_cast<size_t>(image.Height());
  const size_t rowsPerRun = row >= kRunBytes ? 1 : kRunBytes / row;
  std::vector<uint8_t> run(std::min(rowsPerRun, rows) * row + 1, 0);
  for (size_t y0 = 0; y0 < rows; y0 += rowsPerRun) {
    const size_t n = std::min(rowsPerRun, rows - y0);
    for (size_t y = 0; y < n; ++y) std::memcpy(run.data() + y * row, pixels + (y0 + y) * stride, row);
    run[n * row] = 0;
    fn(run.data(), static_cast<int32_t>(n * row));
    for (size_t y = 0; y < n; ++y) std::memcpy(pixels + (y0 + y) * stride, run.data() + y * row, row);
  }
}

}  // namespace orvane
