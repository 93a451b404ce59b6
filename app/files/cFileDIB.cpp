#include "cFileDIB.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "BmpCodec.h"
#include "ColourProfile.h"
#include "DynamicLibrary.h"
#include "FileHelpers.h"
#include "Metafile.h"
#include "PictureChecks.h"
#include "PictureFormats.h"
#include "SaveTarget.h"
#include "cEffectDIB.h"
#include "ostrel.h"

namespace orvane {

namespace {

// Qt's readers refuse pictures above this many megabytes. It is raised to
// what the pixel budget allows, so that the budget, checked first, is the
// limit the user meets.
constexpr int kReaderLimitMegabytes = 2048;

int readerLimitMegabytes(int64_t budgetPixels = 0) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  // Qt holds a decoded picture in up to 8 bytes a pixel.
  const int64_t wanted =
      std::min<int64_t>(INT32_MAX, std::max<int64_t>(kReaderLimitMegabytes, (budgetPixels * 8 >> 20) + 1));
  if (QImageReader::allocationLimit() < wanted) QImageReader::setAllocationLimit(static_cast<int>(wanted));
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
  return true;
}

// Reads a whole regular file. A pipe or device is refused without waiting
// on it; so is a file larger than maxBytes.
bool readWholeFile(const QString& path, qint64 maxBytes, QByteArray& data, FileReport& report) {
  const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    report.error = errno == ENOENT ? QString::fromLatin1(kNoSuchFile)
                                   : CannotReadReason(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!ok) report.error = kNotAFile;
  if (ok && info.st_size > maxBytes) {
    ok = false;
    report.error = kNoMemory;
  }
  if (ok) {
    try {
      data.resize(static_cast<qsizetype>(info.st_size));
    } catch (const std::bad_alloc&) {
      ok = false;
      report.error = kNoMemory;
    }
  }
  for (qsizetype done = 0; ok && done < data.size();) {
    const ssize_t n = ::read(fd, data.data() + done, static_cast<size_t>(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      report.error = n == 0 ? QString::fromLatin1(kDamaged)
                            : CannotReadReason(QString::fromLocal8Bit(std::strerror(errno)));
    }
    done += std::max<ssize_t>(n, 0);
  }
  ::close(fd);
  return ok;
}

// A reader that failed without a reason: a file that does not start as its
// format does is of another format, otherwise it is damaged.
QString unexplainedOpenFailure(const QString& path, const QString& extension) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return QString::fromLatin1(kDamaged);
  const QByteArray head = file.read(64);
  if (!HasFormatSignature(head, extension)) return NotFormatReason(FormatNameForExtension(extension));
  return QString::fromLatin1(kDamaged);
}

// Damage found before decoding: refused, or noted when damage is accepted.
bool acceptDamage(const OpenOptions& options, FileReport& report) {
  if (!options.lenient) {
    report.error = kDamaged;
    return false;
  }
  report.warning = kDamaged;
  return true;
}

bool readWithQt(const QString& path, const char* format, CDIB& xDIB, const OpenOptions& options,
                FileReport& report) {
  const int64_t budget = options.maxPixels > 0 ? options.maxPixels : DefaultPixelBudget();
  const int limitMegabytes = readerLimitMegabytes(budget);
  QByteArray data;
  if (!readWholeFile(path, qint64{limitMegabytes} << 20, data, report)) return false;
  const QString extension = QString::fromLatin1(format);
  if (!HasFormatSignature(data, extension)) {
    report.error = NotFormatReason(FormatNameForExtension(extension));
    return false;
  }
  bool complete = looksComplete(data, format);
  if (complete && std::strcmp(format, "gif") == 0) complete = GifFirstFrameComplete(data);
  if (!complete && !acceptDamage(options, report)) return false;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(false);
  if (std::strcmp(format, "ico") == 0) {
    int64_t width = 0, height = 0;
    const int entry = BestIconEntry(data, width, height);
    if (entry < 0) {
      report.error = kDamaged;
      return false;
    }
    if (!FitsPixelBudget(width, height, options, report)) return false;
    if (entry > 0 && !reader.jumpToImage(entry)) {
      report.error = kDamaged;
      return false;
    }
  } else if (std::strcmp(format, "gif") == 0) {
    // The canvas every frame is drawn on, from the header.
    int64_t width = 0, height = 0;
    GifCanvasSize(data, width, height);
    if (!FitsPixelBudget(width, height, options, report)) return false;
    // A canvas far larger than its data could ever paint is a decompression
    // bomb: refused before Qt allocates it. LZW gives at most a few thousand
    // pixels a byte, so real pictures stay well inside this.
    constexpr int64_t kMostGifPixelsPerByte = 4096;
    if (width * height / kMostGifPixelsPerByte > data.size()) {
      report.error = kDamaged;
      return false;
    }
  } else {
    // The size from the header, checked before Qt allocates the picture.
    const QSize size = reader.size();
    if (!size.isValid()) {
      report.error = kDamaged;
      return false;
    }
    if (!FitsPixelBudget(size.width(), size.height(), options, report)) return false;
  }
  const QImage picture = reader.read();  // GIF: the first frame
  if (picture.isNull()) {
    report.error = kDamaged;
    return false;
  }
  xDIB.Cls();
  if (!xDIB.Clone(picture, true)) {
    report.error = kNoMemory;
    return false;
  }
  return true;
}

// Reads with one of the readers that decode from memory.
bool readFromMemory(const QString& path, CDIB& xDIB,
                    bool (*reader)(const QByteArray&, CDIB&, const OpenOptions&, FileReport&),
                    const OpenOptions& options, FileReport& report) {
  QByteArray data;
  if (!readWholeFile(path, qint64{readerLimitMegabytes()} << 20, data, report)) return false;
  return reader(data, xDIB, options, report);
}

bool readMetafile(const QString& path, MetafileKind kind, CDIB& xDIB, const OpenOptions& options,
                  FileReport& report) {
  QByteArray data;
  if (!readWholeFile(path, qint64{readerLimitMegabytes()} << 20, data, report)) return false;
  const QString extension = kind == MetafileKind::Wmf ? QStringLiteral("wmf") : QStringLiteral("emf");
  if (!HasFormatSignature(data, extension)) {
    report.error = NotFormatReason(FormatNameForExtension(extension));
    return false;
  }
  const QImage picture = RenderMetafile(data, kind, options, report);
  if (picture.isNull()) return false;
  xDIB.Cls();
  if (!xDIB.Clone(picture, true)) {
    report.error = kNoMemory;
    return false;
  }
  return true;
}

// A TIFF's colour profile, applied after the decode; a file without one, or
// with one that cannot be read, keeps its pixels.
void tiffToSrgb(const QString& path, CDIB& xDIB) {
  auto* icc = ostrelFunction<decltype(::GetTIFICC)>("GetTIFICC");
  const QByteArray name = nativeName(path);
  const int32_t length = icc(name.constData(), nullptr, 0);
  if (length <= 0) return;
  QByteArray profile(length, '\0');
  if (icc(name.constData(), reinterpret_cast<uint8_t*>(profile.data()), length) == length)
    ConvertToSrgb(xDIB, profile);
}

// Why the last ostrel call on this thread failed, in the user's words.
QString ostrelReason(const QString& formatName) {
  int32_t status = OSTREL_E_DAMAGED, systemError = 0;
  try {
    status = ostrelFunction<decltype(::ostrel_status)>("ostrel_status")();
    systemError = ostrelFunction<decltype(::ostrel_system_error)>("ostrel_system_error")();
  } catch (const LibraryError&) {
    // An older library without the status calls: the failure stays unexplained.
  }
  switch (status) {
    case OSTREL_E_OPEN:
      return systemError == ENOENT ? QString::fromLatin1(kNoSuchFile)
                                   : CannotReadReason(QString::fromLocal8Bit(std::strerror(systemError)));
    case OSTREL_E_NOT_A_FILE:
      return QString::fromLatin1(kNotAFile);
    case OSTREL_E_FORMAT:
      return NotFormatReason(formatName);
    case OSTREL_E_MEMORY:
      return QString::fromLatin1(kNoMemory);
    case OSTREL_E_COMPRESSION:
      return QString::fromLatin1(kUnsupportedTiffCompression);
    case OSTREL_E_WRITE:
      return WriteFailureReason(systemError);
    case OSTREL_E_ARGUMENT:
      return CannotWriteReason(QString::fromLocal8Bit(std::strerror(EINVAL)));
    default:
      return QString::fromLatin1(kDamaged);
  }
}

// The library's decoders accept damage only for a lenient open.
class OstrelLeniency {
 public:
  explicit OstrelLeniency(bool lenient) {
    ostrelFunction<decltype(::ostrel_set_lenient)>("ostrel_set_lenient")(lenient ? 1 : 0);
  }
  ~OstrelLeniency() {
    try {
      ostrelFunction<decltype(::ostrel_set_lenient)>("ostrel_set_lenient")(0);
    } catch (...) {
    }
  }
  OstrelLeniency(const OstrelLeniency&) = delete;
  OstrelLeniency& operator=(const OstrelLeniency&) = delete;

  // Damage the decoder accepted becomes the open's warning.
  static void noteAcceptedDamage(FileReport& report) {
    if (ostrelFunction<decltype(::ostrel_status)>("ostrel_status")() == OSTREL_E_DAMAGED)
      report.warning = kDamaged;
  }
};

void swapRedBlue(CDIB& xDIB) {
  if (xDIB.DIBPointer() == nullptr) return;
  for (int32_t row = 0; row < xDIB.Height(); ++row) {
    uint8_t* p = xDIB.DIBPointer() + static_cast<size_t>(row) * xDIB.SRB();
    for (int32_t x = 0; x < xDIB.Width(); ++x, p += 3) std::swap(p[0], p[2]);
  }
}

// Size first, then the budget, then the buffer: nothing is allocated for a
// picture that does not fit.
template <typename Info, typename Decode>
bool readThroughOstrel(const QString& path, CDIB& xDIB, const OpenOptions& options, FileReport& report,
                       const QString& formatName, Info info, Decode decode) {
  int32_t W = 0, H = 0;
  const OstrelLeniency leniency(options.lenient);
  if (!info(nativeName(path).constData(), &W, &H) || W == 0 || H == 0) {
    report.error = ostrelReason(formatName);
    return false;
  }
  if (!FitsPixelBudget(W, H, options, report)) return false;
  xDIB.Cls();
  if (!xDIB.Create(W, H)) {
    report.error = kNoMemory;
    return false;
  }
  if (!decode(xDIB)) {
    report.error = ostrelReason(formatName);
    return false;
  }
  OstrelLeniency::noteAcceptedDamage(report);
  return true;
}

bool readTiff(const QString& path, CDIB& xDIB, const OpenOptions& options, FileReport& report) {
  auto* info = ostrelFunction<decltype(::GetTIFInfo)>("GetTIFInfo");
  auto* decode = ostrelFunction<decltype(::GetTIF)>("GetTIF");
  return readThroughOstrel(path, xDIB, options, report, QStringLiteral("TIFF"), info, [&](CDIB& dib) {
    return decode(nativeName(path).constData(), dib.DIBPointer(), dib.SRB(), OSTREL_BOTTOM_UP_BGR) != 0;
  });
}

bool readPcx(const QString& path, CDIB& xDIB, const OpenOptions& options, FileReport& report) {
  auto* info = ostrelFunction<decltype(::getpcxinfo)>("getpcxinfo");
  auto* decode = ostrelFunction<decltype(::pcx2mem)>("pcx2mem");
  return readThroughOstrel(path, xDIB, options, report, QStringLiteral("PCX"), info, [&](CDIB& dib) {
    const bool ok = decode(nativeName(path).constData(), dib.DIBPointer(), dib.SRB()) != 0;
    // The decoder gives the top row first in red-green-blue order. The swap is
    // done here, row by row: the library's flat walk skips the last pixel of
    // images whose rows carry no padding.
    swapRedBlue(dib);
    cEffectDIB().FlipVer(dib);
    return ok;
  });
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
  FileReport report;
  return MainOpen(FileName, xDIB, OpenOptions{}, report);
}

bool cFileDIB::MainOpen(const QString& FileName, CDIB& xDIB, const OpenOptions& options, FileReport& report) {
  report = FileReport{};
  try {
    const QString path = fullPath(FileName);
    // Only regular files are read: a pipe or device would block or never end.
    struct stat info {};
    if (path.isEmpty() || ::stat(nativeName(path).constData(), &info) != 0) {
      report.error = path.isEmpty() || errno == ENOENT || errno == ENOTDIR
                         ? QString::fromLatin1(kNoSuchFile)
                         : CannotReadReason(QString::fromLocal8Bit(std::strerror(errno)));
      return false;
    }
    if (!S_ISREG(info.st_mode)) {
      report.error = kNotAFile;
      return false;
    }
    const QString ext = GetExtension(path).toLower();
    if (FormatNameForExtension(ext).isEmpty()) {
      report.error = kUnknownFormat;
      return false;
    }
    CDIB decoded;
    bool ok = false;
    if (ext == "bmp") {
      // Our reader first; layouts it does not handle go to Qt's.
      ok = ReadBmpFile(path, decoded, options, report);
      if (!ok && report.error.isEmpty()) ok = readWithQt(path, "bmp", decoded, options, report);
    } else if (ext == "jpg" || ext == "jpeg") {
      ok = readFromMemory(path, decoded, ReadJpeg, options, report);
    } else if (ext == "png") {
      ok = readFromMemory(path, decoded, ReadPng, options, report);
    } else if (ext == "webp") {
      ok = readFromMemory(path, decoded, ReadWebp, options, report);
    } else if (ext == "gif") {
      ok = readWithQt(path, "gif", decoded, options, report);
    } else if (ext == "ico") {
      ok = readWithQt(path, "ico", decoded, options, report);
    } else if (ext == "wmf") {
      ok = readMetafile(path, MetafileKind::Wmf, decoded, options, report);
    } else if (ext == "emf") {
      ok = readMetafile(path, MetafileKind::Emf, decoded, options, report);
    } else if (ext == "tif" || ext == "tiff") {
      ok = readTiff(path, decoded, options, report);
      if (ok) tiffToSrgb(path, decoded);
    } else if (ext == "pcx") {
      ok = readPcx(path, decoded, options, report);
    }
    if (!ok || decoded.DIBPointer() == nullptr) {
      if (report.error.isEmpty()) report.error = unexplainedOpenFailure(path, ext);
      return false;
    }
    // The decoded picture and the old one change places: nothing is allocated,
    // so the old picture cannot be lost half way.
    xDIB.Swap(decoded);
    return true;
  } catch (const LibraryError& e) {
    report.error = QString::fromLocal8Bit(e.what());
  } catch (const std::bad_alloc&) {
    report.error = kNoMemory;
  } catch (...) {
    report.error = kDamaged;
  }
  report.warning.clear();
  return false;
}

bool cFileDIB::MainSave(const QString& FileName, CDIB& xDIB, int16_t Quality, bool GreyScale) {
  FileReport report;
  return MainSave(FileName, xDIB, Quality, GreyScale, report);
}

bool cFileDIB::MainSave(const QString& FileName, CDIB& xDIB, int16_t Quality, bool GreyScale,
                        FileReport& report) {
  report = FileReport{};
  try {
    // No free-space guess beforehand: the write itself tells whether the
    // picture fits, and a failed write leaves the old file as it was.
    const QString path = fullPath(FileName);
    const QString ext = GetExtension(path).toLower();
    const bool jpeg = ext == "jpg" || ext == "jpeg", pcx = ext == "pcx", tiff = ext == "tif" || ext == "tiff",
               bmp = ext == "bmp", png = ext == "png", webp = ext == "webp";
    if (path.isEmpty() || (!jpeg && !pcx && !tiff && !bmp && !png && !webp)) {
      report.error = kUnknownFormat;
      return false;
    }
    if (xDIB.DIBPointer() == nullptr) {
      report.error = kNothingToSave;
      return false;
    }

    // Written beside the target and put in its place only when complete.
    SaveTarget target(path);
    if (!target.begin(report)) return false;
    const QString tempName = target.tempName();

    bool ok = false;
    if (jpeg) {
      ok = DIB2JPEG(xDIB, tempName, GreyScale, Quality);
    } else if (pcx) {
      ok = DIB2PCX(xDIB, tempName);
    } else if (tiff) {
      ok = SaveTIFF(tempName, xDIB);
    } else if (png) {
      ok = WritePng(xDIB, tempName, report);
    } else if (webp) {
      ok = WriteWebp(xDIB, tempName, Quality, GreyScale, report);
    } else {
      ok = WriteBmp(xDIB, tempName, report);
    }
    if (!ok) {
      if (report.error.isEmpty()) report.error = ostrelReason(FormatNameForExtension(ext));
      return false;
    }
    return target.commit(report);
  } catch (const LibraryError& e) {
    report.error = QString::fromLocal8Bit(e.what());
  } catch (const std::bad_alloc&) {
    report.error = kNoMemory;
  } catch (...) {
    report.error = CannotWriteReason(QString::fromLocal8Bit(std::strerror(EIO)));
  }
  return false;
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
  FileReport report;
  return readTiff(FileName, xDIB, OpenOptions{}, report);
}

bool cFileDIB::GetPcxWH(const QString& FileName, int32_t& W, int32_t& H) {
  auto* info = ostrelFunction<decltype(::getpcxinfo)>("getpcxinfo");
  return info(nativeName(FileName).constData(), &W, &H) != 0;
}

bool cFileDIB::PCX2DIB(CDIB& xDIB, const QString& FileName) {
  FileReport report;
  return readPcx(FileName, xDIB, OpenOptions{}, report);
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
