// PCX: run-length encoded pictures with 1- to 8-bit planes.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common.h"
#include "ostrel.h"

namespace ostrel {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteSize = 769;  // marker 0x0C and 256 RGB triples at the end
constexpr int kMaxRun = 63;

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v & 0xff);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xff);
}

// Version 3 files carry no palette of their own; they were shown with the EGA defaults.
constexpr uint8_t kEgaPalette[48] = {0x00, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0x00, 0xAA, 0xAA,
                                     0xAA, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0xAA, 0x55, 0x00, 0xAA, 0xAA, 0xAA,
                                     0x55, 0x55, 0x55, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0x55, 0xFF, 0xFF,
                                     0xFF, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0xFF, 0xFF, 0xFF};

struct Layout {
  int32_t width = 0;
  int32_t height = 0;
  int bitsPerPlane = 0;
  int planes = 0;
  size_t bytesPerLine = 0;
  size_t dataEnd = 0;  // the pixel stream runs from kHeaderSize to here
  const uint8_t* palette =
      nullptr;  // 2, 16 or 256 RGB triples, null for plain black-and-white and true colour
};

// Checks everything the header claims against the file before anything is allocated.
bool parse(const std::vector<uint8_t>& file, Layout& out) {
  if (file.size() < 4 || file[0] != 0x0A || file[2] != 1) return fail(OSTREL_E_FORMAT);
  if (file.size() < kHeaderSize + 1) return fail(OSTREL_E_DAMAGED);
  const uint8_t* h = file.data();
  const int bits = h[3];
  const int planes = h[65];
  const int32_t xMin = u16(h + 4), yMin = u16(h + 6), xMax = u16(h + 8), yMax = u16(h + 10);
  if (xMax < xMin || yMax < yMin) return fail(OSTREL_E_DAMAGED);
  Layout l;
  l.width = xMax - xMin + 1;
  l.height = yMax - yMin + 1;
  l.bitsPerPlane = bits;
  l.planes = planes;
  l.bytesPerLine = u16(h + 66);
  const bool planar1 = bits == 1 && planes >= 1 && planes <= 4;
  const bool packed = (bits == 2 || bits == 4 || bits == 8) && planes == 1;
  const bool trueColour = bits == 8 && (planes == 3 || planes == 4);
  if (!planar1 && !packed && !trueColour) return fail(OSTREL_E_DAMAGED);
  if (!geometryFits(l.width, l.height)) return fail(OSTREL_E_DAMAGED);
  if (l.bytesPerLine < (static_cast<size_t>(l.width) * bits + 7) / 8) return fail(OSTREL_E_DAMAGED);

  l.dataEnd = file.size();
  if (bits == 8 && planes == 1) {
    if (file.size() < kHeaderSize + kPaletteSize + 1) return fail(OSTREL_E_DAMAGED);
    const size_t marker = file.size() - kPaletteSize;
    if (file[marker] != 0x0C) return fail(OSTREL_E_DAMAGED);
    l.palette = file.data() + marker + 1;
    l.dataEnd = marker;
  } else if (bits == 1 && planes == 1) {
    // Two colours from the header's palette; version 3 files and headers whose
    // two entries are alike (left unset by many writers) mean black and white.
    if (h[1] != 3 && std::memcmp(h + 16, h + 19, 3) != 0) l.palette = h + 16;
  } else if (!trueColour) {
    l.palette = h[1] == 3 ? kEgaPalette : h + 16;
  }
  // Every stream byte yields at most 63 picture bytes: a header claiming more
  // than the file can hold is truncated or lying. A lenient read takes it as
  // truncated and keeps what there is.
  const uint64_t lineBytes = static_cast<uint64_t>(l.bytesPerLine) * planes;
  const uint64_t total = lineBytes * static_cast<uint64_t>(l.height);
  if (total > static_cast<uint64_t>(l.dataEnd - kHeaderSize) * kMaxRun && !lenient())
    return fail(OSTREL_E_DAMAGED);
  out = l;
  return true;
}

bool loadLayout(const char* fileName, std::vector<uint8_t>& file, Layout& layout) {
  return readRegularFile(fileName, file) && parse(file, layout);
}

}  // namespace
}  // namespace ostrel

using namespace ostrel;

extern "C" OSTREL_API int32_t getpcxinfo(const char* fileName, int32_t* width, int32_t* height) {
  beginCall();
  if (width == nullptr || height == nullptr) return fail(OSTREL_E_ARGUMENT);
  std::vector<uint8_t> file;
  Layout layout;
  if (!loadLayout(fileName, file, layout)) return 0;
  *width = layout.width;
  *height = layout.height;
  rememberSize(Format::Pcx, fileName, layout.width, layout.height);
  return 1;
}

extern "C" OSTREL_API int32_t pcx2mem(const char* fileName, uint8_t* pixels, int32_t stride) {
  beginCall();
  if (pixels == nullptr) return fail(OSTREL_E_ARGUMENT);
  std::vector<uint8_t> file;
  Layout l;
  if (!loadLayout(fileName, file, l)) return 0;
  if (!sizeWasReported(Format::Pcx, fileName, l.width, l.height)) return fail(OSTREL_E_ARGUMENT);
  if (stride < 3 * int64_t{l.width}) return fail(OSTREL_E_ARGUMENT);

  const size_t lineBytes = l.bytesPerLine * static_cast<size_t>(l.planes);
  std::vector<uint8_t> line(lineBytes);
  size_t pos = kHeaderSize;
  int run = 0;  // a run may carry on into the next row; it never leaves the picture
  uint8_t runValue = 0;
  for (int32_t y = 0; y < l.height; ++y) {
    for (size_t i = 0; i < lineBytes;) {
      if (run > 0) {
        const size_t n = std::min(static_cast<size_t>(run), lineBytes - i);
        std::memset(line.data() + i, runValue, n);
        i += n;
        run -= static_cast<int>(n);
        continue;
      }
      if (pos + 1 > l.dataEnd || ((file[pos] & 0xC0) == 0xC0 && pos + 2 > l.dataEnd)) {
        // Truncated: refused, or the rest is black when damage is accepted.
        if (!lenient()) return fail(OSTREL_E_DAMAGED);
        setStatus(OSTREL_E_DAMAGED);
        run = INT_MAX;
        runValue = 0;
        pos = l.dataEnd;
        continue;
      }
      const uint8_t b = file[pos++];
      if ((b & 0xC0) == 0xC0) {
        run = b & 0x3F;
        runValue = file[pos++];
      } else {
        line[i++] = b;
      }
    }
    uint8_t* out = pixels + static_cast<int64_t>(y) * stride;
    const uint8_t* planes = line.data();
    const size_t bpl = l.bytesPerLine;
    for (int32_t x = 0; x < l.width; ++x, out += 3) {
      if (l.bitsPerPlane == 8 && l.planes >= 3) {
        out[0] = planes[x];
        out[1] = planes[bpl + x];
        out[2] = planes[2 * bpl + x];
        continue;
      }
      unsigned index = 0;
      if (l.bitsPerPlane == 1) {
        for (int p = 0; p < l.planes; ++p) index |= ((planes[p * bpl + x / 8] >> (7 - x % 8)) & 1u) << p;
      } else {
        const int bits = l.bitsPerPlane;
        const size_t bit = static_cast<size_t>(x) * bits;
        index = (planes[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      }
      if (l.palette == nullptr) {  // plain monochrome: black and white
        out[0] = out[1] = out[2] = index ? 0xFF : 0x00;
      } else {
        std::memcpy(out, l.palette + 3 * index, 3);
      }
    }
  }
  return 1;
}

namespace {

void encodePlane(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < count;) {
    size_t n = 1;
    while (i + n < count && n < kMaxRun && bytes[i + n] == bytes[i]) ++n;
    if (n > 1 || (bytes[i] & 0xC0) == 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | n));
    out.push_back(bytes[i]);
    i += n;
  }
}

}  // namespace

extern "C" OSTREL_API int32_t mem2pcx(const uint8_t* pixels, int32_t size, int32_t width, int32_t height,
                                      int32_t stride, const char* fileName) {
  beginCall();
  if (pixels == nullptr || fileName == nullptr) return fail(OSTREL_E_ARGUMENT);
  if (!bufferHolds(size, stride, width, height)) return fail(OSTREL_E_ARGUMENT);
  const int32_t bytesPerLine = width + (width & 1);  // lines have an even length
  if (bytesPerLine > 0xFFFF || height > 0x10000) return fail(OSTREL_E_ARGUMENT);

  std::vector<uint8_t> out(kHeaderSize, 0);
  out[0] = 0x0A;
  out[1] = 5;
  out[2] = 1;
  out[3] = 8;
  put16(&out[8], static_cast<uint32_t>(width - 1));
  put16(&out[10], static_cast<uint32_t>(height - 1));
  put16(&out[12], 72);
  put16(&out[14], 72);
  out[65] = 3;
  put16(&out[66], static_cast<uint32_t>(bytesPerLine));
  put16(&out[68], 1);

  std::FILE* f = std::fopen(fileName, "wb");
  if (f == nullptr) return fail(OSTREL_E_WRITE, errno);
  errno = 0;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  std::vector<uint8_t> plane(static_cast<size_t>(bytesPerLine), 0);
  for (int32_t y = 0; ok && y < height; ++y) {
    out.clear();
    const uint8_t* row = pixels + static_cast<int64_t>(y) * stride;
    for (int c = 2; c >= 0; --c) {  // red, green, blue planes from blue-green-red pixels
      for (int32_t x = 0; x < width; ++x) plane[x] = row[3 * x + c];
      encodePlane(plane.data(), plane.size(), out);
    }
    ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  }
  int writeError = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    writeError = errno;
  }
  if (!ok) {
    fail(OSTREL_E_WRITE, writeError);
    std::remove(fileName);
  }
  return ok ? 1 : 0;
}
