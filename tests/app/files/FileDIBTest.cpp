#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include "FileBytes.h"
#include "SamplePictures.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Every byte, padding included, from a fixed seed; the padding is then cleared as Create leaves it.
void fillRandom(CDIB& dib, int w, int h, uint32_t seed) {
  ASSERT_TRUE(dib.Create(w, h));
  uint32_t state = seed * 2654435761u + 1;
  for (int32_t row = 0; row < h; ++row)
    for (int32_t i = 0; i < 3 * w; ++i) {
      state = state * 1664525u + 1013904223u;
      dib.DIBPointer()[static_cast<size_t>(row) * dib.SRB() + i] = static_cast<uint8_t>(state >> 24);
    }
}

bool sameBytes(const CDIB& a, const CDIB& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.DIBPointer() && b.DIBPointer() &&
         std::memcmp(a.DIBPointer(), b.DIBPointer(), a.ByteCount()) == 0;
}

// B, G, R of pixel (x, y), y from the top.
const uint8_t* pixel(const CDIB& dib, int x, int y) {
  return dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
}

QStringList leftovers(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class FileDIB : public testing::Test {
 protected:
  QTemporaryDir dir;
  cFileDIB files;
  QString path(const QString& name) const { return dir.filePath(name); }
};

}  // namespace

TEST_F(FileDIB, BmpTiffAndPcxRoundTripsGiveExactPixelsForEveryPadding) {
  for (const char* ext : {"bmp", "tif", "tiff", "pcx", "BMP", "PCX"}) {
    for (int w = 1; w <= 8; ++w) {
      SCOPED_TRACE(std::string(ext) + " width " + std::to_string(w));
      CDIB picture;
      fillRandom(picture, w, 5, static_cast<uint32_t>(w));
      const QString name = path(QString("über pic %1.%2").arg(w).arg(ext));
      ASSERT_TRUE(files.MainSave(name, picture));
      CDIB back;
      ASSERT_TRUE(files.MainOpen(name, back));
      ASSERT_TRUE(sameBytes(picture, back));
    }
  }
}

TEST_F(FileDIB, SavingLeavesTheImageAsItWasAndWritesTheNamedFormat) {
  CDIB picture, copy;
  fillRandom(picture, 7, 3, 42);
  fillRandom(copy, 7, 3, 42);
  for (const char* ext : {"bmp", "pcx", "tif", "jpg"})
    ASSERT_TRUE(files.MainSave(path(QString("a.") + ext), picture));
  EXPECT_TRUE(sameBytes(picture, copy));

  const QByteArray bmp = readFile(path("a.bmp"));
  ASSERT_GE(bmp.size(), 54);
  EXPECT_EQ(bmp.left(2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(bmp[28]), 24);  // bits per pixel
  EXPECT_EQ(bmp.size(), 54 + 24 * 3);
  EXPECT_EQ(readFile(path("a.pcx")).at(0), '\x0A');
  EXPECT_TRUE(readFile(path("a.tif")).startsWith("II*") || readFile(path("a.tif")).startsWith("MM"));
  EXPECT_TRUE(readFile(path("a.jpg")).startsWith("\xFF\xD8"));
  EXPECT_EQ(leftovers(dir).size(), 4);  // no temporary files left behind
}

TEST_F(FileDIB, JpegAtQualityHundredStaysCloseAndGreyIsGrey) {
  CDIB picture;
  ASSERT_TRUE(picture.Create(64, 48));
  picture.Clone(sample_pictures::gradient(64, 48));
  ASSERT_TRUE(files.MainSave(path("q100.jpeg"), picture, 100));
  CDIB back;
  ASSERT_TRUE(files.MainOpen(path("q100.jpeg"), back));
  ASSERT_EQ(back.Width(), 64);
  ASSERT_EQ(back.Height(), 48);
  int worst = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(pixel(back, x, y)[c] - pixel(picture, x, y)[c]));
  EXPECT_LE(worst, 6);  // smooth picture, default 2 x 2 chroma sampling

  ASSERT_TRUE(files.MainSave(path("grey.jpg"), picture, 75, true));
  QImageReader reader(path("grey.jpg"));
  EXPECT_EQ(reader.imageFormat(), QImage::Format_Grayscale8);
  ASSERT_TRUE(files.MainOpen(path("grey.jpg"), back));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(pixel(back, x, y)[0], pixel(back, x, y)[1]);
      ASSERT_EQ(pixel(back, x, y)[1], pixel(back, x, y)[2]);
    }
  EXPECT_FALSE(files.MainSave(path("q0.jpg"), picture, 0));
  EXPECT_FALSE(files.MainSave(path("q101.jpg"), picture, 101));
}

TEST_F(FileDIB, TransparentGifAndIconPixelsComeOutOverWhite) {
  // A 2 x 1 GIF, red and blue, with blue (index 1) marked transparent.
  QByteArray gif("GIF89a");
  sample_pictures::putWords(gif, {2, 1});
  gif.append("\x80\x00\x00", 3);
  gif.append("\xFF\x00\x00\x00\x00\xFF", 6);
  gif.append("\x21\xF9\x04\x01\x00\x00\x01\x00", 8);  // transparent index 1
  gif.append('\x2C');
  sample_pictures::putWords(gif, {0, 0, 2, 1});
  gif.append('\x00');
  gif.append("\x02\x02\x44\x0A\x00", 5);  // clear, 0, 1, end at three bits per code
  gif.append('\x3B');
  ASSERT_TRUE(writeFile(path("clear.gif"), gif));
  CDIB image;
  ASSERT_TRUE(files.MainOpen(path("clear.gif"), image));
  ASSERT_EQ(image.Width(), 2);
  EXPECT_EQ(pixel(image, 0, 0)[2], 255);
  EXPECT_EQ(pixel(image, 0, 0)[0], 0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(pixel(image, 1, 0)[c], 255) << c;

  // An icon: opaque green, clear, and black at half cover.
  QImage icon(3, 1, QImage::Format_ARGB32);
  icon.setPixel(0, 0, qRgba(0, 255, 0, 255));
  icon.setPixel(1, 0, qRgba(0, 0, 0, 0));
  icon.setPixel(2, 0, qRgba(0, 0, 0, 128));
  ASSERT_TRUE(writeFile(path("clear.ico"), sample_pictures::encode(icon, "ico")));
  ASSERT_TRUE(files.MainOpen(path("clear.ico"), image));
  ASSERT_EQ(image.Width(), 3);
  EXPECT_EQ(pixel(image, 0, 0)[1], 255);
  EXPECT_EQ(pixel(image, 0, 0)[0], 0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(pixel(image, 1, 0)[c], 255) << c;
    EXPECT_EQ(pixel(image, 2, 0)[c], 127) << c;
  }
}

TEST_F(FileDIB, ReadsGifFirstFrameIconLargestImageAndMetafilesAtNaturalSize) {
  ASSERT_TRUE(writeFile(path("two.gif"), sample_pictures::twoFrameGif()));
  ASSERT_TRUE(writeFile(path("two.ico"), sample_pictures::twoSizeIcon()));
  ASSERT_TRUE(writeFile(path("red.wmf"), sample_pictures::redRectangleWmf()));
  ASSERT_TRUE(writeFile(path("red.emf"), sample_pictures::redRectangleEmf()));
  CDIB image;
  ASSERT_TRUE(files.MainOpen(path("two.gif"), image));
  EXPECT_EQ(image.Width(), 1);
  EXPECT_EQ(pixel(image, 0, 0)[2], 255);  // red, the first frame
  EXPECT_EQ(pixel(image, 0, 0)[0], 0);

  ASSERT_TRUE(files.MainOpen(path("two.ico"), image));
  EXPECT_EQ(image.Width(), 48);
  EXPECT_EQ(image.Height(), 48);
  EXPECT_EQ(pixel(image, 24, 24)[0], 255);

  for (const char* name : {"red.wmf", "red.emf"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(files.MainOpen(path(name), image));
    EXPECT_NEAR(image.Width(), 100, 1);
    EXPECT_NEAR(image.Height(), 50, 1);
    const uint8_t* centre = pixel(image, image.Width() / 2, image.Height() / 2);
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(centre[0], 0);
  }
}

TEST_F(FileDIB, FailedOpenLeavesTheImageAsItWas) {
  const QByteArray png = sample_pictures::encode(sample_pictures::gradient(4, 4), "png");
  const QByteArray jpeg = sample_pictures::encode(sample_pictures::gradient(4, 4), "jpeg");
  const QByteArray bmp = sample_pictures::encode(sample_pictures::gradient(40, 40), "bmp");
  CDIB source;
  fillRandom(source, 6, 6, 1);
  ASSERT_TRUE(files.MainSave(path("good.pcx"), source));
  ASSERT_TRUE(files.MainSave(path("good.tif"), source));
  const QByteArray pcx = readFile(path("good.pcx")), tif = readFile(path("good.tif"));

  const std::pair<const char*, QByteArray> cases[] = {
      {"png.bmp", png},
      {"png.jpg", png},
      {"jpeg.gif", jpeg},
      {"pcx.tif", pcx},
      {"tif.pcx", tif},
      {"text.wmf", "not a metafile"},
      {"text.emf", "not a metafile"},
      {"empty.bmp", ""},
      {"short.pcx", pcx.left(pcx.size() - 3)},
      {"short.tif", tif.left(tif.size() / 2)},
      {"short.bmp", bmp.left(60)},
      {"good.psd", png},
      {"noextension", png},
      {"half.wmf", sample_pictures::redRectangleWmf().left(30)},
      {"half.emf", sample_pictures::redRectangleEmf().left(100)},
      {"short.jpg", jpeg.left(jpeg.size() - 10)},
      // A placeable WMF whose header asks for gigabytes of tables.
      {"lying.wmf",
       QByteArray::fromBase64(
           "BNfNxpoAAAAAAABkADIAYAAAAAAAJ1cBAAkAAAMoAABmcmFjdGlvAAEABwAAAAAABQAAAAsCAAAAAAUAAAAMAjIAZAAH"
           "AAAA/AIAAP8AAAAAAAQAAAAtAQAABwAAABsEMgBkAAAAAAADAAAAAAA=")
           .mid(1)},
      {"short.gif", sample_pictures::twoFrameGif().left(20)},
      {"short.ico", sample_pictures::twoSizeIcon().left(60)},
  };
  CDIB image, before;
  fillRandom(image, 3, 2, 9);
  fillRandom(before, 3, 2, 9);
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(writeFile(path(name), bytes));
    EXPECT_FALSE(files.MainOpen(path(name), image));
    EXPECT_TRUE(sameBytes(image, before));
  }
  ASSERT_TRUE(QDir(dir.path()).mkpath("folder.bmp"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("my.pics"));
  ASSERT_TRUE(writeFile(path("my.pics/readme"), png));
  for (const char* name : {"folder.bmp", "missing.bmp", "my.pics/readme"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(files.MainOpen(path(name), image));
    EXPECT_TRUE(sameBytes(image, before));
  }
  EXPECT_FALSE(files.MainOpen("", image));
  if (::geteuid() != 0) {  // root reads everything
    ASSERT_TRUE(QFile::copy(path("good.pcx"), path("locked.pcx")));
    QFile::setPermissions(path("locked.pcx"), QFileDevice::WriteOwner);
    EXPECT_FALSE(files.MainOpen(path("locked.pcx"), image));
    EXPECT_TRUE(sameBytes(image, before));
  }
}

TEST_F(FileDIB, FailedSaveLeavesAnExistingFileByteIdentical) {
  CDIB picture;
  fillRandom(picture, 5, 5, 3);
  const QByteArray original = "the old picture";
  for (const char* name : {"old.jpg", "old.psd", "old"}) ASSERT_TRUE(writeFile(path(name), original));

  EXPECT_FALSE(files.MainSave(path("old.jpg"), picture, 0));  // the encoder refuses quality 0
  EXPECT_FALSE(files.MainSave(path("old.psd"), picture));     // not a format we write
  EXPECT_FALSE(files.MainSave(path("old"), picture));         // no extension
  CDIB empty;
  EXPECT_FALSE(files.MainSave(path("old.jpg"), empty));  // nothing to write
  for (const char* name : {"old.jpg", "old.psd", "old"}) EXPECT_EQ(readFile(path(name)), original) << name;
  EXPECT_EQ(leftovers(dir).size(), 3);

  EXPECT_FALSE(files.MainSave(path("no such folder/new.bmp"), picture));
  ASSERT_TRUE(QDir(dir.path()).mkpath("taken.bmp"));
  EXPECT_FALSE(files.MainSave(path("taken.bmp"), picture));
  EXPECT_TRUE(QFileInfo(path("taken.bmp")).isDir());

  // A successful save replaces the file and keeps its permissions.
  QFile::setPermissions(path("old.jpg"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
  ASSERT_TRUE(files.MainSave(path("old.jpg"), picture));
  EXPECT_NE(readFile(path("old.jpg")), original);
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(path("old.jpg")).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FileDIB, WriteSpaceFollowsTheTargetFolder) {
  EXPECT_TRUE(files.CheckWriteSpace(path("x.bmp"), 1000));
  EXPECT_FALSE(files.CheckWriteSpace(path("nowhere/x.bmp"), 1000));
  ASSERT_TRUE(writeFile(path("plain"), "a file, not a folder"));
  EXPECT_FALSE(files.CheckWriteSpace(path("plain/y.bmp"), 1000));
}

TEST_F(FileDIB, PcxAndTiffWithZeroOrMissingSizeAreRejectedBeforeTheImageIsTouched) {
  CDIB image, before;
  fillRandom(image, 2, 2, 5);
  fillRandom(before, 2, 2, 5);
  QByteArray header(128, '\0');
  header[0] = 0x0A, header[1] = 5, header[2] = 1, header[3] = 8, header[65] = 3;
  ASSERT_TRUE(writeFile(path("zero.pcx"), header + QByteArray(10, '\0')));
  EXPECT_FALSE(files.PCX2DIB(image, path("zero.pcx")));
  EXPECT_FALSE(files.GetTIFF(path("zero.pcx"), image));
  EXPECT_TRUE(sameBytes(image, before));
  int32_t w = 0, h = 0;
  EXPECT_FALSE(files.GetPcxWH(path("missing.pcx"), w, h));
  EXPECT_FALSE(files.GetTIFFWH(path("missing.tif"), w, h));
}
