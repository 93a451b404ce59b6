// Shared helpers for the operation tests: pictures in CDIBs, direct library
// calls for reference results, and fresh threads so that random filters start
// from the same generator state on both sides of a comparison.
#pragma once

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "CDIB.h"
#include "DynamicLibrary.h"
#include "qrix.h"

namespace optest {

// The export itself, bound the same way the program binds it.
#define LIB(name) (::orvane::qrixLibrary().resolveAs<decltype(::name)>(#name))

// A W x H picture with random pixel bytes; the padding stays 0.
inline void randomPicture(orvane::CDIB& image, int32_t w, int32_t h, uint32_t seed = 7) {
  image.Create(w, h);
  std::mt19937 gen(seed);
  for (int32_t row = 0; row < h; ++row)
    for (int32_t i = 0; i < w * 3; ++i)
      image.DIBPointer()[row * image.SRB() + i] = static_cast<uint8_t>(gen() & 0xff);
}

inline std::vector<uint8_t> bytesOf(const orvane::CDIB& image) {
  return {image.DIBPointer(), image.DIBPointer() + image.ByteCount()};
}

// Byte c (0 blue, 1 green, 2 red) of pixel (x, y), y from the top.
inline uint8_t& at(orvane::CDIB& image, int32_t x, int32_t y, int32_t c) {
  return image.DIBPointer()[(image.Height() - 1 - y) * image.SRB() + 3 * x + c];
}

template <typename Fn>
void inFreshThread(Fn&& fn) {
  std::thread worker(std::forward<Fn>(fn));
  worker.join();
}

// The image's rows without padding, plus one spare byte.
inline std::vector<uint8_t> packedRows(const orvane::CDIB& image) {
  const int32_t row = image.Width() * 3;
  std::vector<uint8_t> out(static_cast<size_t>(row) * image.Height() + 1, 0);
  for (int32_t y = 0; y < image.Height(); ++y)
    std::copy_n(image.DIBPointer() + y * image.SRB(), row, out.data() + y * row);
  return out;
}

// Lays packed rows out again with the image's padding (pad bytes 0).
inline std::vector<uint8_t> unpackRows(const std::vector<uint8_t>& packed, const orvane::CDIB& image) {
  const int32_t row = image.Width() * 3;
  std::vector<uint8_t> out(image.ByteCount(), 0);
  for (int32_t y = 0; y < image.Height(); ++y)
    std::copy_n(packed.data() + y * row, row, out.data() + y * image.SRB());
  return out;
}

}  // namespace optest
