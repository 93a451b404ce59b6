#include "PackedPixels.h"

#include <cstring>

namespace orvane {

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
  copy_.assign(row * rows + 1, 0);
  for (size_t y = 0; y < rows; ++y) std::memcpy(copy_.data() + y * row, pixels + y * stride, row);
  data_ = copy_.data();
  size_ = static_cast<int32_t>(row * rows);
}

void PackedPixels::writeBack(CDIB& image) const {
  if (copy_.empty()) return;
  uint8_t* pixels = image.DIBPointer();
  const size_t row = static_cast<size_t>(image.Width()) * 3;
  const size_t stride = static_cast<size_t>(image.SRB());
  const size_t rows = static_cast<size_t>(image.Height());
  if (pixels == nullptr || row * rows + 1 != copy_.size()) return;
  for (size_t y = 0; y < rows; ++y) std::memcpy(pixels + y * stride, copy_.data() + y * row, row);
}

}  // namespace orvane
