// orvane-cli reads and writes through the file class: TIFF and PCX round trips,
// JPEG and WebP quality and grey saving.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "cFileDIB.h"

using namespace orvane;

namespace {

int runCli(const QStringList& args, QString* err = nullptr) {
  QProcess process;
  process.start(QStringLiteral(ORVANE_BIN_DIR "/orvane-cli"), args);
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) return -1;
  if (err != nullptr) *err = QString::fromLocal8Bit(process.readAllStandardError());
  return process.exitCode();
}

void fillPattern(CDIB& dib, int w, int h) {
  ASSERT_TRUE(dib.Create(w, h));
  for (int32_t row = 0; row < h; ++row)
    for (int32_t i = 0; i < 3 * w; ++i)
      dib.DIBPointer()[static_cast<size_t>(row) * dib.SRB() + i] = static_cast<uint8_t>(row * 37 + i * 11);
}

}  // namespace

TEST(CliFormats, TiffAndPcxPassThroughTheCliUnchanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  cFileDIB files;
  CDIB picture;
  fillPattern(picture, 7, 5);
  ASSERT_TRUE(files.MainSave(dir.filePath("in put.tif"), picture));

  // TIFF -> PCX -> TIFF flipped twice: the pixels come back exactly.
  QString err;
  ASSERT_EQ(runCli({"-o", dir.filePath("mid.pcx"), "--op", "FlipHor", dir.filePath("in put.tif")}, &err), 0)
      << err.toStdString();
  ASSERT_EQ(runCli({"-o", dir.filePath("out.tiff"), "--op", "FlipHor", dir.filePath("mid.pcx")}, &err), 0)
      << err.toStdString();
  CDIB back;
  ASSERT_TRUE(files.MainOpen(dir.filePath("out.tiff"), back));
  ASSERT_EQ(back.Width(), 7);
  ASSERT_EQ(back.Height(), 5);
  EXPECT_EQ(std::memcmp(back.DIBPointer(), picture.DIBPointer(), picture.ByteCount()), 0);

  // A file that is not what its extension says fails cleanly.
  ASSERT_TRUE(QFile::copy(dir.filePath("mid.pcx"), dir.filePath("fake.tif")));
  EXPECT_NE(runCli({"-o", dir.filePath("never.bmp"), dir.filePath("fake.tif")}), 0);
  EXPECT_FALSE(QFile::exists(dir.filePath("never.bmp")));
}

namespace {

const uint8_t* pixelAt(const CDIB& dib, int x, int y) {
  return dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
}

}  // namespace

TEST(CliCodecs, QualityAndGreyReachTheWriters) {
  QTemporaryDir dir;
  cFileDIB files;
  CDIB picture;
  ASSERT_TRUE(picture.Create(64, 48));
  for (int32_t row = 0; row < 48; ++row)
    for (int32_t i = 0; i < 192; ++i)
      picture.DIBPointer()[row * picture.SRB() + i] = static_cast<uint8_t>((row * 37) ^ (i * 11));
  ASSERT_TRUE(files.MainSave(dir.filePath("in.png"), picture));
  const QString in = dir.filePath("in.png");

  QString err;
  for (const char* out : {"q95.jpg", "q10.jpg", "q95.webp", "q10.webp"}) {
    const QString quality = QString(out).mid(1, 2);
    ASSERT_EQ(runCli({"--quality", quality, "-o", dir.filePath(out), in}, &err), 0) << err.toStdString();
  }
  EXPECT_GT(QFile(dir.filePath("q95.jpg")).size(), QFile(dir.filePath("q10.jpg")).size());
  EXPECT_GT(QFile(dir.filePath("q95.webp")).size(), QFile(dir.filePath("q10.webp")).size());

  // Quality 100 WebP is lossless: the PNG's pixels come back exactly.
  ASSERT_EQ(runCli({"--quality=100", "-o", dir.filePath("exact.webp"), in}, &err), 0) << err.toStdString();
  CDIB back;
  ASSERT_TRUE(files.MainOpen(dir.filePath("exact.webp"), back));
  EXPECT_EQ(std::memcmp(back.DIBPointer(), picture.DIBPointer(), picture.ByteCount()), 0);

  for (const char* out : {"grey.jpg", "grey.webp"}) {
    SCOPED_TRACE(out);
    ASSERT_EQ(runCli({"--grey", "-o", dir.filePath(out), in}, &err), 0) << err.toStdString();
    ASSERT_TRUE(files.MainOpen(dir.filePath(out), back));
    int colourful = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        const uint8_t* p = pixelAt(back, x, y);
        colourful += std::abs(p[0] - p[1]) + std::abs(p[1] - p[2]) > 2;
      }
    EXPECT_EQ(colourful, 0);
  }
}

TEST(CliCodecs, BadQualityIsAUsageError) {
  QTemporaryDir dir;
  CDIB picture;
  ASSERT_TRUE(picture.Create(4, 4));
  ASSERT_TRUE(cFileDIB().MainSave(dir.filePath("in.bmp"), picture));
  for (const QStringList& bad :
       {QStringList{"--quality", "0"}, QStringList{"--quality", "101"}, QStringList{"--quality=abc"},
        QStringList{"--quality", "7.5"}, QStringList{"--quality", "-5"}, QStringList{"--quality"}}) {
    SCOPED_TRACE(bad.join(' ').toStdString());
    QString err;
    EXPECT_EQ(runCli(bad + QStringList{"-o", dir.filePath("out.jpg"), dir.filePath("in.bmp")}, &err), 2);
    EXPECT_TRUE(err.contains("--quality")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.jpg")));
  }
}
