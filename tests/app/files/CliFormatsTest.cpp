// orvane-cli reads and writes through the file class: TIFF and PCX round trips.
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
