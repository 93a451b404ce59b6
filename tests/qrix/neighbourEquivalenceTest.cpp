// The blur, sharpen and relief filters of the library against their plain versions in
// neighbourReference.cpp: byte for byte, on pictures of every row padding and several heights,
// with sizes that cut the buffer short, over a sweep of arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "GuardedBytes.h"
#include "PixelBuffer.h"
#include "neighbourReference.h"
#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string name;
  Bytes bytes;
  int32_t size;
  int32_t width;
  int32_t height;
  int32_t stride;
};

// Random bytes (kind 0), values at the ends of the range (1), dark values (2).
void fill(Bytes& bytes, int kind, uint32_t seed) {
  std::mt19937 gen(seed);
  static const uint8_t ends[] = {0, 1, 2, 127, 128, 253, 254, 255};
  for (auto& v : bytes) {
    const uint32_t r = gen();
    v = kind == 0 ? static_cast<uint8_t>(r) : kind == 1 ? ends[r % 8] : static_cast<uint8_t>(r % 24);
  }
}

// Pictures of widths 1 to 9 (every row padding), some wider than a few vectors, several heights;
// each also with `size` a few bytes short of the buffer.
const std::vector<Sample>& pictures() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> s;
    uint32_t seed = 7;
    auto add = [&](int32_t w, int32_t h, int kind) {
      testing_support::PixelBuffer b(w, h);
      fill(b.bytes, kind, seed++);
      const std::string name = std::to_string(w) + "x" + std::to_string(h) + " kind " + std::to_string(kind);
      s.push_back({name, b.bytes, b.size(), w, h, b.stride});
      s.push_back({name + " cut short", b.bytes, b.size() - 4, w, h, b.stride});
    };
    for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 37, 70})
      for (int32_t h : {1, 2, 3, 4, 5, 8})
        for (int kind = 0; kind < 3; ++kind) add(w, h, kind);
    add(257, 6, 0);
    add(66, 67, 1);
    add(640, 5, 0);
    // Tall enough for boxes of several radii to lie wholly inside, narrow and wide.
    add(4, 40, 0);
    add(23, 41, 1);
    add(101, 36, 0);
    return s;
  }();
  return all;
}

std::string firstDifference(const Bytes& a, const Bytes& b) {
  size_t i = 0;
  while (i < a.size() && a[i] == b[i]) ++i;
  return "first byte differing " + std::to_string(i) + " (" + std::to_string(i < a.size() ? a[i] : -1) +
         " instead of " + std::to_string(i < b.size() ? b[i] : -1) + ")";
}

// A filter on a picture: the source (never to be changed) and the destination, which starts as
// other random bytes; in-place filters ignore the source and work on the destination.
using OnPicture = std::function<int32_t(const Sample& s, const uint8_t* source, uint8_t* destination)>;

void expectSame(const std::string& what, const OnPicture& fast, const OnPicture& plain) {
  for (const Sample& s : pictures()) {
    Bytes start(s.bytes.size());
    fill(start, 0, static_cast<uint32_t>(s.bytes.size()) * 31u + 5u);
    const bool inPlace =
        what.rfind("Dll", 0) == 0 || what.rfind("dllEnhanceEdge", 0) == 0 || what.rfind("dllengrave", 0) == 0;
    if (inPlace) start = s.bytes;
    // The library's buffers end at an unreadable page: a read or write past either faults.
    GuardedBytes guarded(start), sourceA(s.bytes);
    Bytes b = start, sourceB = s.bytes;
    const int32_t ra = fast(s, sourceA.data(), guarded.data());
    const Bytes a = guarded.bytes();
    const int32_t rb = plain(s, sourceB.data(), b.data());
    if (ra == rb && a == b && sourceA == s.bytes) continue;
    ADD_FAILURE() << what << " on " << s.name << ": returns " << ra << " / " << rb << ", "
                  << (a == b ? "source changed" : firstDifference(a, b));
    return;
  }
}

#define SAME(fn, ...)                                                                            \
  expectSame(                                                                                    \
      #fn + arg,                                                                                 \
      [=]([[maybe_unused]] const Sample& s, [[maybe_unused]] const uint8_t* src, uint8_t* dst) { \
        return fn(__VA_ARGS__);                                                                  \
      },                                                                                         \
      [=]([[maybe_unused]] const Sample& s, [[maybe_unused]] const uint8_t* src, uint8_t* dst) { \
        return reference::fn(__VA_ARGS__);                                                       \
      })

TEST(NeighbourEquivalence, SweepsAndInteriors) {
  const std::string arg;
  SAME(dllfastblur, src, dst, s.size, s.stride);
  SAME(dllgaussblur, src, dst, s.size, s.stride);
  SAME(dllspecialblur, src, dst, s.size, s.stride);
  SAME(medianfiltering, src, dst, s.size, s.stride);
  SAME(dllsharpenhor, src, dst, s.size, s.stride);
  SAME(dllsharpenver, src, dst, s.size, s.stride);
  SAME(dllsharpenwallis, src, dst, s.size, s.stride);
  SAME(dllsharpen_laplacian1, src, dst, s.size, s.stride);
  SAME(dllsharpen_laplacian2, src, dst, s.size, s.stride);
  SAME(dllsharpenroberts, src, dst, s.size, s.stride);
  SAME(dllcontour, src, dst, s.size, s.stride);
  SAME(DllBlurSoftly, dst, s.size, s.stride, s.width, s.height);
  SAME(DllBlurMore, dst, s.size, s.stride, s.width, s.height);
  SAME(DllSimpleSharpen, dst, s.size, s.stride, s.width, s.height);
  SAME(DllSharpenMore, dst, s.size, s.stride, s.width, s.height);
  SAME(DllSharpenLess, dst, s.size, s.stride, s.width, s.height);
  SAME(DllUnSharpMask, dst, s.size, s.stride, s.width, s.height);
  SAME(DllEmbossColor, dst, s.size, s.stride, s.width, s.height);
  SAME(DllEmbossHighLight, dst, s.size, s.stride, s.width, s.height);
  // Row steps shorter than a row (rows overlap), zero and negative.
  SAME(DllBlurMore, dst, s.size, std::max(1, s.stride - 5), s.width, s.height);
  SAME(DllUnSharpMask, dst, s.size, std::max(1, s.stride - 4), s.width, s.height);
  SAME(DllEmbossColor, dst, s.size, 0, s.width, s.height);
  SAME(DllBlurSoftly, dst, s.size, -s.stride, s.width, s.height);
  // Rows taken as 3 * width bytes apart: the size must cover height such rows.
  SAME(dllEnhanceEdge, dst, std::min(s.size, 3 * s.width * s.height - 1), s.width, s.height);
}

// The special blur's integer step 6 d / 5 stands for trunc(1.2 d) over every difference of two bytes.
TEST(NeighbourEquivalence, SpecialBlurStepIsExact) {
  for (int32_t d = -255; d <= 255; ++d) {
    EXPECT_EQ(static_cast<int32_t>(static_cast<int64_t>(1.2 * d)), 6 * d / 5) << d;
  }
}

// The motion blur divides sums of up to 64 bytes by their count with a multiply and a shift.
TEST(NeighbourEquivalence, MotionBlurQuotientsAreExact) {
  for (uint32_t count = 1; count <= 64; ++count) {
    uint32_t shift = 14;
    while ((1u << (shift - 14)) < count) ++shift;
    const uint32_t m = (1u << shift) / count + 1;
    for (uint32_t v = 0; v <= 255 * count; ++v) {
      if ((v * m) >> shift != v / count) {
        ADD_FAILURE() << v << " / " << count;
        return;
      }
    }
  }
}

// The radius blur divides box sums of up to 65536 pixels by a multiply and a shift; the quotient is
// monotone in the sum, so checking both sides of every step of v / count covers every sum.
TEST(NeighbourEquivalence, RadiusBlurQuotientsAreExact) {
  for (uint64_t count = 1; count <= 65536; ++count) {
    const uint64_t m = (uint64_t(1) << 40) / count + 1;
    for (uint64_t q = 0; q <= 255; ++q) {
      const uint64_t v = q * count;
      const bool below = v == 0 || ((v - 1) * m) >> 40 == q - 1;
      const bool top = q < 255 || ((v + count - 1) * m) >> 40 == 255;
      if (((v * m) >> 40) != q || !below || !top) {
        ADD_FAILURE() << q << " * " << count;
        return;
      }
    }
  }
}

TEST(NeighbourEquivalence, DirectionalFilters) {
  for (int32_t direction : {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, INT32_MAX}) {
    for (int32_t amount : {INT32_MIN, -100000, -12899, -12800, -12799, -301, -100, -99, 0, 99, 100, 250, 1000,
                           12799, 12800, 12899, 12345678, 842150500, INT32_MAX}) {
      const std::string arg = " direction " + std::to_string(direction) + " amount " + std::to_string(amount);
      SAME(dllsharpen, src, dst, s.size, s.stride, direction, amount);
    }
    for (int32_t distance : {-5, -1, 0, 1, 2, 3, 7, 40}) {
      const std::string arg =
          " direction " + std::to_string(direction) + " distance " + std::to_string(distance);
      SAME(dllmotionblur, src, dst, s.size, s.stride, distance, direction);
      for (int32_t grey : {0, 1}) {
        for (auto [r, g, b] :
             {std::tuple{128, 128, 128}, std::tuple{0, -300, 255}, std::tuple{INT32_MAX, INT32_MIN, 1}})
          SAME(dllemboss, src, dst, s.size, s.stride, distance, direction, r, g, b, grey);
      }
    }
    // Every sample count up to 18, where each count has its own sum, and the last counts of the run.
    for (int32_t distance : {4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 62, 63, 64}) {
      const std::string arg =
          " direction " + std::to_string(direction) + " distance " + std::to_string(distance);
      SAME(dllmotionblur, src, dst, s.size, s.stride, distance, direction);
    }
  }
}

TEST(NeighbourEquivalence, EngraveAndRadiusBlur) {
  for (auto [r, g, b] :
       {std::tuple{1, 1, 1}, std::tuple{0, 1, 0}, std::tuple{256, 0, -1}, std::tuple{0, 0, 0}}) {
    const std::string arg = " switches " + std::to_string(r) + std::to_string(g) + std::to_string(b);
    SAME(dllengrave, dst, s.size, s.stride, r, g, b);
  }
  for (int32_t radius : {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 16, 17, 100, 128, 129, 5000}) {
    const std::string arg = " radius " + std::to_string(radius);
    SAME(dllfastblurplus, src, dst, s.size, s.width, s.height, radius);
  }
}

}  // namespace
