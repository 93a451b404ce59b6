// Crafted and damaged files: each is refused with the reason the user sees,
// or, where damage may be accepted, opened leniently with a warning.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "FileBytes.h"
#include "Metafile.h"
#include "SamplePictures.h"
#include "cFileDIB.h"

using namespace orvane;
using sample_pictures::put16;
using sample_pictures::put32;
using sample_pictures::putWords;

namespace {

using testing_support::writeFile;

struct Case {
  const char* name;  // the file name; its extension picks the reader
  QByteArray bytes;
  QString reason;         // the expected report.error
  int64_t maxPixels = 0;  // 0: the default budget
};

// A PCX header of width x height, 8 bits in three planes, followed by data.
QByteArray pcx(int width, int height, const QByteArray& data) {
  QByteArray b(128, '\0');
  b[0] = 0x0A, b[1] = 5, b[2] = 1, b[3] = 8, b[65] = 3;
  b[8] = static_cast<char>((width - 1) & 0xff), b[9] = static_cast<char>((width - 1) >> 8);
  b[10] = static_cast<char>((height - 1) & 0xff), b[11] = static_cast<char>((height - 1) >> 8);
  b[66] = static_cast<char>(width & 0xff), b[67] = static_cast<char>(width >> 8);
  return b + data;
}

// An icon entry as a bitmap: bits 4 (16-colour palette) or 32, one colour all over.
QByteArray iconBitmap(int size, int bits, QRgb colour) {
  QByteArray b;
  put32(b, 40);
  put32(b, size);
  put32(b, 2 * size);  // colour rows and mask rows
  putWords(b, {1, static_cast<uint32_t>(bits)});
  for (int i = 0; i < 6; ++i) put32(b, 0);
  const int rowBytes = (size * bits + 31) / 32 * 4;
  if (bits == 4) {
    put32(b, 0);
    put32(b, colour & 0xffffff);  // palette entry 1
    for (int i = 2; i < 16; ++i) put32(b, 0);
    b.append(QByteArray(rowBytes * size, '\x11'));
  } else {
    for (int i = 0; i < size * size; ++i) put32(b, 0xff000000u | colour);
  }
  b.append(QByteArray((size + 31) / 32 * 4 * size, '\0'));  // mask: all shown
  return b;
}

QByteArray icon(const std::vector<QByteArray>& bitmaps, int size) {
  QByteArray b;
  putWords(b, {0, 1, static_cast<uint32_t>(bitmaps.size())});
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(bitmaps.size());
  for (const QByteArray& bitmap : bitmaps) {
    b.append(static_cast<char>(size));
    b.append(static_cast<char>(size));
    b.append('\0');
    b.append('\0');
    putWords(b, {1, 0});  // the bit count is left to the bitmap's own header
    put32(b, static_cast<uint32_t>(bitmap.size()));
    put32(b, offset);
    offset += static_cast<uint32_t>(bitmap.size());
  }
  for (const QByteArray& bitmap : bitmaps) b.append(bitmap);
  return b;
}

// An EMF whose inclusive bounds run from 0 to (right, bottom), filled with one colour.
QByteArray emf(int32_t right, int32_t bottom, QRgb fill) {
  QByteArray b = sample_pictures::redRectangleEmf();
  auto set32 = [&b](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
  };
  set32(16, static_cast<uint32_t>(right));
  set32(20, static_cast<uint32_t>(bottom));
  set32(24 + 8, static_cast<uint32_t>((right + 1) * 2646 / 100));
  set32(24 + 12, static_cast<uint32_t>((bottom + 1) * 1323 / 50));
  set32(88 + 16, qBlue(fill) << 16 | qGreen(fill) << 8 | qRed(fill));  // the brush's colour reference
  set32(88 + 24 + 12 + 16, static_cast<uint32_t>(right));              // the rectangle
  set32(88 + 24 + 12 + 20, static_cast<uint32_t>(bottom));
  return b;
}

class HostileFiles : public testing::Test {
 protected:
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

  void expectRefused(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      ASSERT_TRUE(writeFile(path(c.name), c.bytes));
      CDIB image;
      ASSERT_TRUE(image.Create(3, 2));
      FileReport report;
      OpenOptions options;
      options.maxPixels = c.maxPixels;
      EXPECT_FALSE(files.MainOpen(path(c.name), image, options, report));
      EXPECT_EQ(report.error, c.reason);
      EXPECT_EQ(image.Width(), 3);  // the picture in hand is kept
    }
  }

  // Refused by default; with lenient, opened at its full size with the damage as a warning.
  void expectDamageAccepted(const char* name, const QByteArray& bytes, int width, int height) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(writeFile(path(name), bytes));
    CDIB image;
    FileReport report;
    EXPECT_FALSE(files.MainOpen(path(name), image, OpenOptions{}, report));
    EXPECT_EQ(report.error, kDamaged);
    OpenOptions lenient;
    lenient.lenient = true;
    ASSERT_TRUE(files.MainOpen(path(name), image, lenient, report)) << report.error.toStdString();
    EXPECT_EQ(report.warning, kDamaged);
    EXPECT_EQ(image.Width(), width);
    EXPECT_EQ(image.Height(), height);
  }

  QTemporaryDir dir;
  cFileDIB files;
};

const QString kTooLarge(int w, int h) { return TooLargeReason(w, h); }

}  // namespace

TEST_F(HostileFiles, AnyFormatMissingOfUnknownTypeOrNotARegularFile) {
  ASSERT_EQ(::mkdir(path("folder.bmp").toLocal8Bit().constData(), 0700), 0);
  ASSERT_EQ(::mkfifo(path("pipe.jpg").toLocal8Bit().constData(), 0600), 0);  // nobody writes: must not wait
  ASSERT_EQ(::symlink("/dev/zero", path("zero.bmp").toLocal8Bit().constData()), 0);
  ASSERT_TRUE(
      writeFile(path("picture.psd"), sample_pictures::encode(sample_pictures::gradient(2, 2), "png")));
  const struct {
    const char* name;
    const char* reason;
  } cases[] = {{"absent.tif", kNoSuchFile},
               {"folder.bmp", kNotAFile},
               {"pipe.jpg", kNotAFile},
               {"zero.bmp", kNotAFile},
               {"picture.psd", kUnknownFormat}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDIB image;
    FileReport report;
    EXPECT_FALSE(files.MainOpen(path(c.name), image, OpenOptions{}, report));
    EXPECT_EQ(report.error, c.reason);
  }
}

TEST_F(HostileFiles, TiffRefusedCodecsSizesAndDamage) {
  const QByteArray pixels(4 * 2 * 3, '\x40');
  expectRefused({
      {"text.tif", "hello, world", NotFormatReason("TIFF")},
      {"cut.tif", QByteArray("II*\0\x08\0\0\0\x09\0", 10), kDamaged},
      {"jbig.tif", sample_pictures::stripTiff(4, 2, 34661, pixels), kUnsupportedTiffCompression},
      {"oldjpeg.tif", sample_pictures::stripTiff(4, 2, 6, pixels), kUnsupportedTiffCompression},
      {"vendor.tif", sample_pictures::stripTiff(4, 2, 32809, pixels), kUnsupportedTiffCompression},
      {"big.tif", sample_pictures::stripTiff(4000, 2, 1, QByteArray(4000 * 2 * 3, '\0')), kTooLarge(4000, 2),
       7999},
  });
  // Uncompressed and complete: the same file opens.
  ASSERT_TRUE(writeFile(path("plain.tif"), sample_pictures::stripTiff(4, 2, 1, pixels)));
  CDIB image;
  ASSERT_TRUE(files.MainOpen(path("plain.tif"), image));
  EXPECT_EQ(image.DIBPointer()[0], 0x40);

  // A deflate strip cut short: a codec error while decoding.
  CDIB picture;
  ASSERT_TRUE(picture.Create(64, 64));
  for (size_t i = 0; i < picture.ByteCount(); ++i)
    picture.DIBPointer()[i] = static_cast<uint8_t>(i * 7 + i / 91);
  ASSERT_TRUE(files.MainSave(path("whole.tif"), picture));
  QFile whole(path("whole.tif"));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  QByteArray bytes = whole.readAll();
  // Our writer puts the directory after the strips: cut inside the strip
  // data and keep the directory where its offset points by zeroing instead.
  const qsizetype stripStart = 8, stripLength = bytes.size() / 2;
  for (qsizetype i = stripStart + stripLength / 2; i < stripStart + stripLength; ++i) bytes[i] = 0;
  expectDamageAccepted("damaged.tif", bytes, 64, 64);
}

TEST_F(HostileFiles, PcxForeignOversizedAndTruncated) {
  const QByteArray rows(5 * 3 * 4, '\x01');  // 5 x 4, three planes, literal bytes
  expectRefused({
      {"text.pcx", "hello, world", NotFormatReason("PCX")},
      {"short.pcx", QByteArray("\x0A\x05\x01\x08", 4), kDamaged},
      {"inverted.pcx", pcx(0, 4, rows), kDamaged},
      {"big.pcx", pcx(5, 4, rows), kTooLarge(5, 4), 19},
  });
  expectDamageAccepted("cut.pcx", pcx(5, 4, rows.left(rows.size() - 7)), 5, 4);
}

TEST_F(HostileFiles, GifTruncatedOrOversized) {
  const QByteArray gif = sample_pictures::twoFrameGif();
  QByteArray huge = gif;
  huge[6] = '\x60', huge[7] = '\xEA', huge[8] = '\x60', huge[9] = '\xEA';  // 60000 x 60000
  QByteArray bomb = gif;
  bomb[6] = '\x40', bomb[7] = '\x1F', bomb[8] = '\x40', bomb[9] = '\x1F';  // 8000 x 8000 from a few bytes
  expectRefused({
      {"bomb.gif", bomb, kDamaged},
      {"text.gif", "hello, world", NotFormatReason("GIF")},
      {"header.gif", gif.left(13), kDamaged},
      {"huge.gif", huge, kTooLarge(60000, 60000)},
  });
  // Cut inside the first frame's data: refused, or opened as far as it goes.
  const qsizetype firstData = gif.indexOf('\x2C') + 10 + 1;
  expectDamageAccepted("cut.gif", gif.left(firstData + 2), 1, 1);
}

TEST_F(HostileFiles, IconPicksTheMostColoursAmongTheLargestAndChecksTheBudget) {
  const QRgb fine = qRgb(201, 102, 53), coarse = qRgb(128, 0, 0);
  // Same size: the 32-bit entry wins over the 4-bit one wherever it stands.
  for (const auto& order : {std::vector<QByteArray>{iconBitmap(16, 4, coarse), iconBitmap(16, 32, fine)},
                            std::vector<QByteArray>{iconBitmap(16, 32, fine), iconBitmap(16, 4, coarse)}}) {
    ASSERT_TRUE(writeFile(path("pair.ico"), icon(order, 16)));
    CDIB image;
    ASSERT_TRUE(files.MainOpen(path("pair.ico"), image));
    const uint8_t* p = image.DIBPointer() + image.SRB() * 8 + 3 * 8;
    EXPECT_EQ(qRgb(p[2], p[1], p[0]), fine);
  }
  // A larger 4-bit entry still wins over a smaller 32-bit one.
  ASSERT_TRUE(writeFile(path("sizes.ico"), icon({iconBitmap(8, 32, fine), iconBitmap(24, 4, coarse)}, 0)));
  CDIB image;
  ASSERT_TRUE(files.MainOpen(path("sizes.ico"), image));
  EXPECT_EQ(image.Width(), 24);

  QByteArray huge = icon({iconBitmap(16, 32, fine)}, 16);
  huge[6 + 16 + 4] = '\x50', huge[6 + 16 + 5] = '\xC3';  // the bitmap claims 50000 pixels wide
  expectRefused({
      {"text.ico", "hello, world", NotFormatReason("ICO")},
      {"nodirectory.ico", QByteArray("\0\0\1\0\5\0", 6), kDamaged},
      {"huge.ico", huge, kTooLarge(50000, 16), 799999},
  });
}

TEST_F(HostileFiles, MetafilesKeepColoursAndBoundsAndRefuseEmptyFrames) {
  const QRgb colour = qRgb(200, 100, 50);
  ASSERT_TRUE(writeFile(path("fill.wmf"), sample_pictures::filledWmf(0, 0, 120, 60, colour)));
  ASSERT_TRUE(writeFile(path("fill.emf"), emf(199, 99, colour)));
  CDIB image;
  ASSERT_TRUE(files.MainOpen(path("fill.wmf"), image));
  EXPECT_EQ(image.Width(), 120);
  const uint8_t* p = image.DIBPointer() + image.SRB() * 30 + 3 * 60;
  EXPECT_EQ(qRgb(p[2], p[1], p[0]), colour);
  ASSERT_TRUE(files.MainOpen(path("fill.emf"), image));
  EXPECT_EQ(image.Width(), 200);  // bounds 0..199 are inclusive
  EXPECT_EQ(image.Height(), 100);
  p = image.DIBPointer() + image.SRB() * 50 + 3 * 100;
  EXPECT_EQ(qRgb(p[2], p[1], p[0]), colour);

  // A frame far larger than a screen is drawn with its longer side at the limit.
  ASSERT_TRUE(writeFile(path("wide.wmf"), sample_pictures::filledWmf(0, 0, 30000, 300, colour)));
  ASSERT_TRUE(files.MainOpen(path("wide.wmf"), image));
  EXPECT_EQ(image.Width(), kMaxMetafileSide);
  EXPECT_NEAR(image.Height(), 82, 1);

  expectRefused({
      {"inverted.wmf", sample_pictures::filledWmf(100, 0, 0, 50, colour), kDamaged},
      {"empty.wmf", sample_pictures::filledWmf(10, 10, 10, 60, colour), kDamaged},
      {"inverted.emf", emf(-5, 99, colour), kDamaged},
      {"text.emf", "hello, world", NotFormatReason("EMF")},
      {"big.emf", emf(199, 99, colour), kTooLarge(200, 100), 19999},
  });
}
