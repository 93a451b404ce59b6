// A row-padding-free view of an image for library functions that walk the
// buffer as one flat run of triples or take rows as Width x 3 bytes apart.
//
// On padded rows such a walk slides against the pixels (a red-only mapping
// would hit green and blue on alternating rows), so for those the rows are
// packed within the image's own memory: laid end to end plus one spare byte
// (0), so that size (the packed byte count) still covers the last pixel. The
// image's layout comes back, pad bytes included, on writeBack or when the view
// ends (also when the call in between throws). No second picture-sized buffer
// is needed. Unpadded images are used as they are and size stays RGBSize.
#pragma once

#include <cstddef>
#include <cstdint>
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

  // Packs a scratch image (a private copy) for good and returns the packed
  // pixels, spare byte 0 included; afterwards the image no longer holds a
  // picture in its own layout. Unpadded images stay as they are.
  static uint8_t* packInPlace(CDIB& scratch);

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

}  // namespace orvane
