// The colour adjustments and mappings of the library against their plain versions in
// colourReference.cpp: byte for byte, on pictures of every row padding, on flat buffers of
// every small size, and over every colour for the per-pixel formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AllColours.h"
#include "PixelBuffer.h"
#include "colourReference.h"
#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Call = std::function<int32_t(uint8_t* image, int32_t size)>;

struct Sample {
  std::string name;
  Bytes bytes;
  int32_t size;
  int32_t width;
  int32_t height;
};

// Random bytes (kind 0), a narrow band of values (1), mostly greys (2), only the values where
// formulas turn (3), values rising along the walk (4), and a first triple darker than all
// that follow (5).
void fill(Bytes& bytes, int kind, uint32_t seed) {
  std::mt19937 gen(seed);
  static const uint8_t turns[] = {0, 1, 2, 63, 64, 127, 128, 129, 191, 192, 254, 255};
  for (size_t i = 0; i < bytes.size(); ++i) {
    switch (kind) {
      case 0:
        bytes[i] = static_cast<uint8_t>(gen());
        break;
      case 1:
        bytes[i] = static_cast<uint8_t>(100 + gen() % 41);
        break;
      case 2:
        bytes[i] = (i % 3 != 0 && gen() % 8 != 0) ? bytes[i - 1] : static_cast<uint8_t>(gen());
        break;
      case 3:
        bytes[i] = turns[gen() % std::size(turns)];
        break;
      case 4:
        bytes[i] = static_cast<uint8_t>(std::min<size_t>(255, 1 + i / 3 + gen() % 2));
        break;
      default:
        bytes[i] = static_cast<uint8_t>(i < 3 ? 1 + gen() % 3 : 4 + gen() % 252);
        break;
    }
  }
}

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> s;
    uint32_t seed = 1;
    for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 37}) {
      for (int32_t h : {1, 2, 3}) {
        for (int kind = 0; kind < 6; ++kind) {
          testing_support::PixelBuffer b(w, h);
          fill(b.bytes, kind, seed++);
          s.push_back(
              {"picture " + std::to_string(w) + "x" + std::to_string(h) + " kind " + std::to_string(kind),
               b.bytes, b.size(), w, h});
        }
      }
    }
    for (int32_t w : {257, 640}) {
      testing_support::PixelBuffer b(w, 5);
      fill(b.bytes, w == 257 ? 0 : 2, seed++);
      s.push_back({"picture " + std::to_string(w) + "x5", b.bytes, b.size(), w, 5});
    }
    // Every walk length up to a few vector widths, each with a few bytes behind the walk.
    for (int32_t size = -1; size <= 130; ++size) {
      Bytes bytes(static_cast<size_t>(std::max(size, 0)) + 4);
      fill(bytes, size % 4 == 3 ? 2 : 0, seed++);
      s.push_back({"flat size " + std::to_string(size), bytes, size, 1, 1});
    }
    return s;
  }();
  return all;
}

// Runs both versions on every sample; reports the first sample that differs.
void expectSame(const std::string& what, const Call& fast, const Call& plain) {
  for (const Sample& s : samples()) {
    Bytes a = s.bytes, b = s.bytes;
    const int32_t ra = fast(a.data(), s.size), rb = plain(b.data(), s.size);
    if (ra == rb && a == b) continue;
    size_t i = 0;
    while (i < a.size() && a[i] == b[i]) ++i;
    ADD_FAILURE() << what << " on " << s.name << ": returns " << ra << " / " << rb
                  << ", first byte differing " << i << " (" << (i < a.size() ? int(a[i]) : -1)
                  << " instead of " << (i < b.size() ? int(b[i]) : -1) << ")";
    return;
  }
}

using equivalence::expectSameOnAllColours;

// "(a, b, c)" for a failure message.
std::string argList(std::initializer_list<int32_t> values) {
  std::string s = "(";
  for (int32_t v : values) {
    if (s.size() > 1) s += ", ";
    s += std::to_string(v);
  }
  return s + ")";
}

const std::vector<int32_t> kAmounts = {INT32_MIN, -100000, -512, -256, -255,   -254,     -129, -128,
                                       -1,        0,       1,    20,   127,    128,      254,  255,
                                       256,       382,     383,  513,  100000, INT32_MAX};

TEST(ColourEquivalence, OneAmountAdjustments) {
  for (int32_t a : kAmounts) {
    const std::string arg = "(" + std::to_string(a) + ")";
    expectSame(
        "dllbrightness" + arg, [a](uint8_t* p, int32_t n) { return dllbrightness(p, n, a); },
        [a](uint8_t* p, int32_t n) { return reference::dllbrightness(p, n, a); });
    expectSame(
        "dllexposal" + arg, [a](uint8_t* p, int32_t n) { return dllexposal(p, n, a); },
        [a](uint8_t* p, int32_t n) { return reference::dllexposal(p, n, a); });
  }
  for (int32_t f : {INT32_MIN, -16385, -16384, -16383, -300, -128, -127,  -1,    0,     1,
                    64,        127,    128,    129,    160,  1000, 16383, 16384, 16385, INT32_MAX}) {
    expectSame(
        "dllcontrast(" + std::to_string(f) + ")", [f](uint8_t* p, int32_t n) { return dllcontrast(p, n, f); },
        [f](uint8_t* p, int32_t n) { return reference::dllcontrast(p, n, f); });
  }
}

// Three deltas drawn from the amounts, every amount in every position.
std::vector<std::array<int32_t, 3>> deltaTriples() {
  std::vector<std::array<int32_t, 3>> t;
  const size_t n = kAmounts.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j : {size_t{0}, size_t{3}, size_t{9}, size_t{13}}) {
      t.push_back({kAmounts[i], kAmounts[(i + j) % n], kAmounts[(i + 2 * j + 5) % n]});
    }
  }
  return t;
}

TEST(ColourEquivalence, ThreeDeltaAdjustments) {
  for (const auto& [x, y, z] : deltaTriples()) {
    const std::string arg = argList({x, y, z});
    expectSame(
        "dllrgbbalance" + arg, [=](uint8_t* p, int32_t n) { return dllrgbbalance(p, n, x, y, z); },
        [=](uint8_t* p, int32_t n) { return reference::dllrgbbalance(p, n, x, y, z); });
    expectSame(
        "dllyuvbalance" + arg, [=](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, x, y, z); },
        [=](uint8_t* p, int32_t n) { return reference::dllyuvbalance(p, n, x, y, z); });
    expectSame(
        "dllycbcr" + arg, [=](uint8_t* p, int32_t n) { return dllycbcr(p, n, x, y, z); },
        [=](uint8_t* p, int32_t n) { return reference::dllycbcr(p, n, x, y, z); });
  }
}

TEST(ColourEquivalence, HueSaturationLightness) {
  const std::vector<int32_t> hues = {INT32_MIN, -100000, -1201, -601, -600, -599, -250,
                                     -100,      -50,     -1,    0,    1,    33,   100,
                                     150,       250,     599,   600,  601,  1000, INT32_MAX};
  const std::vector<int32_t> levels = {INT32_MIN, -201, -100, -99, -37, -1,  0,
                                       1,         10,   50,   99,  100, 101, INT32_MAX};
  for (int32_t h : hues) {
    for (int32_t s : levels) {
      for (int32_t l : {levels[(h & 0xff) % levels.size()], -10, 0, 25}) {
        const std::string arg = argList({h, s, l});
        expectSame(
            "dllhsl" + arg, [=](uint8_t* p, int32_t n) { return dllhsl(p, n, h, s, l); },
            [=](uint8_t* p, int32_t n) { return reference::dllhsl(p, n, h, s, l); });
      }
    }
  }
}

TEST(ColourEquivalence, ThresholdsBoundsAndLevels) {
  for (int32_t sw : {INT32_MIN, -1, 0, 1, 2}) {
    for (int32_t level : {INT32_MIN, -1, 0, 1, 2, 100, 128, 254, 255, 256, 766, INT32_MAX}) {
      expectSame(
          "dllblackwhite(" + std::to_string(sw) + ", " + std::to_string(level) + ")",
          [=](uint8_t* p, int32_t n) { return dllblackwhite(p, n, sw, level); },
          [=](uint8_t* p, int32_t n) { return reference::dllblackwhite(p, n, sw, level); });
    }
  }
  std::mt19937 gen(2024);
  const int32_t extremes[] = {INT32_MIN, -256, -1, 0, 1, 254, 255, 256, 511, INT32_MAX};
  for (int round = 0; round < 400; ++round) {
    int32_t a[6];
    for (int32_t& v : a) {
      v = gen() % 5 == 0 ? extremes[gen() % std::size(extremes)] : static_cast<int32_t>(gen() % 261) - 2;
    }
    std::string arg = "(";
    for (int32_t v : a) arg += std::to_string(v) + " ";
    arg += ")";
    expectSame(
        "dllcolorbound" + arg,
        [=](uint8_t* p, int32_t n) { return dllcolorbound(p, n, a[0], a[1], a[2], a[3], a[4], a[5]); },
        [=](uint8_t* p, int32_t n) {
          return reference::dllcolorbound(p, n, a[0], a[1], a[2], a[3], a[4], a[5]);
        });
    expectSame(
        "DllAdjLevel" + arg,
        [=](uint8_t* p, int32_t n) { return DllAdjLevel(p, n, a[0], a[1], a[2], a[3], a[4], a[5]); },
        [=](uint8_t* p, int32_t n) {
          return reference::DllAdjLevel(p, n, a[0], a[1], a[2], a[3], a[4], a[5]);
        });
  }
}

TEST(ColourEquivalence, HistogramEqualisation) {
  for (const Sample& s : samples()) {
    for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{{s.width, s.height},
                                                                       {0, s.height},
                                                                       {s.width, -1},
                                                                       {-3, -4},
                                                                       {1, 1},
                                                                       {2 * s.width + 1, s.height},
                                                                       {INT32_MAX, INT32_MAX}}) {
      Bytes a = s.bytes, b = s.bytes;
      EXPECT_EQ(dllhisequip(a.data(), s.size, w, h), reference::dllhisequip(b.data(), s.size, w, h));
      EXPECT_EQ(a, b) << "dllhisequip on " << s.name << " as " << w << "x" << h;
    }
  }
}

std::vector<int32_t> modes(int32_t last) {
  std::vector<int32_t> m = {INT32_MIN, -1, INT32_MAX};
  for (int32_t i = 0; i <= last; ++i) m.push_back(i);
  return m;
}

TEST(ColourEquivalence, MappingModes) {
  for (int32_t mode : modes(62)) {
    if (mode == 50) continue;  // drawn from the generator: below
    expectSame(
        "pno(" + std::to_string(mode) + ")", [mode](uint8_t* p, int32_t n) { return pno(p, n, mode); },
        [mode](uint8_t* p, int32_t n) { return reference::pno(p, n, mode); });
  }
  for (int32_t mode : modes(8)) {
    expectSame(
        "dllgreyadvance(" + std::to_string(mode) + ")",
        [mode](uint8_t* p, int32_t n) { return dllgreyadvance(p, n, mode); },
        [mode](uint8_t* p, int32_t n) { return reference::dllgreyadvance(p, n, mode); });
  }
}

// Noise draws from the per-thread generator: each version runs in a fresh thread, so both
// start from the same state, once per sample and once over all samples in a row.
TEST(ColourEquivalence, NoiseDrawsInTheSameOrder) {
  auto inFreshThread = [](const Call& call, Bytes& bytes, int32_t size) {
    std::thread([&] { call(bytes.data(), size); }).join();
  };
  const Call fast = [](uint8_t* p, int32_t n) { return pno(p, n, 50); };
  const Call plain = [](uint8_t* p, int32_t n) { return reference::pno(p, n, 50); };
  for (const Sample& s : samples()) {
    Bytes a = s.bytes, b = s.bytes;
    inFreshThread(fast, a, s.size);
    inFreshThread(plain, b, s.size);
    EXPECT_EQ(a, b) << "noise on " << s.name;
  }
  auto allInOneThread = [](const Call& call) {
    std::vector<Bytes> out;
    std::thread([&] {
      for (const Sample& s : samples()) {
        out.push_back(s.bytes);
        call(out.back().data(), s.size);
      }
    }).join();
    return out;
  };
  EXPECT_EQ(allInOneThread(fast), allInOneThread(plain));
}

// The formulas that work on a whole pixel, checked on every colour.
TEST(ColourEquivalence, EveryColour) {
  for (int32_t mode : {8, 26, 27, 28, 30, 31, 32, 33, 34, 48, 49, 51, 52, 53, 55, 56, 60}) {
    expectSameOnAllColours(
        "pno(" + std::to_string(mode) + ")", [mode](uint8_t* p, int32_t n) { return pno(p, n, mode); },
        [mode](uint8_t* p, int32_t n) { return reference::pno(p, n, mode); });
  }
  for (int32_t mode : {1, 2, 3}) {
    expectSameOnAllColours(
        "dllgreyadvance(" + std::to_string(mode) + ")",
        [mode](uint8_t* p, int32_t n) { return dllgreyadvance(p, n, mode); },
        [mode](uint8_t* p, int32_t n) { return reference::dllgreyadvance(p, n, mode); });
  }
  for (const auto& [x, y, z] :
       std::vector<std::array<int32_t, 3>>{{10, -5, 5}, {-300, 200, -1}, {INT32_MIN, 3, INT32_MAX}}) {
    const std::string arg = argList({x, y, z});
    expectSameOnAllColours(
        "dllycbcr" + arg, [=](uint8_t* p, int32_t n) { return dllycbcr(p, n, x, y, z); },
        [=](uint8_t* p, int32_t n) { return reference::dllycbcr(p, n, x, y, z); });
    expectSameOnAllColours(
        "dllyuvbalance" + arg, [=](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, x, y, z); },
        [=](uint8_t* p, int32_t n) { return reference::dllyuvbalance(p, n, x, y, z); });
  }
  for (const auto& [h, s, l] :
       std::vector<std::array<int32_t, 3>>{{30, 10, -10}, {-250, -40, 60}, {-17, 3, 1}}) {
    const std::string arg = argList({h, s, l});
    expectSameOnAllColours(
        "dllhsl" + arg, [=](uint8_t* p, int32_t n) { return dllhsl(p, n, h, s, l); },
        [=](uint8_t* p, int32_t n) { return reference::dllhsl(p, n, h, s, l); });
  }
  for (int32_t level : {1, 128, 256}) {
    expectSameOnAllColours(
        "dllblackwhite(1, " + std::to_string(level) + ")",
        [=](uint8_t* p, int32_t n) { return dllblackwhite(p, n, 1, level); },
        [=](uint8_t* p, int32_t n) { return reference::dllblackwhite(p, n, 1, level); });
  }
}

}  // namespace
