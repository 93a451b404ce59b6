#include <gtest/gtest.h>

#include "OstrelFiles.h"
#include "PixelBuffer.h"
#include "ostrel.h"

using namespace ostrel_test;
using testing_support::PixelBuffer;
using testing_support::randomBuffer;

namespace {

// Decodes through the info call, as a caller must; returns an empty buffer on failure.
bool decode(const std::string& name, int32_t& w, int32_t& h, std::vector<uint8_t>& rgb, int32_t& stride) {
  w = h = 0;
  if (!getpcxinfo(name.c_str(), &w, &h)) return false;
  stride = (w * 3 + 3) & ~3;
  rgb.assign(static_cast<size_t>(stride) * h, 0xEE);
  return pcx2mem(name.c_str(), rgb.data(), stride) != 0;
}

// Writes `picture` (bottom-up BGR) the way the program does: top row first, bytes left as they are.
bool writeTopDown(const PixelBuffer& picture, const std::string& name) {
  PixelBuffer flipped(picture.width, picture.height);
  for (int32_t row = 0; row < picture.height; ++row)
    std::copy_n(picture.bytes.begin() + static_cast<size_t>(picture.height - 1 - row) * picture.stride,
                picture.stride, flipped.bytes.begin() + static_cast<size_t>(row) * picture.stride);
  return mem2pcx(flipped.data(), flipped.size(), flipped.width, flipped.height, flipped.stride,
                 name.c_str()) != 0;
}

}  // namespace

TEST(Pcx, RoundTripGivesExactPixelsForEveryPadding) {
  ScratchDir dir;
  for (int32_t width : {1, 2, 3, 4, 5, 7, 64, 127}) {
    SCOPED_TRACE(width);
    const PixelBuffer picture = randomBuffer(width, 9, static_cast<uint32_t>(width));
    const std::string name = dir.file("round trip.pcx");
    ASSERT_TRUE(writeTopDown(picture, name));
    int32_t w, h, stride;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(decode(name, w, h, rgb, stride));
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, 9);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        // Decoded top row first in red-green-blue order.
        const uint8_t* p = rgb.data() + static_cast<size_t>(y) * stride + 3 * x;
        ASSERT_EQ(p[0], picture.at(x, y, 2));
        ASSERT_EQ(p[1], picture.at(x, y, 1));
        ASSERT_EQ(p[2], picture.at(x, y, 0));
      }
    // The decoder writes only the pixels, never the row padding.
    for (int32_t y = 0; y < h; ++y)
      for (int32_t i = 3 * w; i < stride; ++i) ASSERT_EQ(rgb[static_cast<size_t>(y) * stride + i], 0xEE);
  }
}

TEST(Pcx, WriterEncodesRunsAndKeepsLinesEven) {
  ScratchDir dir;
  PixelBuffer picture(3, 1);
  for (int x = 0; x < 3; ++x) {
    picture.at(x, 0, 2) = 0xC5;  // a value that needs a run marker even alone
    picture.at(x, 0, 1) = 7;
    picture.at(x, 0, 0) = static_cast<uint8_t>(x);
  }
  const std::string name = dir.file("runs.pcx");
  ASSERT_TRUE(writeTopDown(picture, name));
  const auto bytes = readBytes(name);
  ASSERT_GE(bytes.size(), 128u);
  EXPECT_EQ(bytes[3], 8);
  EXPECT_EQ(bytes[65], 3);
  EXPECT_EQ(bytes[66], 4);  // three pixels padded to an even line
  const std::vector<uint8_t> body(bytes.begin() + 128, bytes.end());
  const std::vector<uint8_t> expected = {0xC3, 0xC5, 0x00,         // red: run of 3, pad byte
                                         0xC3, 0x07, 0x00,         // green
                                         0x00, 0x01, 0x02, 0x00};  // blue: literals
  EXPECT_EQ(body, expected);
}

TEST(Pcx, RunsLongerThanACountByteSplitAndRoundTrip) {
  // A uniform row of 200 pixels: each plane holds 200 equal bytes, more than
  // the 63 one count byte can say.
  ScratchDir dir;
  PixelBuffer picture(200, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 200; ++x)
      picture.at(x, y, 0) = 10, picture.at(x, y, 1) = 0xC7, picture.at(x, y, 2) = 250;
  const std::string name = dir.file("long runs.pcx");
  ASSERT_TRUE(writeTopDown(picture, name));
  int32_t w, h, stride;
  std::vector<uint8_t> rgb;
  ASSERT_TRUE(decode(name, w, h, rgb, stride));
  ASSERT_EQ(w, 200);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* p = rgb.data() + static_cast<size_t>(y) * stride + 3 * x;
      ASSERT_EQ(p[0], 250) << x << "," << y;
      ASSERT_EQ(p[1], 0xC7) << x << "," << y;
      ASSERT_EQ(p[2], 10) << x << "," << y;
    }
}

TEST(Pcx, ReadsPaletteAndPlanarFiles) {
  ScratchDir dir;
  int32_t w, h, stride;
  std::vector<uint8_t> rgb;

  // 8-bit palette: indices 0, 1, 2 with a run of two 2s.
  auto file = pcxHeader(4, 1, 8, 1, 4);
  file.insert(file.end(), {0x00, 0x01, 0xC2, 0x02});
  file.push_back(0x0C);
  std::vector<uint8_t> palette(768, 0);
  palette[3] = 10, palette[4] = 20, palette[5] = 30;
  palette[6] = 200, palette[7] = 201, palette[8] = 202;
  file.insert(file.end(), palette.begin(), palette.end());
  writeBytes(dir.file("p8.pcx"), file);
  ASSERT_TRUE(decode(dir.file("p8.pcx"), w, h, rgb, stride));
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 12),
            (std::vector<uint8_t>{0, 0, 0, 10, 20, 30, 200, 201, 202, 200, 201, 202}));

  // 16 colours in four 1-bit planes, colours from the header palette.
  file = pcxHeader(2, 1, 1, 4, 2);
  file[16 + 3 * 5] = 50, file[16 + 3 * 5 + 1] = 60, file[16 + 3 * 5 + 2] = 70;  // colour 5
  file[16 + 3 * 10] = 1, file[16 + 3 * 10 + 1] = 2, file[16 + 3 * 10 + 2] = 3;  // colour 10
  // pixel 0 = planes 0 and 2 (5), pixel 1 = planes 1 and 3 (10)
  file.insert(file.end(), {0x80, 0x00, 0x40, 0x00, 0x80, 0x00, 0x40, 0x00});
  writeBytes(dir.file("p4.pcx"), file);
  ASSERT_TRUE(decode(dir.file("p4.pcx"), w, h, rgb, stride));
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 6), (std::vector<uint8_t>{50, 60, 70, 1, 2, 3}));

  // 4-bit packed pixels in one plane.
  file = pcxHeader(3, 1, 4, 1, 2);
  file[16 + 3 * 1] = 11;
  file[16 + 3 * 15 + 2] = 99;
  file.insert(file.end(), {0x1F, 0x10});
  writeBytes(dir.file("p4packed.pcx"), file);
  ASSERT_TRUE(decode(dir.file("p4packed.pcx"), w, h, rgb, stride));
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 9),
            (std::vector<uint8_t>{11, 0, 0, 0, 0, 99, 11, 0, 0}));

  // One bit, one plane: the two colours of the header palette.
  file = pcxHeader(9, 1, 1, 1, 2);
  file[16] = 10, file[17] = 20, file[18] = 30;     // colour 0
  file[19] = 200, file[20] = 150, file[21] = 100;  // colour 1
  file.insert(file.end(), {0xA0, 0x80});
  writeBytes(dir.file("duo.pcx"), file);
  ASSERT_TRUE(decode(dir.file("duo.pcx"), w, h, rgb, stride));
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 9),
            (std::vector<uint8_t>{200, 150, 100, 10, 20, 30, 200, 150, 100}));
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + 24, rgb.begin() + 27), (std::vector<uint8_t>{200, 150, 100}));

  // A header palette left unset (both colours alike) means black and white.
  file = pcxHeader(9, 1, 1, 1, 2);
  file.insert(file.end(), {0xA0, 0x80});
  writeBytes(dir.file("mono.pcx"), file);
  ASSERT_TRUE(decode(dir.file("mono.pcx"), w, h, rgb, stride));
  EXPECT_EQ(rgb[0], 0xFF);
  EXPECT_EQ(rgb[3], 0x00);
  EXPECT_EQ(rgb[6], 0xFF);
  EXPECT_EQ(rgb[24], 0xFF);
}

TEST(Pcx, RunsCarryOverIntoTheNextRow) {
  ScratchDir dir;
  // Rows of 3 planes x 2 bytes; the first run of eight covers row 0 and two bytes of row 1.
  auto file = pcxHeader(2, 2, 8, 3, 2);
  file.insert(file.end(), {0xC8, 0x40, 0xC4, 0x41});
  writeBytes(dir.file("carry.pcx"), file);
  int32_t w, h, stride;
  std::vector<uint8_t> rgb;
  ASSERT_TRUE(decode(dir.file("carry.pcx"), w, h, rgb, stride));
  EXPECT_EQ(rgb[0], 0x40);
  EXPECT_EQ(rgb[1], 0x40);
  EXPECT_EQ(rgb[2], 0x40);
  EXPECT_EQ(rgb[3], 0x40);
  EXPECT_EQ(rgb[stride + 0], 0x40);
  EXPECT_EQ(rgb[stride + 3], 0x40);
  EXPECT_EQ(rgb[stride + 1], 0x41);
  EXPECT_EQ(rgb[stride + 5], 0x41);
}

TEST(Pcx, RejectsTruncatedAndLyingFiles) {
  ScratchDir dir;
  const auto good = [] {
    auto f = pcxHeader(4, 2, 8, 3, 4);
    for (int i = 0; i < 2 * 3; ++i) f.insert(f.end(), {0xC4, static_cast<uint8_t>(i)});
    return f;
  }();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 128)});
  cases.push_back({"truncated stream", std::vector<uint8_t>(good.begin(), good.end() - 2)});
  cases.push_back({"run marker last", std::vector<uint8_t>(good.begin(), good.end() - 1)});
  cases.back().bytes.back() = 0xC4;
  auto bad = good;
  bad[0] = 0x0B;
  cases.push_back({"not a PCX", bad});
  bad = good;
  bad[2] = 0;
  cases.push_back({"not run-length", bad});
  bad = good;
  bad[65] = 0;
  cases.push_back({"no planes", bad});
  bad[65] = 200;
  cases.push_back({"200 planes", bad});
  bad = good;
  bad[3] = 3;
  cases.push_back({"3 bits", bad});
  bad = good;
  bad[66] = 1, bad[67] = 0;
  cases.push_back({"lines shorter than the width", bad});
  bad = good;
  bad[66] = 0xFF, bad[67] = 0xFF;
  cases.push_back({"enormous lines", bad});
  bad = good;
  bad[8] = 0xFF, bad[9] = 0xFF, bad[10] = 0xFF, bad[11] = 0xFF;
  cases.push_back({"enormous size", bad});
  bad = good;
  bad[4] = 9;  // xMin beyond xMax
  cases.push_back({"negative width", bad});
  auto noPalette = pcxHeader(4, 1, 8, 1, 4);
  noPalette.insert(noPalette.end(), {1, 2, 3, 4});
  cases.push_back({"8-bit without palette", noPalette});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = dir.file("bad.pcx");
    writeBytes(name, c.bytes);
    int32_t w = -5, h = -5;
    if (getpcxinfo(name.c_str(), &w, &h)) {  // plausible size, but decoding must fail inside the buffer
      PixelBuffer buffer(w, h);
      EXPECT_EQ(pcx2mem(name.c_str(), buffer.data(), buffer.stride), 0);
    } else {
      EXPECT_EQ(w, -5);
    }
  }
  int32_t w, h;
  EXPECT_EQ(getpcxinfo(dir.path().c_str(), &w, &h), 0);
  EXPECT_EQ(getpcxinfo(dir.file("missing.pcx").c_str(), &w, &h), 0);
  EXPECT_EQ(getpcxinfo(nullptr, &w, &h), 0);
}

TEST(Pcx, DecoderRefusesAFileThatChangedSinceItsSizeWasRead) {
  ScratchDir dir;
  const std::string name = dir.file("changing.pcx");
  ASSERT_TRUE(writeTopDown(randomBuffer(2, 2, 3), name));
  int32_t w, h;
  ASSERT_TRUE(getpcxinfo(name.c_str(), &w, &h));
  std::vector<uint8_t> small(static_cast<size_t>(8) * 2, 0xEE);
  ASSERT_TRUE(writeTopDown(randomBuffer(40, 40, 4), name));  // now far bigger than the buffer
  EXPECT_EQ(pcx2mem(name.c_str(), small.data(), 8), 0);
  EXPECT_EQ(small, std::vector<uint8_t>(16, 0xEE));
  // Never asked for: refused as well.
  EXPECT_EQ(pcx2mem(dir.file("other.pcx").c_str(), small.data(), 8), 0);
}

TEST(Pcx, WriterRejectsBuffersThatDoNotHoldThePicture) {
  ScratchDir dir;
  PixelBuffer picture(5, 4);
  const std::string name = dir.file("w.pcx");
  EXPECT_EQ(mem2pcx(picture.data(), 3 * picture.stride - 1, 5, 4, picture.stride, name.c_str()), 0);
  EXPECT_EQ(mem2pcx(picture.data(), picture.size(), 5, 4, 14, name.c_str()), 0);
  EXPECT_EQ(mem2pcx(picture.data(), picture.size(), 0, 4, picture.stride, name.c_str()), 0);
  EXPECT_EQ(mem2pcx(picture.data(), picture.size(), 5, -4, picture.stride, name.c_str()), 0);
  EXPECT_EQ(
      mem2pcx(picture.data(), picture.size(), 5, 4, picture.stride, dir.file("no/such/dir.pcx").c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(name));
}
