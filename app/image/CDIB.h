// CDIB: the program's one in-memory image type.
//
// 24 bits per pixel, blue-green-red bytes, rows bottom-up, each row padded to
// a multiple of 4 bytes. The pixels are reachable as raw bytes (DIBPointer) and
// as a drawing surface (hDC); both roads reach the same memory.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "DrawingSurface.h"

namespace orvane {

// The 40-byte bitmap header that doubles as the geometry record.
struct BitmapInfoHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// A non-owning byte view over an image's pixel area (see CDIB::MapArray).
struct ByteView {
  uint8_t* data = nullptr;
  size_t count = 0;
  uint8_t& operator()(size_t i) const { return data[i]; }
  uint8_t& operator[](size_t i) const { return data[i]; }
  bool empty() const { return data == nullptr; }
};

// A colour channel with the given cover laid over white, exactly rounded:
// what a transparent pixel looks like on the page it will most likely be
// printed or shown on.
inline uint8_t OverWhite(unsigned value, unsigned alpha) {
  return static_cast<uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

class CDIB {
 public:
  CDIB() = default;
  CDIB(const CDIB&) = delete;
  CDIB& operator=(const CDIB&) = delete;
  ~CDIB() = default;

  // Address of the first pixel byte (bottom row, leftmost pixel, blue); null without storage.
  uint8_t* DIBPointer() const { return pixels_.get(); }

  // Replaces the buffer by a black W x H picture. False when the picture is
  // empty, its byte count does not fit a signed 32-bit integer or its memory
  // cannot be had; the buffer is then left without storage and reports 0 x 0.
  bool Create(int32_t W, int32_t H);

  // Create without the black fill: the pixel bytes are undefined, pad bytes
  // are 0. For buffers that are about to be overwritten entirely.
  bool Reshape(int32_t W, int32_t H);

  // Becomes a copy of source's pixels (pad bytes 0), reusing the memory when it
  // fits. False when the memory cannot be had; the buffer is then 0 x 0.
  bool CopyOf(CDIB& source);

  // Exchanges the two pictures without copying pixels.
  void Swap(CDIB& other);

  // Copies a picture in, stretched to the buffer's size; with fitSize the buffer
  // is first re-created at the picture's size. Transparency is laid over
  // white. False when the picture is null or memory for the copy or its
  // conversion cannot be had.
  bool Clone(const QImage& pic, bool fitSize = false);

  // The picture as RGB888 with its transparent pixels laid over white; null
  // when memory cannot be had.
  static QImage LaidOverWhite(const QImage& pic);

  // Copies the Width x Height area at (X, Y) of theHDC onto the whole buffer.
  void CloneHDC(HDC theHDC, uint32_t dwRop = SRCCOPY, int32_t X = 0, int32_t Y = 0);

  // Copies the whole buffer onto toDC with its top-left corner at (atX, atY).
  void PaintTo(HDC toDC, int32_t atX, int32_t atY, uint32_t dwRop = SRCCOPY);

  // Zeroes the whole pixel area, pad bytes included.
  void Cls();

  int32_t RGBSize() const { return static_cast<int32_t>(header_.sizeImage) - 1; }
  int32_t Width() const { return header_.width; }
  int32_t Height() const { return header_.height; }
  // Stride in bytes; 0 for a buffer of height 0.
  int32_t SRB() const {
    return header_.height == 0 ? 0 : static_cast<int32_t>(header_.sizeImage) / header_.height;
  }
  size_t ByteCount() const { return header_.sizeImage; }
  const BitmapInfoHeader& Header() const { return header_; }

  // Binds a to the pixel area without copying and returns the stride. Pair
  // every call with UnMapArray before the buffer is re-created or destroyed.
  int32_t MapArray(ByteView& a);
  void UnMapArray(ByteView& a);

  HDC hDC() { return &surface_; }

  // A deep copy as a QImage (RGB888, top row first), for display and saving.
  QImage ToQImage() const;

  static int64_t StrideFor(int64_t width) { return (width * 3 + 3) & ~int64_t{3}; }

 private:
  struct AlignedFree {
    void operator()(uint8_t* p) const;
  };
  void Release();
  // Sets the geometry, keeping the current memory when it fits snugly.
  bool Allocate(int32_t W, int32_t H);

  BitmapInfoHeader header_;
  std::unique_ptr<uint8_t[], AlignedFree> pixels_;
  size_t capacity_ = 0;  // bytes allocated for pixels_
  DrawingSurface surface_;
  ByteView* boundView_ = nullptr;
};

}  // namespace orvane
