#include "PackedPixels.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace orvane {

namespace {

// One spare buffer per thread, handed from one packed copy to the next so that
// repeated operations neither allocate nor fault in fresh pages. A second copy
// alive at the same time gets its own memory; only the larger one is kept.
thread_local PackedPixels::Buffer spareBuffer;

}  // namespace

PackedPixels::Buffer PackedPixels::takeBuffer(size_t bytes) {
  Buffer buffer;
  if (spareBuffer.capacity >= bytes) {
    buffer.memory = std::move(spareBuffer.memory);
    buffer.capacity = std::exchange(spareBuffer.capacity, 0);
    return buffer;
  }
  buffer.memory.reset(static_cast<uint8_t*>(std::malloc(bytes)));
  if (buffer.memory) buffer.capacity = bytes;
  return buffer;
}

void PackedPixels::returnBuffer(Buffer buffer) {
  if (buffer.capacity <= spareBuffer.capacity) return;
  spareBuffer.memory = std::move(buffer.memory);
  spareBuffer.capacity = buffer.capacity;
}

void PackedPixels::FreeDeleter::operator()(uint8_t* p) const { std::free(p); }

PackedPixels::PackedPixels(CDIB& image) {
  uint8_t* pixels = image.DIBPointer();
  if (pixels == nullptr || !padded(image.Width())) {
    data_ = pixels;
    size_ = image.RGBSize();
    return;
  }
  const size_t row = static_cast<size_t>(image.Width()) * 3;
  const size_t stride = static_cast<size_t>(image.SRB());
  const size_t rows = static_cast<size_t>(image.Height());
  bytes_ = row * rows + 1;
  copy_ = takeBuffer(bytes_);
  if (!copy_.memory) throw std::bad_alloc();
  uint8_t* out = copy_.memory.get();
  for (size_t y = 0; y < rows; ++y) std::memcpy(out + y * row, pixels + y * stride, row);
  out[bytes_ - 1] = 0;
  data_ = out;
  size_ = static_cast<int32_t>(row * rows);
}

PackedPixels::~PackedPixels() {
  if (copy_.memory) returnBuffer(std::move(copy_));
}

void PackedPixels::writeBack(CDIB& image) const {
  if (!copy_.memory) return;
  uint8_t* pixels = image.DIBPointer();
  const size_t row = static_cast<size_t>(image.Width()) * 3;
  const size_t stride = static_cast<size_t>(image.SRB());
  const size_t rows = static_cast<size_t>(image.Height());
  if (pixels == nullptr || row * rows + 1 != bytes_) return;
  const uint8_t* in = copy_.memory.get();
  for (size_t y = 0; y < rows; ++y) std::memcpy(pixels + y * stride, in + y * row, row);
}

uint8_t* PackedPixels::packInPlace(CDIB& scratch) {
  uint8_t* pixels = scratch.DIBPointer();
  if (pixels == nullptr || !padded(scratch.Width())) return pixels;
  const size_t row = static_cast<size_t>(scratch.Width()) * 3;
  const size_t stride = static_cast<size_t>(scratch.SRB());
  const size_t rows = static_cast<size_t>(scratch.Height());
  // Row y moves down to y * row <= y * stride: front to back never overwrites a row not yet moved.
  for (size_t y = 1; y < rows; ++y) std::memmove(pixels + y * row, pixels + y * stride, row);
  pixels[row * rows] = 0;
  return pixels;
}

}  // namespace orvane
