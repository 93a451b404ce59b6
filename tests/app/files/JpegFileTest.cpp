// JPEG files as cameras write them: EXIF orientation, embedded colour
// profiles, data after the end marker, and damage.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <QFile>
#include <QTemporaryDir>

#include "FileBytes.h"
#include "Orientations.h"
#include "PictureFormats.h"
#include "WideGamutProfile.h"
#include "cFileDIB.h"

using namespace orvane;

namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The upright test picture: 3 x 2 blocks of 16 x 16 pixels, six colours.
constexpr int kBlock = 16, kUprightW = 3 * kBlock, kUprightH = 2 * kBlock;
const uint8_t kColours[6][3] = {{230, 30, 30},  {30, 200, 40},   {40, 50, 220},
                                {240, 240, 60}, {250, 250, 250}, {20, 20, 20}};

const uint8_t* uprightColour(int x, int y) { return kColours[(y / kBlock) * 3 + x / kBlock]; }

void setRgb(CDIB& dib, int x, int y, const uint8_t* rgb) {
  uint8_t* p = dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
  p[0] = rgb[2];
  p[1] = rgb[1];
  p[2] = rgb[0];
}
std::vector<int> rgbAt(const CDIB& dib, int x, int y) {
  const uint8_t* p = dib.DIBPointer() + static_cast<size_t>(dib.Height() - 1 - y) * dib.SRB() + 3 * x;
  return {p[2], p[1], p[0]};
}

// The stored picture for an EXIF orientation.
void storedFor(int orientation, CDIB& stored) {
  const bool turned = orientation >= 5;
  ASSERT_TRUE(stored.Create(turned ? kUprightH : kUprightW, turned ? kUprightW : kUprightH));
  for (int sy = 0; sy < stored.Height(); ++sy)
    for (int sx = 0; sx < stored.Width(); ++sx) {
      int x = 0, y = 0;
      testing_support::uprightPosition(orientation, kUprightW, kUprightH, sx, sy, x, y);
      setRgb(stored, sx, sy, uprightColour(x, y));
    }
}

// An APP1 EXIF segment holding only the orientation, in either byte order.
QByteArray exifSegment(int orientation, bool bigEndian) {
  const auto u16 = [&](int v) {
    QByteArray two(2, '\0');
    two[bigEndian ? 0 : 1] = static_cast<char>(v >> 8);
    two[bigEndian ? 1 : 0] = static_cast<char>(v);
    return two;
  };
  const auto u32 = [&](int v) { return bigEndian ? u16(v >> 16) + u16(v) : u16(v) + u16(v >> 16); };
  QByteArray tiff = bigEndian ? QByteArray("MM\0*", 4) : QByteArray("II*\0", 4);
  tiff += u32(8) + u16(2);                                            // IFD0 at 8, two entries
  tiff += u16(0x011A) + u16(5) + u32(1) + u32(38);                    // XResolution (a rational elsewhere)
  tiff += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);  // Orientation
  tiff += u32(0) + u32(72) + u32(1);                                  // no next IFD; the rational
  const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
  const int length = body.size() + 2;
  return QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length) + body;
}

QByteArray afterSoi(const QByteArray& jpeg, const QByteArray& segments) {
  return jpeg.left(2) + segments + jpeg.mid(2);
}

QByteArray encodeJpeg(CDIB& picture, const QTemporaryDir& dir, int quality = 100) {
  const QString name = dir.filePath("encoded.jpg");
  if (!cFileDIB().DIB2JPEG(picture, name, false, quality)) return {};
  return readFile(name);
}

// Block centres only: JPEG blurs colours across the block edges.
void expectUpright(const CDIB& picture) {
  ASSERT_EQ(picture.Width(), kUprightW);
  ASSERT_EQ(picture.Height(), kUprightH);
  for (int by = 0; by < 2; ++by)
    for (int bx = 0; bx < 3; ++bx)
      for (int dy = 5; dy <= 10; dy += 5)
        for (int dx = 5; dx <= 10; dx += 5) {
          const int x = bx * kBlock + dx, y = by * kBlock + dy;
          const std::vector<int> got = rgbAt(picture, x, y);
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], uprightColour(x, y)[c], 12) << x << "," << y;
        }
}

QByteArray iccSegments(const QByteArray& profile) {
  const int length = profile.size() + 2 + 14;
  return QByteArray("\xFF\xE2", 2) + char(length >> 8) + char(length) + QByteArray("ICC_PROFILE\0", 12) +
         char(1) + char(1) + profile;
}

}  // namespace

TEST(JpegFile, EachOfTheEightOrientationsOpensUpright) {
  QTemporaryDir dir;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(testing::Message() << "orientation " << orientation << (bigEndian ? " MM" : " II"));
      CDIB stored;
      storedFor(orientation, stored);
      const QByteArray file = afterSoi(encodeJpeg(stored, dir), exifSegment(orientation, bigEndian));
      CDIB picture;
      FileReport report;
      ASSERT_TRUE(ReadJpeg(file, picture, OpenOptions{}, report)) << report.error.toStdString();
      expectUpright(picture);
    }
  }
  // Through the program's open, and out again: a save carries no orientation.
  CDIB stored;
  storedFor(6, stored);
  ASSERT_TRUE(writeFile(dir.filePath("phone.jpg"), afterSoi(encodeJpeg(stored, dir), exifSegment(6, true))));
  cFileDIB files;
  CDIB picture;
  ASSERT_TRUE(files.MainOpen(dir.filePath("phone.jpg"), picture));
  ASSERT_TRUE(files.MainSave(dir.filePath("again.jpg"), picture, 100));
  ASSERT_TRUE(files.MainOpen(dir.filePath("again.jpg"), picture));
  expectUpright(picture);

  // A malformed EXIF block (IFD beyond its end) is no reason to refuse the picture.
  QByteArray broken = exifSegment(6, false);
  broken[14] = char(0x7f);  // first IFD offset far past the block
  CDIB plain;
  storedFor(1, plain);
  FileReport report;
  ASSERT_TRUE(ReadJpeg(afterSoi(encodeJpeg(plain, dir), broken), picture, OpenOptions{}, report));
  expectUpright(picture);
}

TEST(JpegFile, AnEmbeddedProfileChangesTheColoursAndABadOneIsIgnored) {
  QTemporaryDir dir;
  CDIB flat;
  ASSERT_TRUE(flat.Create(32, 32));
  const uint8_t green[3] = {60, 160, 60};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) setRgb(flat, x, y, green);
  const QByteArray jpeg = encodeJpeg(flat, dir);
  CDIB plain, converted, ignored;
  FileReport report;
  ASSERT_TRUE(ReadJpeg(jpeg, plain, OpenOptions{}, report));

  // Mid green in a wide-gamut profile is a much more saturated green in sRGB.
  const QByteArray icc = wideGamutProfile();
  ASSERT_FALSE(icc.isEmpty());
  ASSERT_TRUE(ReadJpeg(afterSoi(jpeg, iccSegments(icc)), converted, OpenOptions{}, report));
  const std::vector<int> before = rgbAt(plain, 16, 16), after = rgbAt(converted, 16, 16);
  EXPECT_LT(after[0], before[0] - 15);  // less red: greener than before
  EXPECT_NEAR(after[1], before[1], 20);

  QByteArray garbage(300, 'x');
  ASSERT_TRUE(ReadJpeg(afterSoi(jpeg, iccSegments(garbage)), ignored, OpenOptions{}, report));
  EXPECT_EQ(std::memcmp(ignored.DIBPointer(), plain.DIBPointer(), plain.ByteCount()), 0);
}

TEST(JpegFile, DataAfterTheEndIsIgnoredAndDamageIsRefusedUnlessLenient) {
  QTemporaryDir dir;
  CDIB stored;
  storedFor(1, stored);
  const QByteArray jpeg = encodeJpeg(stored, dir, 90);
  CDIB clean, picture;
  FileReport report;
  ASSERT_TRUE(ReadJpeg(jpeg, clean, OpenOptions{}, report));

  // A motion photo's video, or any bytes (even JPEG markers), after the end marker.
  for (const QByteArray& tail :
       {QByteArray(5000, '\0'), QByteArray("\xFF\xD8\xFF\xDA\x00\x02junk\xFF\xD9", 12), jpeg}) {
    ASSERT_TRUE(ReadJpeg(jpeg + tail, picture, OpenOptions{}, report)) << report.error.toStdString();
    EXPECT_TRUE(report.warning.isEmpty());
    EXPECT_EQ(std::memcmp(picture.DIBPointer(), clean.DIBPointer(), clean.ByteCount()), 0);
  }

  const qsizetype scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
  ASSERT_GT(scan, 0);
  const QByteArray cut = jpeg.left(scan + (jpeg.size() - scan) / 2);  // half of the picture's data
  report = {};
  CDIB untouched;
  EXPECT_FALSE(ReadJpeg(cut, untouched, OpenOptions{}, report));
  EXPECT_EQ(report.error, kDamaged);
  EXPECT_EQ(untouched.DIBPointer(), nullptr);
  OpenOptions lenient;
  lenient.lenient = true;
  report = {};
  ASSERT_TRUE(ReadJpeg(cut, picture, lenient, report)) << report.error.toStdString();
  EXPECT_EQ(report.warning, kDamaged);
  EXPECT_EQ(rgbAt(picture, 8, 8), rgbAt(clean, 8, 8));  // the top arrived

  report = {};
  EXPECT_FALSE(ReadJpeg(QByteArray("BM not a jpeg at all"), picture, OpenOptions{}, report));
  EXPECT_EQ(report.error.toStdString(), NotFormatReason("JPEG").toStdString());
  OpenOptions small;
  small.maxPixels = 100;
  report = {};
  EXPECT_FALSE(ReadJpeg(jpeg, untouched, small, report));
  EXPECT_EQ(report.error.toStdString(), TooLargeReason(kUprightW, kUprightH).toStdString());
}

TEST(JpegFile, AGreyProfileConvertsGreyPicturesOnly) {
  QTemporaryDir dir;
  // A linear grey profile: its mid grey is a light grey in sRGB.
  cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
  cmsHPROFILE greyProfile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
  cmsUInt32Number length = 0;
  ASSERT_TRUE(cmsSaveProfileToMem(greyProfile, nullptr, &length));
  QByteArray icc(static_cast<qsizetype>(length), '\0');
  ASSERT_TRUE(cmsSaveProfileToMem(greyProfile, icc.data(), &length));
  cmsCloseProfile(greyProfile);
  cmsFreeToneCurve(linear);

  CDIB flat;
  ASSERT_TRUE(flat.Create(16, 16));
  std::memset(flat.DIBPointer(), 128, static_cast<size_t>(flat.ByteCount()));
  const QString greyName = dir.filePath("grey.jpg");
  ASSERT_TRUE(cFileDIB().DIB2JPEG(flat, greyName, true, 100));
  CDIB picture;
  FileReport report;
  ASSERT_TRUE(ReadJpeg(afterSoi(readFile(greyName), iccSegments(icc)), picture, OpenOptions{}, report));
  const std::vector<int> grey = rgbAt(picture, 8, 8);
  EXPECT_NEAR(grey[0], 188, 4);  // sRGB's encoding of linear 0.5
  EXPECT_EQ(grey[0], grey[1]);
  EXPECT_EQ(grey[1], grey[2]);

  // On a colour picture the grey profile describes nothing: ignored.
  CDIB colour, plain;
  storedFor(1, colour);
  const QByteArray jpeg = encodeJpeg(colour, dir);
  ASSERT_TRUE(ReadJpeg(jpeg, plain, OpenOptions{}, report));
  ASSERT_TRUE(ReadJpeg(afterSoi(jpeg, iccSegments(icc)), picture, OpenOptions{}, report));
  EXPECT_EQ(std::memcmp(picture.DIBPointer(), plain.DIBPointer(), plain.ByteCount()), 0);
}
