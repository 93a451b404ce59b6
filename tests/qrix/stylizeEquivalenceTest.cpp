// The stylize filters and geometric distortions of the library against their plain versions
// in stylizeReference.cpp: byte for byte, on pictures of every row padding, on flat buffers of
// every small size, over a sweep of arguments, and over every colour for the per-pixel formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AllColours.h"
#include "GuardedBytes.h"
#include "PixelBuffer.h"
#include "qrix.h"
#include "stylizeReference.h"

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

// Random bytes (kind 0), mostly greys (1), only values where formulas turn (2), dark
// values (3).
void fill(Bytes& bytes, int kind, uint32_t seed) {
  std::mt19937 gen(seed);
  static const uint8_t turns[] = {0, 1, 2, 3, 63, 64, 127, 128, 129, 191, 192, 254, 255};
  for (size_t i = 0; i < bytes.size(); ++i) {
    switch (kind) {
      case 0:
        bytes[i] = static_cast<uint8_t>(gen());
        break;
      case 1:
        bytes[i] = (i % 3 != 0 && gen() % 8 != 0) ? bytes[i - 1] : static_cast<uint8_t>(gen());
        break;
      case 2:
        bytes[i] = turns[gen() % std::size(turns)];
        break;
      default:
        bytes[i] = static_cast<uint8_t>(gen() % 24);
        break;
    }
  }
}

// Failure texts are built by appending the pieces, numbers written out.
inline std::string piece(const std::string& s) { return s; }
inline std::string piece(const char* s) { return s; }
inline std::string piece(int64_t v) { return std::to_string(v); }

template <typename... Parts>
std::string cat(const Parts&... parts) {
  std::string s;
  ((s += piece(parts)), ...);
  return s;
}

std::string dims(int32_t w, int32_t h) { return cat(w, "x", h); }

// Pictures of widths 1 to 9 (every row padding) and a few larger ones.
const std::vector<Sample>& pictures() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> s;
    uint32_t seed = 1;
    for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 37}) {
      for (int32_t h : {1, 2, 3, 7}) {
        for (int kind = 0; kind < 4; ++kind) {
          testing_support::PixelBuffer b(w, h);
          fill(b.bytes, kind, seed++);
          s.push_back({cat("picture ", dims(w, h), " kind ", kind), b.bytes, b.size(), w, h, b.stride});
        }
      }
    }
    for (auto [w, h] : {std::pair{257, 5}, std::pair{640, 4}, std::pair{66, 67}}) {
      testing_support::PixelBuffer b(w, h);
      fill(b.bytes, seed % 2, seed);
      ++seed;
      s.push_back({cat("picture ", dims(w, h)), b.bytes, b.size(), w, h, b.stride});
    }
    return s;
  }();
  return all;
}

// Flat buffers of every walk length up to a few vector widths, a few bytes behind the walk.
const std::vector<Sample>& flats() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> s;
    for (int32_t size = -1; size <= 200; ++size) {
      Bytes bytes(static_cast<size_t>(std::max(size, 0)) + 4);
      fill(bytes, size % 4, 1000 + size);
      s.push_back({cat("flat size ", size), bytes, size, 1, 1, 4});
    }
    return s;
  }();
  return all;
}

// Runs `call` in a thread of its own, whose generator starts at 1.
void inFreshThread(const std::function<void()>& call) { std::thread(call).join(); }

std::string firstDifference(const Bytes& a, const Bytes& b) {
  size_t i = 0;
  while (i < a.size() && a[i] == b[i]) ++i;
  return cat("first byte differing ", static_cast<int64_t>(i), " (", i < a.size() ? a[i] : -1, " instead of ",
             i < b.size() ? b[i] : -1, ")");
}

// An in-place filter on (image, size). Random ones run twice in a fresh thread each, so the
// second run also checks how many numbers the first one drew.
using InPlace = std::function<int32_t(uint8_t* image, int32_t size)>;

void expectSameInPlace(const std::string& what, const InPlace& fast, const InPlace& plain,
                       bool random = false) {
  for (const auto* set : {&pictures(), &flats()}) {
    for (const Sample& s : *set) {
      Bytes a = s.bytes, b = s.bytes;
      int32_t ra = 0, rb = 0;
      if (random) {
        inFreshThread([&] { ra = fast(a.data(), s.size) + 2 * fast(a.data(), s.size); });
        inFreshThread([&] { rb = plain(b.data(), s.size) + 2 * plain(b.data(), s.size); });
      } else {
        ra = fast(a.data(), s.size);
        rb = plain(b.data(), s.size);
      }
      if (ra == rb && a == b) continue;
      ADD_FAILURE() << what << " on " << s.name << ": returns " << ra << " / " << rb << ", "
                    << firstDifference(a, b);
      return;
    }
  }
}

// A filter on a whole picture: the source (read-only for the two-buffer ones) and the
// destination, which starts as other random bytes. The library's buffers end at an unreadable
// page, so a read or write past either faults.
using OnPicture = std::function<int32_t(const Sample& s, const uint8_t* source, uint8_t* destination)>;

void expectSameOnPictures(const std::string& what, const OnPicture& fast, const OnPicture& plain,
                          bool random = false) {
  for (const Sample& s : pictures()) {
    Bytes start(s.bytes.size());
    fill(start, 0, static_cast<uint32_t>(s.bytes.size()));
    GuardedBytes guarded(start), sourceA(s.bytes);
    Bytes b = start, sourceB = s.bytes;
    int32_t ra = 0, rb = 0;
    auto runA = [&] { ra = fast(s, sourceA.data(), guarded.data()); };
    auto runB = [&] { rb = plain(s, sourceB.data(), b.data()); };
    if (random) {
      inFreshThread([&] { runA(), runA(); });
      inFreshThread([&] { runB(), runB(); });
    } else {
      runA(), runB();
    }
    const Bytes a = guarded.bytes();
    if (ra == rb && a == b && sourceA == sourceB) continue;
    ADD_FAILURE() << what << " on " << s.name << ": returns " << ra << " / " << rb << ", "
                  << (a == b ? "source changed" : firstDifference(a, b));
    return;
  }
}

using equivalence::expectSameOnAllColours;

const std::vector<int32_t> kAmounts = {INT32_MIN, -100000, -1531, -1530, -256,  -255,   -200,     -101, -100,
                                       -99,       -50,     -3,    -2,    -1,    0,      1,        2,    3,
                                       5,         50,      99,    100,   101,   199,    200,      255,  256,
                                       257,       1000,    1530,  1531,  65535, 100000, INT32_MAX};

#define SAME_IN_PLACE(fn, ...)                                                       \
  expectSameInPlace(                                                                 \
      cat(#fn, arg), [=](uint8_t* p, int32_t n) { return fn(p, n, ##__VA_ARGS__); }, \
      [=](uint8_t* p, int32_t n) { return reference::fn(p, n, ##__VA_ARGS__); })

#define SAME_ON_ALL_COLOURS(fn, ...)                                                 \
  expectSameOnAllColours(                                                            \
      cat(#fn, arg), [=](uint8_t* p, int32_t n) { return fn(p, n, ##__VA_ARGS__); }, \
      [=](uint8_t* p, int32_t n) { return reference::fn(p, n, ##__VA_ARGS__); })

TEST(StylizeEquivalence, PerPixelFilters) {
  {
    const std::string arg;
    SAME_IN_PLACE(dllcharcoal);
  }
  for (int32_t a : kAmounts) {
    const std::string arg = cat("(", a, ")");
    SAME_IN_PLACE(dllcomedy, a);
    SAME_IN_PLACE(dllneon, a);
    SAME_IN_PLACE(dllerode, a);
    SAME_IN_PLACE(dllice, a);
    SAME_IN_PLACE(dllwind, a);
    SAME_IN_PLACE(dllwatercolour, a);
    SAME_IN_PLACE(dllspotted, a);
    SAME_IN_PLACE(dllnost, a);
  }
}

TEST(StylizeEquivalence, PerPixelFiltersOnEveryColour) {
  {
    const std::string arg;
    SAME_ON_ALL_COLOURS(dllcharcoal);
  }
  for (int32_t a : {INT32_MIN, -100, -1, 0, 1, 5, 99, 100, 255, 256, 1000, INT32_MAX}) {
    const std::string arg = cat("(", a, ")");
    SAME_ON_ALL_COLOURS(dllcomedy, a);
    SAME_ON_ALL_COLOURS(dllerode, a);
    SAME_ON_ALL_COLOURS(dllice, a);
    SAME_ON_ALL_COLOURS(dllwind, a);
    SAME_ON_ALL_COLOURS(dllwatercolour, a);
    SAME_ON_ALL_COLOURS(dllspotted, a);
    SAME_ON_ALL_COLOURS(dllnost, a);
  }
}

TEST(StylizeEquivalence, RandomScatters) {
  for (int32_t a : {INT32_MIN, -300, -1, 0, 1, 2, 30, 255, 256, 40000, INT32_MAX}) {
    std::string arg = cat("dlldiffuse(", a, ")");
    expectSameInPlace(
        arg, [=](uint8_t* p, int32_t n) { return dlldiffuse(p, n, a); },
        [=](uint8_t* p, int32_t n) { return reference::dlldiffuse(p, n, a); }, true);
    for (int32_t area : {INT32_MIN, -1, 0, 1, 2, 3, 7, 64, INT32_MAX}) {
      arg = cat("dllfog(", a, ", ", area, ")");
      expectSameInPlace(
          arg, [=](uint8_t* p, int32_t n) { return dllfog(p, n, a, area); },
          [=](uint8_t* p, int32_t n) { return reference::dllfog(p, n, a, area); }, true);
    }
  }
  for (int32_t h : {INT32_MIN, -40, -1, 0, 1, 2, 5, 40, INT32_MAX}) {
    for (int32_t v : {INT32_MIN, -30, -1, 0, 1, 3, 30, INT32_MAX}) {
      // The grid as given, and one claiming more rows and columns than the buffer holds.
      for (int32_t grow : {0, 3}) {
        const std::string arg = cat("dllcanvas(", h, ", ", v, ") grown ", grow);
        expectSameOnPictures(
            arg,
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return dllcanvas(src, dst, s.size, s.width + grow, s.height + grow, h, v);
            },
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return reference::dllcanvas(src, dst, s.size, s.width + grow, s.height + grow, h, v);
            },
            true);
      }
    }
  }
  // Steps around the largest draw (32768) and far beyond it either way, where offsets
  // leave 32 bits only for the larger magnitudes.
  for (auto [h, v] : {std::pair{32767, 32768}, std::pair{32768, -2}, std::pair{40000, 7},
                      std::pair{-70000, 3}, std::pair{4, -40000}, std::pair{-1000, -1000}}) {
    expectSameOnPictures(
        cat("dllcanvas(", h, ", ", v, ")"),
        [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
          return dllcanvas(src, dst, s.size, s.width, s.height, h, v);
        },
        [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
          return reference::dllcanvas(src, dst, s.size, s.width, s.height, h, v);
        },
        true);
  }
}

TEST(StylizeEquivalence, Wave) {
  for (int32_t a : {INT32_MIN, -100000, -50, -10, -3, -1, 0, 1, 2, 3, 4, 10, 50, 100000, INT32_MAX}) {
    for (int32_t grow : {-1, 0, 2}) {
      expectSameOnPictures(
          cat("dllwave(", a, ") grown ", grow),
          [=](const Sample& s, const uint8_t*, uint8_t* dst) {
            return dllwave(dst, s.size, s.width + grow, s.height + grow, a);
          },
          [=](const Sample& s, const uint8_t*, uint8_t* dst) {
            return reference::dllwave(dst, s.size, s.width + grow, s.height + grow, a);
          });
    }
  }
}

TEST(DistortEquivalence, FlipAndBlinds) {
  expectSameOnPictures(
      "dllfliphor",
      [](const Sample& s, const uint8_t* src, uint8_t* dst) {
        return dllfliphor(dst, src, s.width, s.height);
      },
      [](const Sample& s, const uint8_t* src, uint8_t* dst) {
        return reference::dllfliphor(dst, src, s.width, s.height);
      });
  for (int32_t n : {INT32_MIN, -7, -1, 0, 1, 2, 3, 4, 5, 8, 20, 100, 255, 65792, 65793, INT32_MAX}) {
    for (int flags = 0; flags < 8; ++flags) {
      const int32_t reverse = flags & 1, direction = (flags >> 1) & 1, style = flags >> 2;
      expectSameOnPictures(
          cat("dllblinds(", n, ", ", reverse, ", ", direction, ", ", style, ")"),
          [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
            std::copy(src, src + s.bytes.size(), dst);
            return dllblinds(dst, s.width, s.height, n, reverse, direction, style);
          },
          [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
            std::copy(src, src + s.bytes.size(), dst);
            return reference::dllblinds(dst, s.width, s.height, n, reverse, direction, style);
          });
    }
  }
}

const std::vector<int32_t> kPercents = {INT32_MIN, -30, -1, 0, 1, 2, 30, 50, 99, 100, 101, 150, 400, 10000};

TEST(DistortEquivalence, Resamplers) {
  for (int32_t pct : kPercents) {
    for (int flags = 0; flags < 4; ++flags) {
      const int32_t direction = flags & 1, side = flags >> 1;
      // The whole buffer, and a size that cuts it short.
      for (int cut : {0, 1}) {
        const std::string arg = cat("(", pct, ", ", direction, ", ", side, ") cut ", cut);
        auto sizeOf = [cut](const Sample& s) { return cut ? s.size / 2 : s.size; };
        expectSameOnPictures(
            cat("dllparallel", arg),
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return dllparallel(src, dst, s.width, s.height, s.stride, sizeOf(s), pct, direction, side);
            },
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return reference::dllparallel(src, dst, s.width, s.height, s.stride, sizeOf(s), pct, direction,
                                            side);
            });
        expectSameOnPictures(
            cat("dlltrapezia", arg),
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return dlltrapezia(src, dst, s.width, s.height, s.stride, sizeOf(s), pct, direction, side);
            },
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return reference::dlltrapezia(src, dst, s.width, s.height, s.stride, sizeOf(s), pct, direction,
                                            side);
            });
      }
    }
  }
  for (int32_t p1 : {-5, 0, 1, 20, 100, 300}) {
    for (int32_t p2 : {-1, 0, 1, 20, 50, 100, 250}) {
      for (int32_t p3 : {-20, 0, 1, 20, 100, 150}) {
        expectSameOnPictures(
            cat("dllpentagon(", p1, ", ", p2, ", ", p3, ")"),
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return dllpentagon(src, dst, s.width, s.height, s.stride, s.size, p1, p2, p3);
            },
            [=](const Sample& s, const uint8_t* src, uint8_t* dst) {
              return reference::dllpentagon(src, dst, s.width, s.height, s.stride, s.size, p1, p2, p3);
            });
      }
    }
  }
}

}  // namespace
