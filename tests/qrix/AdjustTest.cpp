#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "FlatWalkCheck.h"
#include "qrix.h"

namespace {

using Triple = std::array<uint8_t, 3>;  // blue, green, red
using flat_walk_check::WalkCall;

// Runs `call` on the given triples followed by one guard byte (size = 3 * count).
std::vector<Triple> runOn(const WalkCall& call, const std::vector<Triple>& pixels) {
  std::vector<uint8_t> bytes;
  for (const auto& p : pixels) bytes.insert(bytes.end(), p.begin(), p.end());
  bytes.push_back(0xC3);
  EXPECT_EQ(call(bytes.data(), static_cast<int32_t>(bytes.size()) - 1), 1);
  EXPECT_EQ(bytes.back(), 0xC3);
  std::vector<Triple> out(pixels.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
  return out;
}

struct Case {
  const char* what;
  WalkCall call;
  std::vector<Triple> in, out;
};

TEST(ColourAdjust, HandComputedValues) {
  const std::vector<Case> cases = {
      {"brightness +300",
       [](uint8_t* p, int32_t n) { return dllbrightness(p, n, 300); },
       {{0, 128, 255}},
       {{255, 255, 255}}},
      {"brightness -300",
       [](uint8_t* p, int32_t n) { return dllbrightness(p, n, -300); },
       {{0, 128, 255}},
       {{0, 0, 0}}},
      {"brightness +10",
       [](uint8_t* p, int32_t n) { return dllbrightness(p, n, 10); },
       {{0, 100, 250}},
       {{10, 110, 255}}},
      {"brightness extreme",
       [](uint8_t* p, int32_t n) { return dllbrightness(p, n, INT32_MAX); },
       {{1, 0, 255}},
       {{255, 255, 255}}},
      {"contrast 128",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, 128); },
       {{0, 127, 255}},
       {{0, 127, 255}}},
      {"contrast 0",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, 0); },
       {{0, 127, 255}},
       {{128, 128, 128}}},
      {"contrast 256",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, 256); },
       {{0, 100, 200}},
       {{0, 72, 255}}},
      // (127 - 128) * 64 / 128 truncates to 0, not -1.
      {"contrast 64",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, 64); },
       {{127, 0, 200}},
       {{128, 64, 164}}},
      {"contrast -128",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, -128); },
       {{0, 100, 255}},
       {{255, 156, 1}}},
      {"contrast extreme",
       [](uint8_t* p, int32_t n) { return dllcontrast(p, n, INT32_MIN); },
       {{127, 128, 129}},
       {{255, 128, 0}}},
      {"exposal 255",
       [](uint8_t* p, int32_t n) { return dllexposal(p, n, 255); },
       {{100, 200, 127}},
       {{155, 200, 128}}},
      {"exposal 0",
       [](uint8_t* p, int32_t n) { return dllexposal(p, n, 0); },
       {{100, 200, 128}},
       {{0, 200, 128}}},
      {"exposal 300",
       [](uint8_t* p, int32_t n) { return dllexposal(p, n, 300); },
       {{10, 100, 128}},
       {{255, 200, 128}}},
      {"rgb balance",
       [](uint8_t* p, int32_t n) { return dllrgbbalance(p, n, 30, -20, 10); },
       {{250, 10, 100}},
       {{255, 0, 130}}},
      // Deltas far outside a byte add exactly, with no 32-bit wrap: green 128 + INT32_MAX is 255 (a
      // wrapped sum would be negative, 0), red 255 + INT32_MIN is 0, blue 0 + 255 is 255.
      {"rgb balance extreme",
       [](uint8_t* p, int32_t n) { return dllrgbbalance(p, n, INT32_MIN, INT32_MAX, 255); },
       {{0, 128, 255}, {200, 1, 1}},
       {{255, 255, 0}, {255, 255, 0}}},
      {"yuv balance",
       [](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, 10, -20, 5); },
       {{50, 100, 200}},
       {{40, 110, 215}}},
      {"yuv balance 0",
       [](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, 0, 0, 0); },
       {{40, 100, 200}},
       {{40, 99, 200}}},
      // Red and blue are R + dy + dv and B + dy + du exactly, however large the deltas.
      {"yuv balance extreme",
       [](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, INT32_MAX, INT32_MIN, INT32_MIN); },
       {{40, 100, 200}},
       {{39, 255, 199}}},
      // Greys mostly stay; for grey 164 Cr comes out at 127.99999... and truncates to 127.
      {"ycbcr 0",
       [](uint8_t* p, int32_t n) { return dllycbcr(p, n, 0, 0, 0); },
       {{40, 100, 200}, {90, 90, 90}, {164, 164, 164}},
       {{39, 100, 198}, {90, 90, 90}, {164, 164, 162}}},
      {"ycbcr shifted",
       [](uint8_t* p, int32_t n) { return dllycbcr(p, n, 10, -20, 30); },
       {{40, 100, 200}},
       {{14, 96, 250}}},
      {"ycbcr Cr clamped",
       [](uint8_t* p, int32_t n) { return dllycbcr(p, n, 0, 0, 400); },
       {{40, 100, 200}},
       {{39, 48, 255}}},
      {"black and white, any channel",
       [](uint8_t* p, int32_t n) { return dllblackwhite(p, n, 0, 128); },
       {{10, 10, 200}, {127, 127, 127}, {128, 0, 0}},
       {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}}},
      {"black and white, average",
       [](uint8_t* p, int32_t n) { return dllblackwhite(p, n, 1, 128); },
       {{10, 10, 200}, {128, 128, 128}},
       {{0, 0, 0}, {255, 255, 255}}},
      {"colour bound",
       [](uint8_t* p, int32_t n) { return dllcolorbound(p, n, 200, 150, 100, 50, 40, 30); },
       {{10, 160, 255}, {120, 39, 49}, {30, 150, 200}},
       {{30, 150, 200}, {100, 40, 50}, {30, 150, 200}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(runOn(c.call, c.in), c.out);
  }
}

TEST(ColourAdjust, ColourBoundIgnoresAnInvalidBand) {
  const std::vector<Triple> pixels = {{0, 128, 255}, {7, 250, 3}};
  const int32_t bands[][6] = {
      {100, 200, 200, 100, 10, 10},  // red max = red min
      {200, 200, 200, 10, 10, 201},  // blue min above blue max
      {256, 200, 200, 10, 10, 10},   // max above 255
      {200, 200, 0, 10, 10, -1},     // max below 1, min below 0
      {200, 200, 200, -5, 10, 10},   // min below 0
  };
  for (const auto& a : bands) {
    EXPECT_EQ(
        runOn([&](uint8_t* p, int32_t n) { return dllcolorbound(p, n, a[0], a[1], a[2], a[3], a[4], a[5]); },
              pixels),
        pixels);
  }
}

TEST(ColourAdjust, Hsl) {
  auto hsl = [](int32_t h, int32_t s, int32_t l) {
    return [=](uint8_t* p, int32_t n) { return dllhsl(p, n, h, s, l); };
  };
  // Primaries, greys, black, white and magentas keep their colour with all steps 0.
  const std::vector<Triple> stay = {{255, 0, 0}, {0, 255, 0},     {0, 0, 255},  {255, 0, 255},
                                    {0, 0, 0},   {255, 255, 255}, {77, 77, 77}, {200, 40, 120}};
  EXPECT_EQ(runOn(hsl(0, 0, 0), stay), stay);
  // Any colour moves by at most the truncation of one step down.
  const auto any = testing_support::randomBuffer(300, 1, 5);
  std::vector<Triple> in;
  for (int32_t x = 0; x < 300; ++x) in.push_back({any.at(x, 0, 0), any.at(x, 0, 1), any.at(x, 0, 2)});
  const auto out = runOn(hsl(0, 0, 0), in);
  for (size_t i = 0; i < in.size(); ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_LE(in[i][c] - out[i][c], 1) << i;
    for (int c = 0; c < 3; ++c) EXPECT_GE(in[i][c] - out[i][c], 0) << i;
  }
  // A third of the circle: red to green; blue to red through the wrap past 5.
  EXPECT_EQ(runOn(hsl(200, 0, 0), {{0, 0, 255}, {255, 0, 0}}),
            (std::vector<Triple>{{0, 255, 0}, {0, 0, 255}}));
  // Red minus 3.6 wraps to 2.4: blue = trunc(255 * 0.4) = 101 in doubles.
  EXPECT_EQ(runOn(hsl(-360, 0, 0), {{0, 0, 255}}), (std::vector<Triple>{{101, 255, 0}}));
  EXPECT_EQ(runOn(hsl(0, -100, 0), {{0, 0, 255}}), (std::vector<Triple>{{127, 127, 127}}));
  EXPECT_EQ(runOn(hsl(0, 50, 0), {{40, 100, 200}}), (std::vector<Triple>{{0, 89, 240}}));
  EXPECT_EQ(runOn(hsl(0, 0, 50), {{40, 100, 200}}), (std::vector<Triple>{{242, 246, 252}}));
  EXPECT_EQ(runOn(hsl(90, 0, 0), {{40, 100, 200}}), (std::vector<Triple>{{40, 200, 156}}));
  // Steps far beyond a turn still land on the circle: 600 hundredths is one full turn.
  EXPECT_EQ(runOn(hsl(600 * 1000 + 200, 0, 0), {{0, 0, 255}}), (std::vector<Triple>{{0, 255, 0}}));
}

TEST(ColourAdjust, AdjLevel) {
  // Arguments: red max, red min, green max, green min, blue max, blue min.
  auto level = [](int32_t rmax, int32_t rmin, int32_t gmax, int32_t gmin, int32_t bmax, int32_t bmin) {
    return [=](uint8_t* p, int32_t n) { return DllAdjLevel(p, n, rmax, rmin, gmax, gmin, bmax, bmin); };
  };
  const auto any = testing_support::randomBuffer(64, 4, 3);
  auto full = any;
  EXPECT_EQ(DllAdjLevel(full.data(), full.size(), 255, 0, 255, 0, 255, 0), 1);
  EXPECT_EQ(full.bytes, any.bytes);
  // Blue stretched from 50..150 and green from 10..200; 0 and 255 are never changed.
  EXPECT_EQ(
      runOn(level(255, 0, 200, 10, 150, 50),
            {{0, 1, 9}, {40, 77, 8}, {100, 254, 7}, {101, 0, 6}, {160, 255, 5}, {255, 200, 4}}),
      (std::vector<Triple>{{0, 0, 9}, {0, 89, 8}, {127, 255, 7}, {130, 0, 6}, {255, 255, 5}, {255, 255, 4}}));
  // A band of width 0 cannot be stretched: that channel keeps its values.
  EXPECT_EQ(runOn(level(100, 100, 255, 0, 150, 50), {{100, 60, 30}}), (std::vector<Triple>{{127, 60, 30}}));
  // Worked in double precision, 255 / range * v - min * 255 / range: blue from -2 to 7 (range 9) takes
  // level 7 to 28.333... * 7 + 56.666..., exactly 255 but 254.99999999999997 in rounded steps, so 254;
  // levels 4 and 1 land on 170 and 85 exactly, 8 is held to 255. Green and red have range 0.
  EXPECT_EQ(runOn(level(0, 0, 0, 0, 7, -2), {{7, 50, 60}, {4, 51, 61}, {1, 52, 62}, {8, 53, 63}}),
            (std::vector<Triple>{{254, 50, 60}, {170, 51, 61}, {85, 52, 62}, {255, 53, 63}}));
}

TEST(ColourAdjust, HistogramEqualisation) {
  // A 4 x 1 picture without padding: its last pixel lies beyond the walk, 3 triples are counted.
  std::vector<uint8_t> b = {10, 50, 200, 20, 50, 100, 30, 50, 200, 99, 98, 97};
  EXPECT_EQ(dllhisequip(b.data(), 11, 4, 1), 1);
  // Each level becomes 255 x (share of lower values among the 4 pixels).
  EXPECT_EQ(b, (std::vector<uint8_t>{0, 0, 63, 63, 0, 0, 127, 0, 63, 99, 98, 97}));

  // Without a pixel count nothing is divided and nothing changes.
  std::vector<uint8_t> c = {10, 50, 200, 20, 50, 100, 30, 50, 200, 99, 98, 97};
  const auto before = c;
  EXPECT_EQ(dllhisequip(c.data(), 11, 0, 7), 1);
  EXPECT_EQ(dllhisequip(c.data(), 11, -4, 1), 1);
  EXPECT_EQ(c, before);

  // Ten pixels, blue levels 0 .. 9, green all 100, red 9 .. 0. The shares are added a level at a
  // time in double precision: 0.1 added eight times comes to 0.7999999999999999, so level 8 becomes
  // 203, not 204; a level shared by every pixel has nothing below it and becomes 0.
  std::vector<uint8_t> ten(32, 77);  // 10 x 1, stride 32: bytes 30 and 31 are padding
  for (uint8_t x = 0; x < 10; ++x) ten[3 * x] = x, ten[3 * x + 1] = 100, ten[3 * x + 2] = 9 - x;
  EXPECT_EQ(dllhisequip(ten.data(), 31, 10, 1), 1);
  const uint8_t shares[10] = {0, 25, 51, 76, 102, 127, 153, 178, 203, 229};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(ten[3 * x], shares[x]) << x;
    EXPECT_EQ(ten[3 * x + 1], 0) << x;
    EXPECT_EQ(ten[3 * x + 2], shares[9 - x]) << x;
  }
  EXPECT_EQ(ten[30], 77);
  EXPECT_EQ(ten[31], 77);

  // More triples counted than pixels given: shares above 1 stay white instead of wrapping.
  EXPECT_EQ(dllhisequip(c.data(), 11, 1, 1), 1);
  EXPECT_EQ(c, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 255, 0, 255, 99, 98, 97}));
}

TEST(ColourAdjust, FlatWalkOfEveryFunction) {
  const std::vector<std::pair<WalkCall, bool>> calls = {
      {[](uint8_t* p, int32_t n) { return dllbrightness(p, n, 37); }, true},
      {[](uint8_t* p, int32_t n) { return dllcontrast(p, n, 200); }, true},
      {[](uint8_t* p, int32_t n) { return dllexposal(p, n, 255); }, true},
      {[](uint8_t* p, int32_t n) { return dllrgbbalance(p, n, 10, -20, 30); }, true},
      {[](uint8_t* p, int32_t n) { return dllyuvbalance(p, n, 5, -7, 9); }, true},
      {[](uint8_t* p, int32_t n) { return dllycbcr(p, n, 3, -4, 5); }, true},
      {[](uint8_t* p, int32_t n) { return dllhsl(p, n, 45, 20, -10); }, true},
      {[](uint8_t* p, int32_t n) { return dllblackwhite(p, n, 0, 128); }, true},
      {[](uint8_t* p, int32_t n) { return dllblackwhite(p, n, 1, 100); }, true},
      {[](uint8_t* p, int32_t n) { return dllcolorbound(p, n, 200, 180, 160, 20, 40, 60); }, true},
      {[](uint8_t* p, int32_t n) { return DllAdjLevel(p, n, 220, 30, 200, 20, 240, 10); }, true},
      {[](uint8_t* p, int32_t n) { return dllhisequip(p, n, 3, 2); }, false},
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE("call " + std::to_string(i));
    flat_walk_check::expectFlatWalk(calls[i].first, calls[i].second);
    flat_walk_check::expectNothingForTinySizes(calls[i].first);
  }
}

}  // namespace
