// A row-padding-free view of an image for library functions that walk the
// buffer as one flat run of triples or take rows as Width x 3 bytes apart.
//
// On padded rows such a walk slides against the pixels (a red-only mapping
// would hit green and blue on alternating rows), so those functions get a
// packed copy: rows without padding plus one spare byte, so that size (the
// packed byte count) still covers the last pixel. Unpadded images are used
// in place and size stays RGBSize.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "CDIB.h"

namespace orvane {

class PackedPixels {
 public:
  // Copies the image's rows in when they carry padding.
  explicit PackedPixels(CDIB& image);
  ~PackedPixels();
  PackedPixels(const PackedPixels&) = delete;
  PackedPixels& operator=(const PackedPixels&) = delete;

  uint8_t* data() { return data_; }
  // The size argument for the library: last byte index of the buffer handed over.
  int32_t size() const { return size_; }
  bool isCopy() const { return copy_.memory != nullptr; }

  // Writes the packed rows back into the image; nothing when it was used in place.
  void writeBack(CDIB& image) const;

  // Packs a scratch image (a private copy) within its own memory and returns
  // the packed pixels, spare byte 0 included; afterwards the image no longer
  // holds a picture in its own layout. Unpadded images stay as they are.
  static uint8_t* packInPlace(CDIB& scratch);

  // True when rows of this width carry padding bytes.
  static bool padded(int32_t width) { return (static_cast<int64_t>(width) * 3) % 4 != 0; }

 private:
  struct FreeDeleter {
    void operator()(uint8_t* p) const;
  };

 public:
  struct Buffer {
    std::unique_ptr<uint8_t[], FreeDeleter> memory;
    size_t capacity = 0;
  };

 private:
  static Buffer takeBuffer(size_t bytes);
  static void returnBuffer(Buffer buffer);

  Buffer copy_;
  size_t bytes_ = 0;
  uint8_t* data_ = nullptr;
  int32_t size_ = -1;
};

// Runs fn(data, size) on the image's packed pixels and writes the result back.
template <typename Fn>
void withPackedPixels(CDIB& image, Fn&& fn) {
  PackedPixels packed(image);
  fn(packed.data(), packed.size());
  packed.writeBack(image);
}

}  // namespace orvane
