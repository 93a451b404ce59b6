#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "OstrelFiles.h"
#include "PixelBuffer.h"
#include "ostrel.h"

using namespace ostrel_test;
using testing_support::PixelBuffer;

// Decoding is checked through the program's reader (tests/app/files); here
// the writer's own contract.
TEST(Jpeg, WritesOnlyForValidModesQualitiesAndBuffers) {
  ScratchDir dir;
  const PixelBuffer picture = testing_support::randomBuffer(17, 9, 5);
  const std::string name = dir.file("out put.jpg");
  const auto write = [&](int32_t mode, int32_t quality, int32_t size = -1, int32_t stride = 0) {
    return mem2jpeg(picture.data(), size < 0 ? picture.size() : size, 17, 9, stride ? stride : picture.stride,
                    mode, quality, name.c_str());
  };
  for (int32_t quality : {1, 50, 100}) {
    ASSERT_TRUE(write(3, quality));
    ASSERT_TRUE(write(0, quality));
    const auto bytes = readBytes(name);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
  }
  std::filesystem::remove(name);
  EXPECT_EQ(write(3, 0), 0);
  EXPECT_EQ(write(3, 101), 0);
  EXPECT_EQ(write(1, 75), 0);
  EXPECT_EQ(write(3, 75, picture.stride), 0);
  EXPECT_EQ(write(3, 75, -1, 48), 0);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(
      mem2jpeg(picture.data(), picture.size(), 17, 9, picture.stride, 3, 75, dir.file("a/b.jpg").c_str()), 0);
}

namespace {

// A JPEG written with libjpeg directly (progressive when asked): the top half
// one colour, the bottom half another.
const uint8_t kTopRgb[3] = {200, 40, 90}, kBottomRgb[3] = {20, 180, 60};

std::vector<uint8_t> makeJpeg(int w, int h, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = w;
  info.image_height = h;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(3 * w);
  while (info.next_scanline < info.image_height) {
    const uint8_t* colour = info.next_scanline < info.image_height / 2 ? kTopRgb : kBottomRgb;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) row[3 * x + c] = colour[c];
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return bytes;
}

int32_t decodeJpeg(const std::vector<uint8_t>& file, bool lenient, int32_t* status,
                   PixelBuffer* out = nullptr) {
  int32_t w = 0, h = 0;
  if (!jpeginfo(file.data(), static_cast<int64_t>(file.size()), &w, &h, status)) return 0;
  PixelBuffer local;
  PixelBuffer& buffer = out ? *out : local;
  buffer = PixelBuffer(w, h);
  return jpeg2mem(file.data(), static_cast<int64_t>(file.size()), buffer.data(), buffer.size(), buffer.stride,
                  w, h, lenient ? 1 : 0, status);
}

}  // namespace

TEST(Jpeg, BombsAreRefusedBeforeTheyCost) {
  int32_t status = 0, w = 0, h = 0;
  // A 32 x 32 picture whose frame header claims 20000 x 20000.
  std::vector<uint8_t> lying = makeJpeg(32, 32, false);
  for (size_t i = 2; i + 8 < lying.size(); ++i)
    if (lying[i] == 0xFF && lying[i + 1] == 0xC0) {
      lying[i + 5] = 20000 >> 8, lying[i + 6] = 20000 & 0xFF, lying[i + 7] = 20000 >> 8,
                lying[i + 8] = 20000 & 0xFF;
      break;
    }
  lying.resize(5000, 0);  // padded to 5 KB after the end: still far too little data
  EXPECT_EQ(jpeginfo(lying.data(), static_cast<int64_t>(lying.size()), &w, &h, &status), 0);
  EXPECT_EQ(status, OSTREL_JPEG_DAMAGED);

  // A progressive file whose last scan is repeated: up to 1000 scans are
  // decoded (leniently: a repeated scan is a damaged progression), more are not.
  const std::vector<uint8_t> progressive = makeJpeg(24, 16, true);
  size_t lastScan = 0;
  for (size_t i = 2; i + 1 < progressive.size(); ++i)
    if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) lastScan = i;
  ASSERT_GT(lastScan, 0u);
  const std::vector<uint8_t> scan(progressive.begin() + lastScan, progressive.end() - 2);
  int scans = 0;
  for (size_t i = 0; i + 1 < progressive.size(); ++i)
    scans += progressive[i] == 0xFF && progressive[i + 1] == 0xDA;
  const auto withScans = [&](int total) {
    std::vector<uint8_t> file(progressive.begin(), progressive.end() - 2);
    for (int n = scans; n < total; ++n) file.insert(file.end(), scan.begin(), scan.end());
    file.push_back(0xFF);
    file.push_back(0xD9);
    return file;
  };
  EXPECT_EQ(decodeJpeg(withScans(1000), true, &status), 1);
  EXPECT_EQ(decodeJpeg(withScans(1001), true, &status), 0);
  EXPECT_EQ(status, OSTREL_JPEG_DAMAGED);
  EXPECT_EQ(decodeJpeg(withScans(20000), true, &status), 0);
  EXPECT_EQ(decodeJpeg(withScans(50), false, &status), 0);  // strict: the repeat is damage
  EXPECT_EQ(status, OSTREL_JPEG_DAMAGED);
}

TEST(Jpeg, DecodesIntoBottomUpRowsAndChecksItsBuffer) {
  const std::vector<uint8_t> file = makeJpeg(17, 32, false);
  int32_t status = -1;
  PixelBuffer picture;
  ASSERT_EQ(decodeJpeg(file, false, &status, &picture), 1);
  EXPECT_EQ(status, OSTREL_JPEG_FINE);
  // The top half comes first in the file and last in the buffer; bytes are blue, green, red.
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(picture.at(8, 3, 2 - c), kTopRgb[c], 6);
    EXPECT_NEAR(picture.at(8, 28, 2 - c), kBottomRgb[c], 6);
  }

  PixelBuffer small(17, 31);
  EXPECT_EQ(jpeg2mem(file.data(), static_cast<int64_t>(file.size()), small.data(), small.size(), small.stride,
                     17, 32, 0, &status),
            0);
  PixelBuffer wrong(16, 32);
  EXPECT_EQ(jpeg2mem(file.data(), static_cast<int64_t>(file.size()), wrong.data(), wrong.size(), wrong.stride,
                     16, 32, 0, &status),
            0);
  const std::vector<uint8_t> text = {'B', 'M', 0, 0, 0, 0};
  int32_t w = 0, h = 0;
  EXPECT_EQ(jpeginfo(text.data(), 6, &w, &h, &status), 0);
  EXPECT_EQ(status, OSTREL_JPEG_NOT_JPEG);
}

TEST(Jpeg, CmykFilesOpenInColour) {
  // Inks stored inverted, as the Adobe marker (written by libjpeg for CMYK) says.
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = 16;
  info.image_height = 16;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  const uint8_t red[4] = {255, 0, 0, 255}, halfBlack[4] = {255, 255, 255, 127};  // C M Y K, inverted
  std::vector<uint8_t> row(64);
  while (info.next_scanline < 16) {
    const uint8_t* ink = info.next_scanline < 8 ? red : halfBlack;
    for (int x = 0; x < 16; ++x)
      for (int c = 0; c < 4; ++c) row[4 * x + c] = ink[c];
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  const std::vector<uint8_t> file(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);

  int32_t status = -1;
  PixelBuffer picture;
  ASSERT_EQ(decodeJpeg(file, false, &status, &picture), 1);
  const int expectedTop[3] = {0, 0, 255}, expectedBottom[3] = {127, 127, 127};  // blue, green, red
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(picture.at(5, 2, c), expectedTop[c], 4);
    EXPECT_NEAR(picture.at(5, 13, c), expectedBottom[c], 4);
  }
}
