// TIFF through libtiff: read whatever its RGBA interface decodes, write 24-bit RGB.
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "common.h"
#include "ostrel.h"

namespace ostrel {
namespace {

// No single allocation inside libtiff may exceed this.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t{1} << 31;
// A header may claim at most this much decoded picture per byte of stored
// data (above a floor that any plausible picture fits): compressed data of a
// lying header would otherwise make us allocate gigabytes for a tiny file.
constexpr uint64_t kMaxExpansion = 65536;
constexpr uint64_t kExpansionFloor = uint64_t{64} << 20;

// Messages are not printed; those raised while pixels are decoded count as
// damage (a codec's warning included).
thread_local int decodeMessages = 0;
int quiet(TIFF*, void*, const char*, const char*, va_list) {
  ++decodeMessages;
  return 1;
}

// The codecs a photo program needs. Others (JBIG, old-style JPEG, the rare
// and the vendor-specific ones) are refused before libtiff hands them data.
bool supportedCompression(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_LZW:
    case COMPRESSION_JPEG:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_LZMA:
    case COMPRESSION_ZSTD:
    case COMPRESSION_WEBP:
      return true;
    default:
      return false;
  }
}

bool looksLikeTiff(const std::vector<uint8_t>& b) {
  if (b.size() < 4) return false;
  const bool little = b[0] == 'I' && b[1] == 'I' && (b[2] == 42 || b[2] == 43) && b[3] == 0;
  const bool big = b[0] == 'M' && b[1] == 'M' && b[2] == 0 && (b[3] == 42 || b[3] == 43);
  return little || big;
}

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TIFFOpenOptions* makeOptions() {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
  return options;
}

// Files are read whole into memory and handed to libtiff as a mapped image, so
// a file that shrinks while we read it cannot fault.
struct MemoryFile {
  std::vector<uint8_t> bytes;
  uint64_t position = 0;
};

tmsize_t memRead(thandle_t h, void* buffer, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  if (n < 0 || f->position >= f->bytes.size()) return 0;
  const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(n), f->bytes.size() - f->position);
  std::memcpy(buffer, f->bytes.data() + f->position, count);
  f->position += count;
  return static_cast<tmsize_t>(count);
}
tmsize_t memWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t memSeek(thandle_t h, toff_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = f->position;
  if (whence == SEEK_END) base = f->bytes.size();
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  f->position = base + offset;
  return f->position;
}
int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes.size(); }
int memMap(thandle_t h, void** base, toff_t* size) {
  auto* f = static_cast<MemoryFile*>(h);
  *base = f->bytes.data();
  *size = f->bytes.size();
  return 1;
}
void memUnmap(thandle_t, void*, toff_t) {}

TiffPtr openForReading(const char* fileName, MemoryFile& file) {
  if (!readRegularFile(fileName, file.bytes)) return nullptr;
  if (!looksLikeTiff(file.bytes)) {
    fail(OSTREL_E_FORMAT);
    return nullptr;
  }
  TIFFOpenOptions* options = makeOptions();
  if (options == nullptr) {
    fail(OSTREL_E_MEMORY);
    return nullptr;
  }
  TIFF* tif = TIFFClientOpenExt(fileName, "r", &file, memRead, memWrite, memSeek, memClose, memSize, memMap,
                                memUnmap, options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) fail(OSTREL_E_DAMAGED);
  return TiffPtr(tif);
}

TiffPtr openForWriting(const char* fileName) {
  if (fileName == nullptr) return nullptr;
  const int fd = ::open(fileName, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(OSTREL_E_WRITE, errno);
    return nullptr;
  }
  struct stat info {};
  TIFFOpenOptions* options = makeOptions();
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || options == nullptr) {
    fail(options == nullptr ? OSTREL_E_MEMORY : OSTREL_E_NOT_A_FILE);
    if (options != nullptr) TIFFOpenOptionsFree(options);
    ::close(fd);
    return nullptr;
  }
  TIFF* tif = TIFFFdOpenExt(fd, fileName, "w", options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) ::close(fd);  // on success libtiff owns the descriptor
  return TiffPtr(tif);
}

// Orientations 5-8 store the picture turned by a quarter (rows are the
// picture's columns). libtiff's RGBA reader only mirrors, so these are turned
// here: the picture is reported and decoded upright.
uint16_t orientationOf(TIFF* tif) {
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  return orientation >= ORIENTATION_TOPLEFT && orientation <= ORIENTATION_LEFTBOT ? orientation
                                                                                  : ORIENTATION_TOPLEFT;
}
bool turned(uint16_t orientation) { return orientation >= ORIENTATION_LEFTTOP; }

// The stored pixel (from the stored top-left corner) shown at upright (x, y)
// for a turned orientation; the stored picture is h rows of w pixels.
void storedPosition(uint16_t orientation, int64_t w, int64_t h, int64_t x, int64_t y, int64_t& sx,
                    int64_t& sy) {
  switch (orientation) {
    case ORIENTATION_LEFTTOP:  // stored rows are the columns from the left, top first
      sx = y;
      sy = x;
      break;
    case ORIENTATION_RIGHTTOP:  // stored rows are the columns from the right, top first
      sx = y;
      sy = h - 1 - x;
      break;
    case ORIENTATION_RIGHTBOT:  // from the right, bottom first
      sx = w - 1 - y;
      sy = h - 1 - x;
      break;
    default:  // ORIENTATION_LEFTBOT: from the left, bottom first
      sx = w - 1 - y;
      sy = x;
      break;
  }
}

// The size of the first picture, after checking that its stored data lies
// inside the file and could plausibly expand to that size.
bool inspect(TIFF* tif, uint64_t fileSize, int32_t& width, int32_t& height) {
  uint32_t w = 0, h = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h))
    return fail(OSTREL_E_DAMAGED);
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (!supportedCompression(compression)) return fail(OSTREL_E_COMPRESSION);
  if (!geometryFits(w, h)) return fail(OSTREL_E_DAMAGED);
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return fail(OSTREL_E_DAMAGED);
  const uint64_t striles = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (striles == 0 || striles > fileSize) return fail(OSTREL_E_DAMAGED);
  uint64_t stored = 0;
  for (uint32_t i = 0; i < striles; ++i) {
    int error = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &error);
    if (error) return fail(OSTREL_E_DAMAGED);
    const uint64_t count = TIFFGetStrileByteCountWithErr(tif, i, &error);
    if (error || count == 0 || offset > fileSize || count > fileSize - offset) return fail(OSTREL_E_DAMAGED);
    stored += count;
  }
  const uint64_t decoded = static_cast<uint64_t>(strideFor(w)) * h;
  if (decoded > std::max(kExpansionFloor, stored * kMaxExpansion)) return fail(OSTREL_E_DAMAGED);
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

}  // namespace
}  // namespace ostrel

using namespace ostrel;

extern "C" OSTREL_API int32_t GetTIFInfo(const char* fileName, int32_t* width, int32_t* height) {
  beginCall();
  if (width == nullptr || height == nullptr) return fail(OSTREL_E_ARGUMENT);
  MemoryFile file;
  TiffPtr tif = openForReading(fileName, file);
  int32_t w = 0, h = 0;
  if (!tif || !inspect(tif.get(), file.bytes.size(), w, h)) return 0;
  if (turned(orientationOf(tif.get()))) std::swap(w, h);
  *width = w;
  *height = h;
  rememberSize(Format::Tiff, fileName, w, h);
  return 1;
}

extern "C" OSTREL_API int32_t GetTIF(const char* fileName, uint8_t* pixels, int32_t stride, int32_t layout) {
  beginCall();
  if (pixels == nullptr || layout != OSTREL_BOTTOM_UP_BGR) return fail(OSTREL_E_ARGUMENT);
  MemoryFile file;
  TiffPtr tif = openForReading(fileName, file);
  int32_t w = 0, h = 0;
  if (!tif || !inspect(tif.get(), file.bytes.size(), w, h)) return 0;
  const uint16_t orientation = orientationOf(tif.get());
  const int32_t uprightW = turned(orientation) ? h : w, uprightH = turned(orientation) ? w : h;
  if (!sizeWasReported(Format::Tiff, fileName, uprightW, uprightH) || stride < 3 * int64_t{uprightW})
    return fail(OSTREL_E_ARGUMENT);

  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  // Zeroed: what a lenient read cannot decode stays black.
  std::unique_ptr<uint32_t, decltype(&std::free)> raster(
      static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t))), &std::free);
  if (!raster) return fail(OSTREL_E_MEMORY);
  if (turned(orientation)) {
    // Asking for the file's own orientation gives the rows as stored, top first.
    decodeMessages = 0;
    const int read = TIFFReadRGBAImageOriented(tif.get(), static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                                               raster.get(), orientation, lenient() ? 0 : 1);
    if (decodeMessages > 0 || !read) {
      if (!lenient()) return fail(OSTREL_E_DAMAGED);
      setStatus(OSTREL_E_DAMAGED);
    }
    for (int64_t y = 0; y < uprightH; ++y) {
      uint8_t* out = pixels + (uprightH - 1 - y) * stride;
      for (int64_t x = 0; x < uprightW; ++x, out += 3) {
        int64_t sx = 0, sy = 0;
        storedPosition(orientation, w, h, x, y, sx, sy);
        const uint32_t in = raster.get()[sy * w + sx];
        out[0] = static_cast<uint8_t>(TIFFGetB(in));
        out[1] = static_cast<uint8_t>(TIFFGetG(in));
        out[2] = static_cast<uint8_t>(TIFFGetR(in));
      }
    }
    return 1;
  }
  // Bottom-left orientation: raster row 0 is the bottom row, as in our buffer.
  decodeMessages = 0;
  const int read = TIFFReadRGBAImageOriented(tif.get(), static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                                             raster.get(), ORIENTATION_BOTLEFT, lenient() ? 0 : 1);
  if (decodeMessages > 0 || !read) {
    if (!lenient()) return fail(OSTREL_E_DAMAGED);
    setStatus(OSTREL_E_DAMAGED);
  }
  for (int32_t row = 0; row < h; ++row) {
    const uint32_t* in = raster.get() + static_cast<size_t>(row) * w;
    uint8_t* out = pixels + static_cast<int64_t>(row) * stride;
    // The raster's colours come premultiplied by alpha (over black); adding
    // what the cover leaves open puts them over white. Opaque pixels keep theirs.
    for (int32_t x = 0; x < w; ++x, out += 3) {
      const uint32_t open = 255 - TIFFGetA(in[x]);
      out[0] = static_cast<uint8_t>(std::min<uint32_t>(255, TIFFGetB(in[x]) + open));
      out[1] = static_cast<uint8_t>(std::min<uint32_t>(255, TIFFGetG(in[x]) + open));
      out[2] = static_cast<uint8_t>(std::min<uint32_t>(255, TIFFGetR(in[x]) + open));
    }
  }
  return 1;
}

extern "C" OSTREL_API int32_t GetTIFICC(const char* fileName, uint8_t* profile, int32_t capacity) {
  MemoryFile file;
  TiffPtr tif = openForReading(fileName, file);
  uint32_t length = 0;
  void* data = nullptr;
  if (!tif || !TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &length, &data) || data == nullptr ||
      length > static_cast<uint32_t>(INT32_MAX))
    return 0;
  if (profile != nullptr && capacity >= 0 && length <= static_cast<uint32_t>(capacity))
    std::memcpy(profile, data, length);
  return static_cast<int32_t>(length);
}

extern "C" OSTREL_API int32_t OutTIF(const char* fileName, const uint8_t* pixels, int32_t stride,
                                     int32_t size, int32_t width, int32_t height, int32_t layout) {
  beginCall();
  if (pixels == nullptr || layout != OSTREL_BOTTOM_UP_BGR) return fail(OSTREL_E_ARGUMENT);
  if (!bufferHolds(size, stride, width, height)) return fail(OSTREL_E_ARGUMENT);
  TiffPtr tif = openForWriting(fileName);
  if (!tif) return 0;
  TIFF* t = tif.get();
  const uint16_t compression =
      TIFFIsCODECConfigured(COMPRESSION_ADOBE_DEFLATE) ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_LZW;
  const uint32_t rowsPerStrip = std::max<uint32_t>(1, (256u << 10) / static_cast<uint32_t>(3 * width));
  bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
            TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) &&
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3) &&
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
            TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(t, TIFFTAG_COMPRESSION, compression) &&
            TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  std::vector<uint8_t> line(static_cast<size_t>(width) * 3);
  errno = 0;
  for (int32_t y = 0; ok && y < height; ++y) {
    const uint8_t* in = pixels + static_cast<int64_t>(height - 1 - y) * stride;  // rows are bottom-up
    for (int32_t x = 0; x < width; ++x) {
      line[3 * x] = in[3 * x + 2];
      line[3 * x + 1] = in[3 * x + 1];
      line[3 * x + 2] = in[3 * x];
    }
    ok = TIFFWriteScanline(t, line.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  // The directory write pushes the last strip out: a full disk shows here.
  ok = ok && TIFFWriteDirectory(t);
  const int writeError = errno;
  tif.reset();
  if (!ok) {
    fail(OSTREL_E_WRITE, writeError);
    std::remove(fileName);
  }
  return ok ? 1 : 0;
}
