#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "FlatWalkCheck.h"
#include "qrix.h"
#include "qrix_modes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using flat_walk_check::WalkCall;

// Runs pno (or dllgreyadvance) on triples given as flat bytes, with a guard byte behind them.
Bytes mapped(int32_t mode, Bytes triples, bool grey = false) {
  triples.push_back(0xC3);
  const int32_t size = static_cast<int32_t>(triples.size()) - 1;
  EXPECT_EQ(grey ? dllgreyadvance(triples.data(), size, mode) : pno(triples.data(), size, mode), 1);
  EXPECT_EQ(triples.back(), 0xC3) << "mode " << mode;
  triples.pop_back();
  return triples;
}

TEST(ColourMapping, PnoModesByHand) {
  // Three pixels (blue, green, red): (40, 100, 200), (2, 1, 70), (200, 150, 0).
  const Bytes in = {40, 100, 200, 2, 1, 70, 200, 150, 0};
  const std::vector<std::pair<int32_t, Bytes>> cases = {
      {1, {215, 155, 55, 253, 254, 185, 55, 105, 255}},
      {2, {40, 100, 55, 2, 1, 185, 200, 150, 255}},
      {3, {40, 155, 200, 2, 254, 70, 200, 105, 0}},
      {4, {215, 100, 200, 253, 1, 70, 55, 150, 0}},
      {5, {215, 100, 55, 253, 1, 185, 55, 150, 255}},
      {6, {215, 155, 200, 253, 254, 70, 55, 105, 0}},
      {7, {40, 155, 55, 2, 254, 185, 200, 105, 255}},
      {8, {113, 113, 113, 24, 24, 24, 116, 116, 116}},
      {10, {200, 100, 40, 70, 1, 2, 0, 150, 200}},
      {11, {100, 200, 40, 1, 70, 2, 150, 0, 200}},
      {12, {200, 40, 100, 70, 2, 1, 0, 200, 150}},
      {13, {40, 200, 100, 2, 70, 1, 200, 0, 150}},
      {14, {100, 40, 200, 1, 2, 70, 150, 200, 0}},
      {15, {40, 100, 0, 2, 1, 0, 200, 150, 0}},
      {16, {40, 0, 200, 2, 0, 70, 200, 0, 0}},
      {17, {0, 100, 200, 0, 1, 70, 0, 150, 0}},
      {18, {0, 0, 200, 0, 0, 70, 0, 0, 0}},
      {19, {0, 100, 0, 0, 1, 0, 0, 150, 0}},
      {20, {40, 0, 0, 2, 0, 0, 200, 0, 0}},
      {21, {70, 70, 200, 1, 1, 70, 175, 175, 0}},
      {22, {40, 150, 150, 2, 35, 35, 200, 75, 75}},
      {23, {50, 100, 200, 0, 35, 70, 75, 0, 0}},
      {24, {50, 100, 100, 0, 35, 35, 75, 0, 0}},
      {25, {120, 100, 120, 36, 1, 36, 100, 150, 100}},
      {26, {70, 70, 255, 1, 1, 109, 175, 175, 0}},
      {27, {120, 255, 120, 36, 3, 36, 100, 0, 100}},
      {28, {124, 150, 150, 3, 35, 35, 255, 75, 75}},
      {29, {100, 200, 200, 1, 70, 70, 150, 0, 0}},
      {30, {95, 70, 150, 18, 1, 35, 137, 175, 75}},
      {31, {123, 123, 123, 21, 21, 21, 110, 110, 110}},
      {32, {80, 55, 3, 38, 18, 10, 180, 255, 7}},
      {33, {0, 4, 31, 0, 0, 0, 166, 182, 234}},
      {34, {0, 2, 15, 0, 0, 0, 41, 91, 117}},
      {48, {0, 2, 15, 0, 0, 0, 41, 91, 117}},
      {49, {220, 250, 200, 71, 70, 70, 100, 75, 0}},
      {51, {5, 1, 28, 0, 0, 0, 255, 255, 20}},
      {52, {87, 132, 255, 60, 54, 119, 255, 195, 0}},
      {53, {0, 100, 255, 0, 1, 94, 84, 150, 116}},
      {56, {123, 123, 123, 21, 21, 21, 110, 110, 110}},
      {60, {131, 142, 136, 144, 144, 75, 20, 20, 95}},
  };
  for (const auto& [mode, out] : cases) EXPECT_EQ(mapped(mode, in), out) << "mode " << mode;

  EXPECT_EQ(mapped(48, {255, 255, 255}), (Bytes{251, 253, 254}));
  EXPECT_EQ(mapped(26, {9, 0, 200, 9, 1, 100}), (Bytes{4, 4, 0, 5, 5, 157}));
  EXPECT_EQ(mapped(60, {0, 0, 0}), (Bytes{20, 20, 108}));
  EXPECT_EQ(mapped(2, {0, 128, 255}), (Bytes{0, 128, 0}));
}

TEST(ColourMapping, FalseColourRampsOnlyGreys) {
  EXPECT_EQ(mapped(55, {0, 0, 0, 63, 63, 63, 64, 64, 64, 100, 100, 100, 127, 127, 127}),
            (Bytes{255, 254, 0, 255, 2, 0, 254, 2, 0, 110, 146, 0, 2, 254, 0}));
  EXPECT_EQ(mapped(55, {128, 128, 128, 191, 191, 191, 192, 192, 192, 255, 255, 255}),
            (Bytes{0, 255, 2, 0, 255, 254, 0, 254, 255, 0, 2, 255}));
  EXPECT_EQ(mapped(55, {10, 20, 30, 100, 100, 101}), (Bytes{10, 20, 30, 100, 100, 101}));
}

TEST(ColourMapping, InverseModesRestoreThePicture) {
  const auto original = testing_support::randomBuffer(7, 5, 21);
  for (auto [first, second] : {std::pair{1, 1}, {11, 12}, {12, 11}}) {
    auto b = original;
    pno(b.data(), b.size(), first);
    pno(b.data(), b.size(), second);
    EXPECT_EQ(b.bytes, original.bytes) << first << " then " << second;
  }
}

TEST(ColourMapping, UndefinedModesChangeNothing) {
  const auto original = testing_support::randomBuffer(6, 4, 2);
  std::vector<int32_t> modes = {0, 9, 59, 61, -1, -50, 1000, INT32_MIN, INT32_MAX};
  for (int32_t m = 35; m <= 46; ++m) modes.push_back(m);
  for (int32_t mode : modes) {
    auto b = original;
    EXPECT_EQ(pno(b.data(), b.size(), mode), 1);
    EXPECT_EQ(b.bytes, original.bytes) << "pno mode " << mode;
  }
  for (int32_t mode : {0, 7, -1, 50, INT32_MIN}) {
    auto b = original;
    EXPECT_EQ(dllgreyadvance(b.data(), b.size(), mode), 1);
    EXPECT_EQ(b.bytes, original.bytes) << "grey mode " << mode;
  }
}

TEST(ColourMapping, NoiseDrawsRedGreenBlueFromAFreshThreadSequence) {
  // A fresh thread's generator starts at 1: 41, 18467, 6334, 26500, 19169, 15724, 11478,
  // 29358, 26962. Red 50 draws 41 % 50 + 1 = 42 and becomes (50 + 42) / 2; zeros count as 1.
  const Bytes expected = {167, 84, 46, 1, 1, 1, 221, 144, 129};
  Bytes first, second;
  Bytes unused = {1, 2, 3, 4};
  pno(unused.data(), 3, QRIX_PNO_NOISE);  // this thread's draws do not reach the others
  std::thread([&] { first = mapped(50, {200, 100, 50, 0, 0, 0, 255, 255, 255}); }).join();
  std::thread([&] { second = mapped(50, {200, 100, 50, 0, 0, 0, 255, 255, 255}); }).join();
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, expected);
  // Never 0, and 1 stays 1.
  Bytes dark(3 * 200, 0);
  for (size_t i = 0; i < dark.size(); i += 2) dark[i] = 1;
  for (uint8_t v : mapped(50, dark)) EXPECT_EQ(v, 1);
}

TEST(ColourMapping, AutoContrast) {
  // Blue 50..150. Green: 40 raised the maximum and so never became the minimum, which is 60.
  // Red has one value throughout and keeps it.
  EXPECT_EQ(mapped(57, {100, 40, 77, 50, 100, 77, 150, 60, 77, 75, 70, 77}),
            (Bytes{127, 0, 77, 0, 255, 77, 255, 0, 77, 63, 63, 77}));
  // Blue only ever rose, so no minimum was found: it is left alone, as are green (all 0)
  // and red (all 255).
  EXPECT_EQ(mapped(57, {10, 0, 255, 20, 0, 255, 30, 0, 255}), (Bytes{10, 0, 255, 20, 0, 255, 30, 0, 255}));
}

TEST(ColourMapping, AutoLevel) {
  // 100 triples: 5 values clipped at each end (trunc(100 * 0.055)).
  // Blue: 3 x 0, 3 x 10, 88 x 100, 3 x 200, 3 x 250, stretched from 10..200.
  // Green has one value; red has 96 x 50 between 2 x 40 and 2 x 60, clipped to 50..50.
  Bytes in;
  auto add = [&](int count, uint8_t b, uint8_t r) {
    for (int i = 0; i < count; ++i) in.insert(in.end(), {b, 33, r});
  };
  add(2, 0, 40);
  add(1, 0, 50);
  add(2, 10, 60);
  add(1, 10, 50);
  add(88, 100, 50);
  add(3, 200, 50);
  add(3, 250, 50);
  const Bytes out = mapped(58, in);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[3 * i], 0);
  EXPECT_EQ(out[3 * 6], 120);
  EXPECT_EQ(out[3 * 94], 255);
  EXPECT_EQ(out[3 * 99], 255);
  for (size_t i = 0; i < in.size(); i += 3) {
    EXPECT_EQ(out[i + 1], 33);
    EXPECT_EQ(out[i + 2], in[i + 2]);
  }
  // Fewer than 19 triples clip nothing.
  EXPECT_EQ(mapped(58, {10, 5, 0, 20, 6, 0, 30, 7, 0}), (Bytes{0, 0, 0, 127, 127, 0, 255, 255, 0}));
}

TEST(ColourMapping, NightAndEclipseWalks) {
  // Night works byte by byte up to offset size - 1, past the last whole triple.
  EXPECT_EQ(mapped(54, {255, 16, 100, 0, 255, 255, 15}), (Bytes{254, 1, 39, 0, 254, 254, 0}));
  Bytes b = {255, 255, 255, 255, 255};
  EXPECT_EQ(pno(b.data(), 4, QRIX_PNO_NIGHT), 1);
  EXPECT_EQ(b, (Bytes{254, 254, 254, 254, 255}));
  EXPECT_EQ(pno(b.data(), 2, QRIX_PNO_NIGHT), 1);
  EXPECT_EQ(b, (Bytes{252, 252, 254, 254, 255}));
  for (int32_t size : {0, -1, INT32_MIN}) EXPECT_EQ(pno(b.data(), size, QRIX_PNO_NIGHT), 1);
  EXPECT_EQ(b, (Bytes{252, 252, 254, 254, 255}));
  // Eclipse stops one triple short: offsets below size - 5.
  EXPECT_EQ(mapped(47, {0, 100, 0, 0, 10, 0, 0, 100, 0, 9, 9}),
            (Bytes{28, 36, 36, 10, 54, 54, 0, 100, 0, 9, 9}));
  EXPECT_EQ(mapped(47, {0, 100, 0, 0, 100}), (Bytes{0, 100, 0, 0, 100}));
  EXPECT_EQ(mapped(47, {0, 100, 0, 0, 100, 0}), (Bytes{28, 36, 36, 0, 100, 0}));
}

TEST(ColourMapping, GreyAdvance) {
  const Bytes in = {10, 200, 50, 30, 20, 10, 5, 5, 9};
  const Bytes expected[] = {{200, 200, 200, 30, 30, 30, 9, 9, 9}, {50, 50, 50, 20, 20, 20, 5, 5, 5},
                            {10, 10, 10, 10, 10, 10, 5, 5, 5},    {50, 50, 50, 10, 10, 10, 9, 9, 9},
                            {200, 200, 200, 20, 20, 20, 5, 5, 5}, {10, 10, 10, 30, 30, 30, 5, 5, 5}};
  for (int32_t mode = 1; mode <= 6; ++mode) EXPECT_EQ(mapped(mode, in, true), expected[mode - 1]) << mode;
}

TEST(ColourMapping, FlatWalkOfEveryMode) {
  for (int32_t mode = -1; mode <= 61; ++mode) {
    SCOPED_TRACE("pno mode " + std::to_string(mode));
    const WalkCall call = [mode](uint8_t* p, int32_t n) { return pno(p, n, mode); };
    // Night works byte-wise and Eclipse's walk is shorter; both are checked above.
    if (mode == 54 || mode == 47) continue;
    flat_walk_check::expectNothingForTinySizes(call);
    flat_walk_check::expectFlatWalk(call, mode != 50 && mode != 57 && mode != 58);
  }
  for (int32_t mode = 1; mode <= 6; ++mode) {
    SCOPED_TRACE("grey mode " + std::to_string(mode));
    const WalkCall call = [mode](uint8_t* p, int32_t n) { return dllgreyadvance(p, n, mode); };
    flat_walk_check::expectNothingForTinySizes(call);
    flat_walk_check::expectFlatWalk(call, true);
  }
}

TEST(ColourMapping, OnePixelWideRowsShiftTheChannels) {
  // Stride 4, 3 rows: inverting red reaches row 1's green byte and row 2's blue byte.
  testing_support::PixelBuffer b(1, 3, 0);
  EXPECT_EQ(pno(b.data(), b.size(), QRIX_PNO_INVERT_RED), 1);
  EXPECT_EQ(b.bytes, (Bytes{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}));
}

}  // namespace
