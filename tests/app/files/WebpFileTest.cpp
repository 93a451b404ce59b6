// WebP files written here with libwebp: lossless pictures must open exactly,
// alpha over white, an animation as its first frame, and saves must come back.
#include <gtest/gtest.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <vector>

#include "PictureFormats.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

// Top-down pixels with `channels` bytes each (R, G, B[, A]).
std::vector<uint8_t> pattern(int w, int h, int channels) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h * channels);
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>((i * 7919u) ^ (i >> 3) * 31u);
  return p;
}

// The bytes that one of libwebp's one-call encoders makes.
template <typename Encode>
QByteArray encodeWith(Encode encode) {
  uint8_t* data = nullptr;
  const size_t size = encode(&data);
  QByteArray out(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  WebPFree(data);
  return out;
}

std::vector<int> rgbAt(const CDIB& dib, int x, int y) {
  const uint8_t* p = dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
  return {p[2], p[1], p[0]};
}

int largestDifference(const CDIB& dib, const std::vector<uint8_t>& rgb) {
  int worst = 0;
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      const std::vector<int> got = rgbAt(dib, x, y);
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(got[c] - rgb[(static_cast<size_t>(y) * dib.Width() + x) * 3 + c]));
    }
  return worst;
}

}  // namespace

TEST(WebpFile, LosslessLossyAndAlphaOpenAsTheirPixels) {
  const int w = 11, h = 6;
  std::vector<uint8_t> rgb = pattern(w, h, 3);
  CDIB picture;
  FileReport report;

  const QByteArray lossless =
      encodeWith([&](uint8_t** o) { return WebPEncodeLosslessRGB(rgb.data(), w, h, 3 * w, o); });
  ASSERT_TRUE(ReadWebp(lossless, picture, OpenOptions{}, report)) << report.error.toStdString();
  ASSERT_EQ(picture.Width(), w);
  ASSERT_EQ(picture.Height(), h);
  EXPECT_EQ(largestDifference(picture, rgb), 0);

  // Alpha over white, exactly rounded.
  std::vector<uint8_t> rgba = pattern(w, h, 4), overWhite(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < overWhite.size() / 3; ++i)
    for (int c = 0; c < 3; ++c)
      overWhite[i * 3 + c] = static_cast<uint8_t>(
          std::lround((rgba[i * 4 + c] * rgba[i * 4 + 3] + 255.0 * (255 - rgba[i * 4 + 3])) / 255));
  const QByteArray withAlpha =
      encodeWith([&](uint8_t** o) { return WebPEncodeLosslessRGBA(rgba.data(), w, h, 4 * w, o); });
  ASSERT_TRUE(ReadWebp(withAlpha, picture, OpenOptions{}, report));
  EXPECT_EQ(largestDifference(picture, overWhite), 0);

  // Lossy: near, and the right way up (top half red, bottom half blue).
  const int lw = 32, lh = 32;
  std::vector<uint8_t> halves(static_cast<size_t>(lw) * lh * 3, 0);
  for (int i = 0; i < lw * lh; ++i) halves[i * 3 + (i < lw * lh / 2 ? 0 : 2)] = 255;
  const QByteArray lossy =
      encodeWith([&](uint8_t** o) { return WebPEncodeRGB(halves.data(), lw, lh, 3 * lw, 90, o); });
  ASSERT_TRUE(ReadWebp(lossy, picture, OpenOptions{}, report));
  ASSERT_EQ(picture.Width(), lw);
  for (int y = 0; y < lh; ++y) {
    if (y >= 12 && y < 20) continue;  // colour is shared between neighbours near the edge
    for (int x = 0; x < lw; ++x) {
      const std::vector<int> p = rgbAt(picture, x, y);
      EXPECT_TRUE(y < 16 ? p[0] > 220 && p[2] < 35 : p[2] > 220 && p[0] < 35) << x << "," << y;
    }
  }
}

TEST(WebpFile, AnAnimationOpensAsItsFirstFrame) {
  const int w = 8, h = 5;
  WebPAnimEncoderOptions options;
  ASSERT_TRUE(WebPAnimEncoderOptionsInit(&options));
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(w, h, &options);
  ASSERT_NE(encoder, nullptr);
  WebPConfig config;
  ASSERT_TRUE(WebPConfigInit(&config));
  config.lossless = 1;
  for (int frame = 0; frame < 2; ++frame) {
    std::vector<uint8_t> colour(static_cast<size_t>(w) * h * 3, 0);
    for (int i = 0; i < w * h; ++i) colour[i * 3 + (frame == 0 ? 1 : 2)] = 200;  // green, then blue
    WebPPicture pic;
    ASSERT_TRUE(WebPPictureInit(&pic));
    pic.width = w;
    pic.height = h;
    pic.use_argb = 1;
    ASSERT_TRUE(WebPPictureImportRGB(&pic, colour.data(), 3 * w));
    ASSERT_TRUE(WebPAnimEncoderAdd(encoder, &pic, frame * 100, &config));
    WebPPictureFree(&pic);
  }
  ASSERT_TRUE(WebPAnimEncoderAdd(encoder, nullptr, 200, nullptr));
  WebPData assembled;
  WebPDataInit(&assembled);
  ASSERT_TRUE(WebPAnimEncoderAssemble(encoder, &assembled));
  const QByteArray file(reinterpret_cast<const char*>(assembled.bytes),
                        static_cast<qsizetype>(assembled.size));
  WebPDataClear(&assembled);
  WebPAnimEncoderDelete(encoder);

  CDIB picture;
  FileReport report;
  ASSERT_TRUE(ReadWebp(file, picture, OpenOptions{}, report)) << report.error.toStdString();
  ASSERT_EQ(picture.Width(), w);
  ASSERT_EQ(picture.Height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(rgbAt(picture, x, y), (std::vector<int>{0, 200, 0}));
}

TEST(WebpFile, SavesComeBackLosslessAtQuality100AndGreyStaysGrey) {
  QTemporaryDir dir;
  cFileDIB files;
  CDIB picture;
  ASSERT_TRUE(picture.Create(13, 7));
  for (int32_t row = 0; row < 7; ++row)
    for (int32_t i = 0; i < 39; ++i)
      picture.DIBPointer()[row * picture.SRB() + i] = static_cast<uint8_t>(row * 53 + i * 19);

  ASSERT_TRUE(files.MainSave(dir.filePath("exact.webp"), picture, 100));
  CDIB back;
  ASSERT_TRUE(files.MainOpen(dir.filePath("exact.webp"), back));
  ASSERT_EQ(back.Width(), 13);
  ASSERT_EQ(back.Height(), 7);
  EXPECT_EQ(std::memcmp(back.DIBPointer(), picture.DIBPointer(), picture.ByteCount()), 0);

  // Lossy saves shrink with the quality.
  ASSERT_TRUE(files.MainSave(dir.filePath("high.webp"), picture, 90));
  ASSERT_TRUE(files.MainSave(dir.filePath("low.webp"), picture, 5));
  EXPECT_LT(QFile(dir.filePath("low.webp")).size(), QFile(dir.filePath("high.webp")).size());
  ASSERT_TRUE(files.MainOpen(dir.filePath("high.webp"), back));
  EXPECT_EQ(back.Width(), 13);

  for (int quality : {100, 80}) {
    SCOPED_TRACE(quality);
    ASSERT_TRUE(files.MainSave(dir.filePath("grey.webp"), picture, static_cast<int16_t>(quality), true));
    ASSERT_TRUE(files.MainOpen(dir.filePath("grey.webp"), back));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) {
        const std::vector<int> p = rgbAt(back, x, y);
        EXPECT_LE(std::abs(p[0] - p[1]) + std::abs(p[1] - p[2]), quality == 100 ? 0 : 2) << x << "," << y;
      }
  }
  // A grey save keeps the brightness: white stays white, black stays black.
  CDIB bw;
  ASSERT_TRUE(bw.Create(2, 1));
  std::memset(bw.DIBPointer(), 255, 3);
  ASSERT_TRUE(files.MainSave(dir.filePath("bw.webp"), bw, 100, true));
  ASSERT_TRUE(files.MainOpen(dir.filePath("bw.webp"), back));
  EXPECT_EQ(rgbAt(back, 0, 0), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(rgbAt(back, 1, 0), (std::vector<int>{0, 0, 0}));
}

TEST(WebpFile, DamagedAndForeignFilesAreRefused) {
  std::vector<uint8_t> rgb = pattern(40, 40, 3);
  const QByteArray file =
      encodeWith([&](uint8_t** o) { return WebPEncodeRGB(rgb.data(), 40, 40, 120, 80, o); });
  CDIB picture;
  FileReport report;
  EXPECT_FALSE(ReadWebp(file.left(file.size() - 20), picture, OpenOptions{}, report));
  EXPECT_EQ(report.error, kDamaged);
  report = {};
  EXPECT_FALSE(ReadWebp(QByteArray("\x89PNG\r\n\x1a\n and so on"), picture, OpenOptions{}, report));
  EXPECT_EQ(report.error, NotFormatReason("WebP"));
  report = {};
  OpenOptions small;
  small.maxPixels = 1000;
  EXPECT_FALSE(ReadWebp(file, picture, small, report));
  EXPECT_EQ(report.error.toStdString(), TooLargeReason(40, 40).toStdString());
  EXPECT_EQ(picture.DIBPointer(), nullptr);
}
