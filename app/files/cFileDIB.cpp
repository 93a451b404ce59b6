#include "cFileDIB.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "BmpCodec.h"
#include "DynamicLibrary.h"
#include "FileHelpers.h"
#include "Metafile.h"
#include "cEffectDIB.h"
#include "ostrel.h"

namespace orvane {

namespace {

// Qt's readers refuse pictures above this many megabytes; ours may be as
// large as a signed 32-bit byte count allows. QT_IMAGEIO_MAXALLOC still wins.
constexpr int kReaderLimitMegabytes = 2048;

int readerLimitMegabytes() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (qEnvironmentVariableIsEmpty("QT_IMAGEIO_MAXALLOC"))
      QImageReader::setAllocationLimit(kReaderLimitMegabytes);
  });
  return QImageReader::allocationLimit();
}

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }

// Paths are made absolute first: the extension rule skips the first two
// characters, which only holds for full paths.
QString fullPath(const QString& FileName) {
  return FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
}

template <typename Fn>
Fn* ostrelFunction(const char* name) {
  return ostrelLibrary().resolveAs<Fn>(name);
}

uint32_t le32(const QByteArray& b, qsizetype at) {
  uint32_t v = 0;
  std::memcpy(&v, b.constData() + at, 4);
  return v;
}

// Qt's readers fill whatever a cut-off file lacks; a truncated file is refused here.
bool looksComplete(const QByteArray& data, const char* format) {
  if (std::strcmp(format, "bmp") == 0) {
    if (data.size() < 30 || !data.startsWith("BM")) return false;
    const uint32_t offset = le32(data, 10), headerSize = le32(data, 14);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0;
    if (headerSize == 12) {
      width = static_cast<uint16_t>(le32(data, 18) & 0xffff);
      height = static_cast<uint16_t>(le32(data, 20) & 0xffff);
      bits = le32(data, 24) & 0xffff;
    } else {
      if (data.size() < 34) return false;
      width = static_cast<int32_t>(le32(data, 18));
      height = static_cast<int32_t>(le32(data, 22));
      bits = le32(data, 28) & 0xffff;
      compression = le32(data, 30);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0) return true;  // run-length and embedded data: Qt checks
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return int64_t{offset} + rowBytes * std::abs(height) <= data.size();
  }
  if (std::strcmp(format, "jpeg") == 0) {
    // The last scan must be followed by the end-of-image marker.
    const qsizetype lastScan = data.lastIndexOf("\xFF\xDA");
    return lastScan >= 0 && data.lastIndexOf("\xFF\xD9") > lastScan;
  }
  return true;
}

// Reads with exactly the named Qt format: content of another format is refused.
bool readWithQt(const QString& path, const char* format, CDIB& xDIB) {
  const int limitMegabytes = readerLimitMegabytes();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64{limitMegabytes} << 20)) return false;
  QByteArray data = file.readAll();
  if (data.size() != file.size() || !looksComplete(data, format)) return false;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(false);
  QImage picture;
  if (std::strcmp(format, "ico") == 0 && reader.imageCount() > 1) {
    // Icons hold several pictures; the largest is the one to edit.
    const int count = reader.imageCount();
    for (int i = 0; i < count; ++i) {
      if (!reader.jumpToImage(i)) break;
      QImage candidate = reader.read();
      if (candidate.isNull()) continue;
      const qint64 area = qint64{candidate.width()} * candidate.height();
      if (picture.isNull() || area > qint64{picture.width()} * picture.height())
        picture = std::move(candidate);
    }
  } else {
    picture = reader.read();  // GIF: the first frame
  }
  if (picture.isNull()) return false;
  xDIB.Cls();
  xDIB.Clone(picture, true);
  return xDIB.DIBPointer() != nullptr && xDIB.Width() == picture.width() && xDIB.Height() == picture.height();
}

bool readMetafile(const QString& path, MetafileKind kind, CDIB& xDIB) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 limit = qint64{readerLimitMegabytes()} << 20;
  if (file.size() > limit) return false;
  const QByteArray data = file.readAll();
  if (data.size() != file.size()) return false;
  const QImage picture = RenderMetafile(data, kind, limit);
  if (picture.isNull()) return false;
  xDIB.Cls();
  xDIB.Clone(picture, true);
  return xDIB.DIBPointer() != nullptr && xDIB.Width() == picture.width() && xDIB.Height() == picture.height();
}

void swapRedBlue(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  for (int32_t row = 0; row < xDIB.Height(); ++row) {
    uint8_t* p = xDIB.DIBPointer() + static_cast<size_t>(row) * xDIB.SRB();
    for (int32_t x = 0; x < xDIB.Width(); ++x, p += 3) std::swap(p[0], p[2]);
  }
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

bool cFileDIB::CheckWriteSpace(const QString& FileName, int32_t RGBSize) {
  const QString drive = GetDrive(fullPath(FileName));
  if (drive.isEmpty()) return false;
  const int64_t free = GetFreeSpace(drive);
  if (free == -1) return false;
  return 3 * int64_t{RGBSize} < free;
}

bool cFileDIB::MainOpen(const QString& FileName, CDIB& xDIB) {
  try {
    const QString path = fullPath(FileName);
    if (!FileExists(path)) return false;
    const QString ext = GetExtension(path).toLower();
    if (ext.isEmpty()) return false;
    CDIB decoded;
    bool ok = false;
    if (ext == "bmp") {
      // Our reader first; layouts it does not handle go to Qt's.
      FileReport report;
      ok = ReadBmpFile(path, decoded, OpenOptions{}, report);
      if (!ok && report.error.isEmpty()) ok = readWithQt(path, "bmp", decoded);
    } else if (ext == "jpg" || ext == "jpeg") {
      ok = readWithQt(path, "jpeg", decoded);
    } else if (ext == "gif") {
      ok = readWithQt(path, "gif", decoded);
    } else if (ext == "ico") {
      ok = readWithQt(path, "ico", decoded);
    } else if (ext == "wmf") {
      ok = readMetafile(path, MetafileKind::Wmf, decoded);
    } else if (ext == "emf") {
      ok = readMetafile(path, MetafileKind::Emf, decoded);
    } else if (ext == "tif" || ext == "tiff") {
      ok = GetTIFF(path, decoded);
    } else if (ext == "pcx") {
      ok = PCX2DIB(decoded, path);
    }
    if (!ok || decoded.DIBPointer() == nullptr) return false;
    // The decoded picture and the old one change places: nothing is allocated,
    // so the old picture cannot be lost half way.
    xDIB.Swap(decoded);
    return true;
  } catch (...) {
    return false;
  }
}

bool cFileDIB::MainSave(const QString& FileName, CDIB& xDIB, int16_t Quality, bool GreyScale) {
  try {
    const QString path = fullPath(FileName);
    if (!CheckWriteSpace(path, xDIB.RGBSize())) return false;
    const QString ext = GetExtension(path).toLower();
    if (ext.isEmpty()) return false;
    const bool jpeg = ext == "jpg" || ext == "jpeg", pcx = ext == "pcx", tiff = ext == "tif" || ext == "tiff",
               bmp = ext == "bmp";
    if (!jpeg && !pcx && !tiff && !bmp) return false;
    if (xDIB.DIBPointer() == nullptr) return false;  // nothing to write
    if (QFileInfo(path).isDir()) return false;

    // Written beside the target and renamed over it only when complete, so a
    // failed save leaves an existing file as it was.
    QTemporaryFile temp(QFileInfo(path).absolutePath() + "/.orvane-save-XXXXXX");
    if (!temp.open()) return false;
    const QString tempName = temp.fileName();
    temp.close();

    bool ok = false;
    if (jpeg) {
      ok = DIB2JPEG(xDIB, tempName, GreyScale, Quality);
    } else if (pcx) {
      ok = DIB2PCX(xDIB, tempName);
    } else if (tiff) {
      ok = SaveTIFF(tempName, xDIB);
    } else {
      FileReport report;
      ok = WriteBmp(xDIB, tempName, report);
    }
    if (!ok) return false;

    struct stat existing {};
    const mode_t mode = ::stat(nativeName(path).constData(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                             : (0666 & ~currentUmask());
    ::chmod(nativeName(tempName).constData(), mode);
    if (std::rename(nativeName(tempName).constData(), nativeName(path).constData()) != 0) return false;
    temp.setAutoRemove(false);
    return true;
  } catch (...) {
    return false;
  }
}

bool cFileDIB::SaveTIFF(const QString& FileName, CDIB& xDIB) {
  auto* out = ostrelFunction<decltype(::OutTIF)>("OutTIF");
  if (xDIB.DIBPointer() == nullptr) return false;
  return out(nativeName(FileName).constData(), xDIB.DIBPointer(), xDIB.SRB(), xDIB.RGBSize(), xDIB.Width(),
             xDIB.Height(), OSTREL_BOTTOM_UP_BGR) != 0;
}

bool cFileDIB::GetTIFFWH(const QString& FileName, int32_t& W, int32_t& H) {
  auto* info = ostrelFunction<decltype(::GetTIFInfo)>("GetTIFInfo");
  return info(nativeName(FileName).constData(), &W, &H) != 0;
}

bool cFileDIB::GetTIFF(const QString& FileName, CDIB& xDIB) {
  int32_t W = 0, H = 0;
  if (!GetTIFFWH(FileName, W, H) || W == 0 || H == 0) return false;
  auto* decode = ostrelFunction<decltype(::GetTIF)>("GetTIF");
  xDIB.Cls();
  if (!xDIB.Create(W, H)) return false;
  return decode(nativeName(FileName).constData(), xDIB.DIBPointer(), xDIB.SRB(), OSTREL_BOTTOM_UP_BGR) != 0;
}

bool cFileDIB::GetPcxWH(const QString& FileName, int32_t& W, int32_t& H) {
  auto* info = ostrelFunction<decltype(::getpcxinfo)>("getpcxinfo");
  return info(nativeName(FileName).constData(), &W, &H) != 0;
}

bool cFileDIB::PCX2DIB(CDIB& xDIB, const QString& FileName) {
  int32_t W = 0, H = 0;
  if (!GetPcxWH(FileName, W, H) || W == 0 || H == 0) return false;
  auto* decode = ostrelFunction<decltype(::pcx2mem)>("pcx2mem");
  xDIB.Cls();
  if (!xDIB.Create(W, H)) return false;
  const bool ok = decode(nativeName(FileName).constData(), xDIB.DIBPointer(), xDIB.SRB()) != 0;
  // The decoder gives the top row first in red-green-blue order. The swap is
  // done here, row by row: the library's flat walk skips the last pixel of
  // images whose rows carry no padding.
  swapRedBlue(xDIB);
  cEffectDIB().FlipVer(xDIB);
  return ok;
}

bool cFileDIB::DIB2PCX(CDIB& xDIB, const QString& FileName) {
  auto* encode = ostrelFunction<decltype(::mem2pcx)>("mem2pcx");  // resolved before the image is flipped
  if (xDIB.DIBPointer() == nullptr) return false;
  cEffectDIB effects;
  effects.FlipVer(xDIB);
  const bool ok = encode(xDIB.DIBPointer(), xDIB.RGBSize(), xDIB.Width(), xDIB.Height(), xDIB.SRB(),
                         nativeName(FileName).constData()) != 0;
  effects.FlipVer(xDIB);
  return ok;
}

bool cFileDIB::DIB2JPEG(CDIB& xDIB, const QString& FileName, bool GreyScale, int32_t Quality) {
  auto* encode = ostrelFunction<decltype(::mem2jpeg)>("mem2jpeg");
  if (xDIB.DIBPointer() == nullptr) return false;
  const int32_t mode = GreyScale ? OSTREL_JPEG_GREY : OSTREL_JPEG_TRUE_COLOUR;
  return encode(xDIB.DIBPointer(), xDIB.RGBSize(), xDIB.Width(), xDIB.Height(), xDIB.SRB(), mode, Quality,
                nativeName(FileName).constData()) != 0;
}

}  // namespace orvane
