// TIFF through libtiff: read whatever its RGBA interface decodes, write 24-bit RGB.
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

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
  if (!readRegularFile(fileName, file.bytes) || file.bytes.empty()) return nullptr;
  TIFFOpenOptions* options = makeOptions();
  if (options == nullptr) return nullptr;
  TIFF* tif = TIFFClientOpenExt(fileName, "r", &file, memRead, memWrite, memSeek, memClose, memSize, memMap,
                                memUnmap, options);
  TIFFOpenOptionsFree(options);
  return TiffPtr(tif);
}

TiffPtr openForWriting(const char* fileName) {
  if (fileName == nullptr) return nullptr;
  const int fd = ::open(fileName, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  TIFFOpenOptions* options = makeOptions();
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || options == nullptr) {
    if (options != nullptr) TIFFOpenOptionsFree(options);
    ::close(fd);
    return nullptr;
  }
  TIFF* tif = TIFFFdOpenExt(fd, fileName, "w", options);
  TIFFOpenOptionsFree(options);
  if (tif == nullptr) ::close(fd);  // on success libtiff owns the descriptor
  return TiffPtr(tif);
}

// The size of the first picture, after checking that its stored data lies
// inside the file and could plausibly expand to that size.
bool inspect(TIFF* tif, uint64_t fileSize, int32_t& width, int32_t& height) {
  uint32_t w = 0, h = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h)) return false;
  if (!geometryFits(w, h)) return false;
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return false;
  const uint64_t striles = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (striles == 0 || striles > fileSize) return false;
  uint64_t stored = 0;
  for (uint32_t i = 0; i < striles; ++i) {
    int error = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &error);
    if (error) return false;
    const uint64_t count = TIFFGetStrileByteCountWithErr(tif, i, &error);
    if (error || count == 0 || offset > fileSize || count > fileSize - offset) return false;
    stored += count;
  }
  const uint64_t decoded = static_cast<uint64_t>(strideFor(w)) * h;
  if (decoded > std::max(kExpansionFloor, stored * kMaxExpansion)) return false;
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

}  // namespace
}  // namespace ostrel

using namespace ostrel;

extern "C" OSTREL_API int32_t GetTIFInfo(const char* fileName, int32_t* width, int32_t* height) {
  if (width == nullptr || height == nullptr) return 0;
  MemoryFile file;
  TiffPtr tif = openForReading(fileName, file);
  int32_t w = 0, h = 0;
  if (!tif || !inspect(tif.get(), file.bytes.size(), w, h)) return 0;
  *width = w;
  *height = h;
  rememberSize(Format::Tiff, fileName, w, h);
  return 1;
}

extern "C" OSTREL_API int32_t GetTIF(const char* fileName, uint8_t* pixels, int32_t stride, int32_t layout) {
  if (pixels == nullptr || layout != OSTREL_BOTTOM_UP_BGR) return 0;
  MemoryFile file;
  TiffPtr tif = openForReading(fileName, file);
  int32_t w = 0, h = 0;
  if (!tif || !inspect(tif.get(), file.bytes.size(), w, h)) return 0;
  if (!sizeWasReported(Format::Tiff, fileName, w, h) || stride < 3 * int64_t{w}) return 0;

  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  std::unique_ptr<uint32_t, decltype(&std::free)> raster(
      static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))), &std::free);
  if (!raster) return 0;
  // Bottom-left orientation: raster row 0 is the bottom row, as in our buffer.
  if (!TIFFReadRGBAImageOriented(tif.get(), static_cast<uint32_t>(w), static_cast<uint32_t>(h), raster.get(),
                                 ORIENTATION_BOTLEFT, 1))
    return 0;
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

extern "C" OSTREL_API int32_t OutTIF(const char* fileName, const uint8_t* pixels, int32_t stride,
                                     int32_t size, int32_t width, int32_t height, int32_t layout) {
  if (pixels == nullptr || layout != OSTREL_BOTTOM_UP_BGR) return 0;
  if (!bufferHolds(size, stride, width, height)) return 0;
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
  for (int32_t y = 0; ok && y < height; ++y) {
    const uint8_t* in = pixels + static_cast<int64_t>(height - 1 - y) * stride;  // rows are bottom-up
    for (int32_t x = 0; x < width; ++x) {
      line[3 * x] = in[3 * x + 2];
      line[3 * x + 1] = in[3 * x + 1];
      line[3 * x + 2] = in[3 * x];
    }
    ok = TIFFWriteScanline(t, line.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  ok = ok && TIFFWriteDirectory(t);
  tif.reset();
  if (!ok) std::remove(fileName);
  return ok ? 1 : 0;
}
