#include "PackedPixels.h"

#include <cstring>

namespace orvane {

PackedPixels::PackedPixels(CDIB& image) : image_(&image) {
  uint8_t* pixels = image.DIBPointer();
  if (pixels == nullptr || !padded(image.Width())) {
    data_ = pixels;
    if (pixels != nullptr) {
      size_ = static_cast<int32_t>(image.ByteCount());
      pixels[image.ByteCount()] = 0;  // the spare byte
    }
    return;
  }
  const size_t row = static_cast<size_t>(image.Width()) * 3;
  const size_t stride = static_cast<size_t>(image.SRB());
  const size_t rows = static_cast<size_t>(image.Height());
  const size_t pad = stride - row;
  pads_.resize(pad * rows);
  for (size_t y = 0; y < rows; ++y) std::memcpy(pads_.data() + y * pad, pixels + y * stride + row, pad);
  // Row y moves down to y * row <= y * stride: front to back never overwrites a row not yet moved.
  for (size_t y = 1; y < rows; ++y) std::memmove(pixels + y * row, pixels + y * stride, row);
  pixels[row * rows] = 0;
  packed_ = true;
  data_ = pixels;
  size_ = static_cast<int32_t>(row * rows);
}

PackedPixels::~PackedPixels() { writeBack(); }

void PackedPixels::writeBack() {
  if (!packed_) return;
  packed_ = false;
  uint8_t* pixels = image_->DIBPointer();
  const size_t row = static_cast<size_t>(image_->Width()) * 3;
  const size_t stride = static_cast<size_t>(image_->SRB());
  const size_t rows = static_cast<size_t>(image_->Height());
  const size_t pad = stride - row;
  // Back to front, the reverse of packing; the spare byte lands in a row or a pad and is overwritten.
  for (size_t y = rows; y-- > 1;) std::memmove(pixels + y * stride, pixels + y * row, row);
  for (size_t y = 0; y < rows; ++y) std::memcpy(pixels + y * stride + row, pads_.data() + y * pad, pad);
}

uint8_t* PackedPixels::packedCopy(CDIB& source, CDIB& scratch) {
  if (source.DIBPointer() == nullptr || !scratch.Reshape(source.Width(), source.Height())) return nullptr;
  uint8_t* to = scratch.DIBPointer();
  const uint8_t* from = source.DIBPointer();
  if (!padded(source.Width())) {
    std::memcpy(to, from, source.ByteCount());
    to[source.ByteCount()] = 0;
    return to;
  }
  const size_t row = static_cast<size_t>(source.Width()) * 3;
  const size_t stride = static_cast<size_t>(source.SRB());
  const size_t rows = static_cast<size_t>(source.Height());
  for (size_t y = 0; y < rows; ++y) std::memcpy(to + y * row, from + y * stride, row);
  to[row * rows] = 0;
  return to;
}

}  // namespace orvane
