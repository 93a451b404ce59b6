#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "qrix.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The random filters continue the calling thread's sequence; a new thread starts it afresh.
void inFreshThread(const std::function<void()>& body) { std::thread(body).join(); }

Bytes pixel(uint8_t b, uint8_t g, uint8_t r) { return {b, g, r, 0}; }  // one pixel, padded row

// A filter with one parameter, bound to its value.
template <typename Fn>
auto with(Fn fn, int32_t arg) {
  return [=](uint8_t* p, int32_t n) { fn(p, n, arg); };
}

Bytes after(Bytes px, const std::function<void(uint8_t*, int32_t)>& filter) {
  filter(px.data(), static_cast<int32_t>(px.size()) - 1);
  return px;
}

TEST(Stylize, CharcoalAndComedyGreyLevels) {
  EXPECT_EQ(after(pixel(0, 0, 0), dllcharcoal), pixel(0, 0, 0));
  EXPECT_EQ(after(pixel(255, 255, 255), dllcharcoal), pixel(255, 255, 255));
  // g1 = 150 * 300 / 256 = 175, g2 = 175 * 175 / 256 = 119, g3 = 119 * 156 / 256 = 72.
  EXPECT_EQ(after(pixel(50, 100, 150), dllcharcoal), pixel(122, 122, 122));
  EXPECT_EQ(after(pixel(50, 100, 150), with(dllcomedy, 100)), pixel(72, 119, 255));
  EXPECT_EQ(after(pixel(50, 100, 150), with(dllcomedy, 200)), pixel(72, 119, 183));
  EXPECT_EQ(after(pixel(50, 100, 150), with(dllcomedy, 0)), pixel(72, 119, 0));  // infinite quotient gives 0
}

TEST(Stylize, IceWindAndErodeChannelArithmetic) {
  EXPECT_EQ(after(pixel(90, 120, 200), with(dllice, 50)), pixel(0, 0, 0));
  EXPECT_EQ(after(pixel(0, 0, 200), with(dllice, 100)), pixel(255, 200, 200));
  // Green and blue use the new red (140) and green (255), not the old values.
  EXPECT_EQ(after(pixel(10, 20, 100), with(dllice, 200)), pixel(255, 255, 140));
  EXPECT_EQ(after(pixel(200, 7, 255), with(dllwind, 0)), pixel(0, 0, 0));
  EXPECT_EQ(after(pixel(200, 1, 3), with(dllwind, 1)), pixel(200 ^ 100, 1, 2));
  EXPECT_EQ(after(pixel(200, 7, 255), with(dllwind, -1)), pixel(200, 7, 255));  // no division by zero
  EXPECT_EQ(after(pixel(0x0f, 0, 0xff), with(dllerode, 0xff)), pixel(0xf0, 0xff, 0));
  EXPECT_EQ(after(pixel(10, 255, 0), with(dllerode, -1)), pixel(11, 0, 1));  // abs(-256) keeps low byte 0
}

TEST(Stylize, WatercolourSpottedAndNostalgic) {
  EXPECT_EQ(after(pixel(100, 200, 7), with(dllwatercolour, 10)), pixel(100, 200, 7));
  EXPECT_EQ(after(pixel(100, 50, 20), with(dllwatercolour, 20)), pixel(200, 100, 40));
  EXPECT_EQ(after(pixel(200, 11, 0), with(dllwatercolour, 20)), pixel(100, 5, 0));
  EXPECT_EQ(after(pixel(200, 100, 0), with(dllwatercolour, 5)), pixel(400 & 0xff, 200, 0));  // no ceiling
  EXPECT_EQ(after(pixel(0, 2, 4), with(dllspotted, 100)), pixel(0, 1, 0));  // sin 4 < 0 clamps to 0
  EXPECT_EQ(after(pixel(8, 8, 8), with(dllspotted, 10000)), pixel(255, 255, 255));
  // h = 1: d = 60, B = 20 + 60, R = 80 + 60, G = 140 + 60.
  EXPECT_EQ(after(pixel(10, 20, 30), with(dllnost, 0)), pixel(80, 200, 140));
  EXPECT_EQ(after(pixel(10, 20, 30), with(dllnost, 2)), pixel(80, 200, 140));
}

TEST(Stylize, PixelFiltersWalkWholeTriplesBeforeTheLastByte) {
  const std::vector<std::function<void(uint8_t*, int32_t)>> filters = {
      [](uint8_t* p, int32_t n) { dllcharcoal(p, n); },
      [](uint8_t* p, int32_t n) { dllcomedy(p, n, 100); },
      [](uint8_t* p, int32_t n) { dllerode(p, n, 1); },
      [](uint8_t* p, int32_t n) { dllice(p, n, 200); },
      [](uint8_t* p, int32_t n) { dllwind(p, n, 0); },
      [](uint8_t* p, int32_t n) { dllwatercolour(p, n, 20); },
      [](uint8_t* p, int32_t n) { dllspotted(p, n, 100); },
      [](uint8_t* p, int32_t n) { dllnost(p, n, 2); },
      [](uint8_t* p, int32_t n) { dllfog(p, n, 1, 1); },
      [](uint8_t* p, int32_t n) { dlldiffuse(p, n, 1); },
  };
  for (size_t f = 0; f < filters.size(); ++f) {
    // size 10 visits offsets 0, 3, 6; size 8 visits 0, 3; sizes of 2 or less visit nothing.
    for (auto [size, touched] : {std::pair{10, 9}, {8, 6}, {2, 0}, {0, 0}, {-1, 0}}) {
      Bytes buf(12, 200);
      filters[f](buf.data(), size);
      for (int i = 0; i < 12; ++i)
        EXPECT_EQ(buf[i] != 200, i < touched) << "filter " << f << " size " << size << " byte " << i;
    }
  }
}

TEST(Stylize, NeonFeedsEachResultIntoTheNextStep) {
  Bytes buf(30, 100);  // size 28: steps k = 0 ... 12 write pixels 3 ... 15
  EXPECT_EQ(dllneon(buf.data(), 28, 50), 1);
  const std::array<uint8_t, 10> expected = {100, 50, 0, 50, 0, 50, 100, 100, 100, 100};
  for (int px = 0; px < 10; ++px)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(buf[3 * px + c], expected[px]) << "pixel " << px;
}

TEST(StylizeRandom, DiffuseAndFogDrawStepsInWalkOrder) {
  inFreshThread([] {
    // Steps over 5 from state 1: 2, 3, 5, then 1, 5, 5.
    Bytes buf = {10, 20, 254, 0, 0, 0, 100, 100, 100, 9, 9, 9};
    dlldiffuse(buf.data(), 11, 5);
    EXPECT_EQ(buf, (Bytes{12, 22, 255, 3, 3, 3, 105, 105, 105, 9, 9, 9}));
    dlldiffuse(buf.data(), 5, 5);
    EXPECT_EQ(buf[0], 13);
  });
  inFreshThread([] {
    // Run length 3: pixels 0 and 1 keep their values, 2 to 4 share the first step (7), 5 and 6 the second
    // (2).
    Bytes buf(24, 10);
    dllfog(buf.data(), 23, 7, 3);
    const std::array<uint8_t, 8> expected = {10, 10, 17, 17, 17, 12, 12, 10};
    for (int px = 0; px < 8; ++px) EXPECT_EQ(buf[3 * px + 1], expected[px]) << "pixel " << px;
  });
  inFreshThread([] {
    Bytes buf(12, 10);
    dllfog(buf.data(), 11, 5, 0);  // a run length of 0 draws for every pixel
    EXPECT_EQ(buf, (Bytes{12, 12, 12, 13, 13, 13, 15, 15, 15, 10, 10, 10}));
  });
}

TEST(StylizeRandom, CanvasDrawsColumnThenRowStepPerGridPixel) {
  // 3 x 3 grid of pitch 6; pixel (i, j) at 3i + 6j. Draw pairs over (5, 3) in the order
  // (0,0), (0,1), (1,0), (1,1): (2,3), (5,2), (5,2), (4,1).
  Bytes source(36);
  std::iota(source.begin(), source.end(), 100);
  auto run = [&](int32_t size) {
    Bytes dst(36, 0);
    inFreshThread([&] { dllcanvas(source.data(), dst.data(), size, 3, 3, 5, 3); });
    return dst;
  };
  auto pixelAt = [](const Bytes& b, int at) { return Bytes(b.begin() + at, b.begin() + at + 3); };
  Bytes full = run(35);
  EXPECT_EQ(pixelAt(full, 0), pixelAt(source, 24));
  EXPECT_EQ(pixelAt(full, 6), pixelAt(source, 33));
  EXPECT_EQ(pixelAt(full, 3), pixelAt(source, 30));
  EXPECT_EQ(pixelAt(full, 9), pixelAt(source, 27));
  EXPECT_TRUE(std::all_of(full.begin() + 12, full.end(), [](uint8_t v) { return v == 0; }));
  // With size 32 a source pixel must start at 30 or before: (0,1) keeps its value.
  Bytes cut = run(32);
  EXPECT_EQ(pixelAt(cut, 6), Bytes(3, 0));
  EXPECT_EQ(pixelAt(cut, 3), pixelAt(source, 30));
}

TEST(StylizeRandom, ZeroSpreadsChangeNothingAndDrawNothing) {
  inFreshThread([] {
    Bytes buf(24, 50), dst(24, 7);
    EXPECT_EQ(dlldiffuse(buf.data(), 23, 0), 1);
    EXPECT_EQ(dllfog(buf.data(), 23, 0, 1), 1);
    EXPECT_EQ(dllcanvas(buf.data(), dst.data(), 23, 2, 4, 0, 3), 1);
    EXPECT_EQ(dllcanvas(buf.data(), dst.data(), 23, 2, 4, 3, 0), 1);
    EXPECT_EQ(buf, Bytes(24, 50));
    EXPECT_EQ(dst, Bytes(24, 7));
    dlldiffuse(buf.data(), 5, 5);
    EXPECT_EQ(buf[0], 52);  // still the first step of the sequence
  });
}

TEST(Stylize, WaveMovesPixelsAlongColumnsInPlace) {
  // Width 3, height 12: columns 0 (bytes 6j) and 1 (bytes 3 + 6j). Amplitude 10 gives column 0
  // the shift 0 (row j goes to j - 3) and column 1 10 sin 1 = 8.41 (row j goes to j + 5).
  Bytes buf(72);
  std::iota(buf.begin(), buf.end(), 0);
  EXPECT_EQ(dllwave(buf.data(), 71, 3, 12, 10), 1);
  auto rowOf = [&](int column, int row) { return buf[3 * column + 6 * row] / 6; };  // which original row
  const std::array<int, 12> column0 = {3, 4, 5, 6, 7, 8, 9, 10, 8, 9, 10, 11};
  const std::array<int, 12> column1 = {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1};  // moved rows are moved again
  for (int row = 0; row < 12; ++row) {
    EXPECT_EQ(rowOf(0, row), column0[row]) << "row " << row;
    EXPECT_EQ(rowOf(1, row), column1[row]) << "row " << row;
  }
  // A grid larger than the buffer's size is neither read nor written past the size.
  Bytes small(72, 200);
  std::iota(small.begin(), small.begin() + 36, 0);
  dllwave(small.data(), 35, 3, 12, -40);
  EXPECT_TRUE(std::all_of(small.begin(), small.begin() + 36, [](uint8_t v) { return v < 36; }));
  EXPECT_EQ(Bytes(small.begin() + 36, small.end()), Bytes(36, 200));
}

}  // namespace
