// The parallelogram, trapezium and pentagon resamplers against their plain versions, on pictures
// wide and tall enough to span several blocks of columns and long row runs, with odd strides, cut
// sizes, and source and destination sharing memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "GuardedBytes.h"
#include "PixelBuffer.h"
#include "qrix.h"
#include "stylizeReference.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One resampler call on (source, destination, width, height, stride, size).
using Call = std::function<int32_t(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t)>;

struct Shape {
  int32_t width, height, stride, size;
};

std::string describe(const Shape& s) {
  return std::to_string(s.width) + " x " + std::to_string(s.height) + " stride " + std::to_string(s.stride) +
         " size " + std::to_string(s.size);
}

Bytes randomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& v : b) v = static_cast<uint8_t>(gen());
  return b;
}

// Source and destination are separate random buffers of `bytes` bytes; the library's end at an
// unreadable page, so a read or write past either faults.
void expectSameApart(const std::string& what, const Shape& s, size_t bytes, const Call& fast,
                     const Call& plain) {
  const Bytes source = randomBytes(bytes, 11 + static_cast<uint32_t>(bytes));
  const Bytes start = randomBytes(bytes, 7 + static_cast<uint32_t>(bytes));
  GuardedBytes srcA(source), guarded(start);
  Bytes srcB = source, b = start;
  const int32_t ra = fast(srcA.data(), guarded.data(), s.width, s.height, s.stride, s.size);
  const Bytes a = guarded.bytes();
  const int32_t rb = plain(srcB.data(), b.data(), s.width, s.height, s.stride, s.size);
  EXPECT_EQ(ra, rb) << what << " on " << describe(s);
  EXPECT_TRUE(srcA == source) << what << " changed its source on " << describe(s);
  if (a == b) return;
  size_t i = 0;
  while (a[i] == b[i]) ++i;
  ADD_FAILURE() << what << " on " << describe(s) << ": byte " << i << " is " << int{a[i]} << " instead of "
                << int{b[i]};
}

// Source and destination lie in one buffer, `gap` bytes apart (0: the same picture).
void expectSameShared(const std::string& what, const Shape& s, size_t bytes, size_t gap, const Call& fast,
                      const Call& plain) {
  const Bytes start = randomBytes(bytes + gap, 5 + static_cast<uint32_t>(gap));
  Bytes a = start, b = start;
  fast(a.data(), a.data() + gap, s.width, s.height, s.stride, s.size);
  plain(b.data(), b.data() + gap, s.width, s.height, s.stride, s.size);
  EXPECT_TRUE(a == b) << what << " with a gap of " << gap << " on " << describe(s);
}

struct Resampler {
  std::string name;
  Call fast, plain;
};

// The three resamplers over a sweep of shares and flags.
std::vector<Resampler> resamplers(bool full) {
  std::vector<Resampler> all;
  const std::vector<int32_t> percents =
      full ? std::vector<int32_t>{INT32_MIN, -30, 0, 1, 2, 30, 50, 99, 100, 101, 150, 400, 10000}
           : std::vector<int32_t>{1, 30, 100, 150};
  for (int32_t pct : percents) {
    for (int flags = 0; flags < 4; ++flags) {
      const int32_t direction = flags & 1, side = flags >> 1;
      const std::string arg =
          "(" + std::to_string(pct) + ", " + std::to_string(direction) + ", " + std::to_string(side) + ")";
      all.push_back({"dllparallel" + arg,
                     [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                       return dllparallel(s, d, w, h, st, n, pct, direction, side);
                     },
                     [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                       return reference::dllparallel(s, d, w, h, st, n, pct, direction, side);
                     }});
      all.push_back({"dlltrapezia" + arg,
                     [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                       return dlltrapezia(s, d, w, h, st, n, pct, direction, side);
                     },
                     [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                       return reference::dlltrapezia(s, d, w, h, st, n, pct, direction, side);
                     }});
    }
  }
  const std::vector<int32_t> tops =
      full ? std::vector<int32_t>{-5, 1, 20, 100, 300} : std::vector<int32_t>{20, 100};
  const std::vector<int32_t> middles =
      full ? std::vector<int32_t>{0, 1, 20, 50, 100, 250} : std::vector<int32_t>{1, 50, 250};
  const std::vector<int32_t> bottoms =
      full ? std::vector<int32_t>{1, 20, 100, 150} : std::vector<int32_t>{20, 150};
  for (int32_t p1 : tops) {
    for (int32_t p2 : middles) {
      for (int32_t p3 : bottoms) {
        const std::string arg =
            "(" + std::to_string(p1) + ", " + std::to_string(p2) + ", " + std::to_string(p3) + ")";
        all.push_back({"dllpentagon" + arg,
                       [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                         return dllpentagon(s, d, w, h, st, n, p1, p2, p3);
                       },
                       [=](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t st, int32_t n) {
                         return reference::dllpentagon(s, d, w, h, st, n, p1, p2, p3);
                       }});
      }
    }
  }
  return all;
}

TEST(DistortEquivalence, WidePicturesEveryPaddingWholeAndCut) {
  const std::vector<Resampler> all = resamplers(true);
  for (int32_t w : {1, 2, 3, 4, 5, 7, 9, 31, 63, 64, 65, 66, 129, 200, 301}) {
    for (int32_t h : {1, 2, 3, 9, 70}) {
      const int32_t stride = (3 * w + 3) & ~3;
      const size_t bytes = static_cast<size_t>(stride) * h;
      const int32_t size = static_cast<int32_t>(bytes) - 1;
      for (int32_t n : {size, size / 2, size - stride / 2}) {
        for (const Resampler& r : all) expectSameApart(r.name, {w, h, stride, n}, bytes, r.fast, r.plain);
      }
    }
  }
}

TEST(DistortEquivalence, OddStridesAndSharedMemory) {
  const std::vector<Resampler> all = resamplers(false);
  for (int32_t w : {5, 64, 130}) {
    for (int32_t h : {3, 40}) {
      const int32_t natural = (3 * w + 3) & ~3;
      const size_t bytes = static_cast<size_t>(natural) * h;
      const int32_t size = static_cast<int32_t>(bytes) - 1;
      for (int32_t stride : {natural, 3 * w, 3 * w - 3, natural / 2, 0, -natural, natural + 12}) {
        const Shape s{w, h, stride, size};
        for (const Resampler& r : all) expectSameApart(r.name, s, bytes, r.fast, r.plain);
      }
      for (size_t gap : {size_t{0}, size_t{3}, static_cast<size_t>(natural), bytes / 2}) {
        for (const Resampler& r : all)
          expectSameShared(r.name, {w, h, natural, size}, bytes, gap, r.fast, r.plain);
      }
    }
  }
}

}  // namespace
