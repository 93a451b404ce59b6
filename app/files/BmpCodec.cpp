#include "BmpCodec.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace orvane {

namespace {

// Compression codes of the info header.
constexpr uint32_t kPlain = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kEmbeddedJpeg = 4, kEmbeddedPng = 5,
                   kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// One colour channel of a bit-field pixel.
struct Channel {
  int shift = 0;
  uint32_t max = 0;  // the channel's largest value; 0 for an absent channel

  // Scaled to 0..255 and rounded: 5-bit 31 is 255, not 248.
  uint8_t operator()(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint32_t v = (pixel >> shift) & max;
    if (max == 255) return static_cast<uint8_t>(v);
    return static_cast<uint8_t>((uint64_t{v} * 255 + max / 2) / max);
  }
};

// False for a mask with holes or with bits beyond the pixel.
bool makeChannel(uint32_t mask, int bits, Channel& channel) {
  channel = Channel{};
  if (mask == 0) return true;
  if (bits < 32 && (mask >> bits) != 0) return false;
  channel.shift = std::countr_zero(mask);
  channel.max = mask >> channel.shift;
  return (channel.max & (channel.max + 1)) == 0;
}

struct Layout {
  int32_t width = 0, height = 0;  // height without its sign
  bool topDown = false;
  int bits = 0;
  uint32_t compression = kPlain;
  size_t offset = 0;                       // where the pixel data starts
  size_t rowBytes = 0;                     // one uncompressed file row, padded to 4 bytes
  std::array<uint8_t, 256 * 3> palette{};  // blue, green, red; black beyond paletteCount
  uint32_t paletteCount = 0;
  Channel red, green, blue;
};

enum class Parsed { Ok, Refused, NotHandled };

Parsed refuse(FileReport& report, const QString& reason) {
  report.error = reason;
  return Parsed::Refused;
}

// Reads and checks the headers, masks and palette; nothing is allocated here.
Parsed parseHeaders(const uint8_t* d, size_t size, const OpenOptions& options, Layout& L,
                    FileReport& report) {
  if (size < kFileHeaderSize + 4 || d[0] != 'B' || d[1] != 'M') return refuse(report, NotFormatReason("BMP"));
  const uint32_t headerSize = le32(d + 14);
  int64_t width = 0, height = 0;
  uint32_t planes = 0, clrUsed = 0;
  size_t entryBytes = 4;
  if (headerSize == 12) {  // OS/2 core header: 16-bit sizes, 3-byte palette entries, always bottom-up
    if (size < kFileHeaderSize + 12) return refuse(report, kDamaged);
    width = le16(d + 18);
    height = le16(d + 20);
    planes = le16(d + 22);
    L.bits = le16(d + 24);
    entryBytes = 3;
  } else if (headerSize == 16 || headerSize == 64) {
    return Parsed::NotHandled;  // OS/2 2.x: its compression codes mean other things
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    if (size < kFileHeaderSize + headerSize) return refuse(report, kDamaged);
    width = static_cast<int32_t>(le32(d + 18));
    height = static_cast<int32_t>(le32(d + 22));
    planes = le16(d + 26);
    L.bits = le16(d + 28);
    L.compression = le32(d + 30);
    clrUsed = le32(d + 46);
  } else {
    return refuse(report, kDamaged);
  }

  if (L.compression == kEmbeddedJpeg || L.compression == kEmbeddedPng || L.compression > kAlphaBitFields)
    return Parsed::NotHandled;
  if (L.compression == kPlain && (L.bits == 2 || L.bits == 64)) return Parsed::NotHandled;
  if (planes != 1) return refuse(report, kDamaged);
  const bool bitFields = L.compression == kBitFields || L.compression == kAlphaBitFields;
  const bool valid = (L.compression == kPlain && (L.bits == 1 || L.bits == 4 || L.bits == 8 || L.bits == 16 ||
                                                  L.bits == 24 || L.bits == 32)) ||
                     (L.compression == kRle8 && L.bits == 8) || (L.compression == kRle4 && L.bits == 4) ||
                     (bitFields && (L.bits == 16 || L.bits == 32));
  if (!valid) return refuse(report, kDamaged);
  L.topDown = height < 0;
  height = height < 0 ? -height : height;
  // A run-length picture cannot be top-down: its stream runs bottom-up.
  if (L.topDown && (L.compression == kRle8 || L.compression == kRle4)) return refuse(report, kDamaged);
  if (!FitsPixelBudget(width, height, options, report)) return Parsed::Refused;
  if (CDIB::StrideFor(width) * height > std::numeric_limits<int32_t>::max())
    return refuse(report, TooLargeReason(width, height));
  L.width = static_cast<int32_t>(width);
  L.height = static_cast<int32_t>(height);
  L.rowBytes = static_cast<size_t>((width * L.bits + 31) / 32 * 4);

  // Bit fields: inside the larger headers, or right after the 40-byte one.
  size_t tableStart = kFileHeaderSize + headerSize;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  if (bitFields) {
    const size_t at = kFileHeaderSize + 40;
    if (headerSize == 40) tableStart += L.compression == kAlphaBitFields ? 16 : 12;
    if (tableStart > size) return refuse(report, kDamaged);
    for (int i = 0; i < 3; ++i) masks[i] = le32(d + at + 4 * i);
  } else if (L.bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else {
    masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  }
  if (L.bits >= 16 && (!makeChannel(masks[0], L.bits, L.red) || !makeChannel(masks[1], L.bits, L.green) ||
                       !makeChannel(masks[2], L.bits, L.blue)))
    return refuse(report, kDamaged);

  const uint32_t offset = le32(d + 10);
  if (offset < tableStart || offset > size) return refuse(report, kDamaged);
  L.offset = offset;

  if (L.bits <= 8) {
    const uint32_t most = 1u << L.bits;
    uint32_t count = clrUsed != 0 ? clrUsed : most;
    const uint32_t room = static_cast<uint32_t>(std::min<size_t>((offset - tableStart) / entryBytes, most));
    // A declared palette must fit before the pixels; an implied full one may
    // be shorter (writers of the small headers often stop early).
    if (count > most || (clrUsed != 0 && count > room)) return refuse(report, kDamaged);
    count = std::min(count, room);
    for (uint32_t i = 0; i < count; ++i) std::memcpy(&L.palette[3 * i], d + tableStart + i * entryBytes, 3);
    L.paletteCount = count;
  }
  return Parsed::Ok;
}

uint8_t* rowOf(CDIB& out, int32_t y) { return out.DIBPointer() + static_cast<size_t>(y) * out.SRB(); }

// Turns uncompressed file rows into bitmap rows.
class PlainRows {
 public:
  explicit PlainRows(const Layout& L) : L_(L) {
    if (L.bits != 16) return;
    table16_.resize(3 * 65536);  // blue, green, red of every 16-bit pixel value
    for (uint32_t v = 0; v < 65536; ++v)
      table16_[3 * v] = L.blue(v), table16_[3 * v + 1] = L.green(v), table16_[3 * v + 2] = L.red(v);
  }

  // The bitmap row that file row i lands in.
  uint8_t* target(CDIB& out, int32_t i) const { return rowOf(out, L_.topDown ? L_.height - 1 - i : i); }

  // Decodes count file rows from src, the first being file row first. False
  // when one held a palette index beyond the palette (that pixel is black).
  bool decode(const uint8_t* src, int32_t first, int32_t count, CDIB& out) const {
    bool inPalette = true;
    for (int32_t i = first; i < first + count; ++i, src += L_.rowBytes)
      inPalette &= decodeRow(src, target(out, i));
    return inPalette;
  }

  // Blackens the file rows from first on.
  void blacken(int32_t first, CDIB& out) const {
    for (int32_t i = first; i < L_.height; ++i)
      std::memset(target(out, i), 0, static_cast<size_t>(L_.width) * 3);
  }

 private:
  bool decodeRow(const uint8_t* src, uint8_t* dst) const {
    const int32_t w = L_.width;
    const uint8_t* pal = L_.palette.data();
    uint32_t worst = 0;  // the largest palette index seen
    switch (L_.bits) {
      case 1:
        for (int32_t x = 0; x < w; ++x, dst += 3) {
          const uint32_t i = (src[x >> 3] >> (7 - (x & 7))) & 1;
          worst |= i;
          std::memcpy(dst, pal + 3 * i, 3);
        }
        break;
      case 4:
        for (int32_t x = 0; x < w; ++x, dst += 3) {
          const uint32_t i = (x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4;
          worst = std::max(worst, i);
          std::memcpy(dst, pal + 3 * i, 3);
        }
        break;
      case 8:
        for (int32_t x = 0; x < w; ++x, dst += 3) {
          const uint32_t i = src[x];
          worst = std::max(worst, i);
          std::memcpy(dst, pal + 3 * i, 3);
        }
        break;
      case 16:
        for (int32_t x = 0; x < w; ++x, dst += 3)
          std::memcpy(dst, &table16_[3 * size_t{le16(src + 2 * x)}], 3);
        break;
      case 24:
        std::memcpy(dst, src, static_cast<size_t>(w) * 3);
        break;
      case 32:
        if (L_.blue.shift == 0 && L_.blue.max == 255 && L_.green.shift == 8 && L_.green.max == 255 &&
            L_.red.shift == 16 && L_.red.max == 255) {
          for (int32_t x = 0; x < w; ++x, dst += 3, src += 4) std::memcpy(dst, src, 3);
        } else {
          for (int32_t x = 0; x < w; ++x, dst += 3, src += 4) {
            const uint32_t v = le32(src);
            dst[0] = L_.blue(v), dst[1] = L_.green(v), dst[2] = L_.red(v);
          }
        }
        break;
    }
    return L_.bits > 8 || worst < L_.paletteCount;
  }

  const Layout& L_;
  std::vector<uint8_t> table16_;
};

// The most bytes a picture's pixel data can take: uncompressed, its rows; a
// run-length stream, two bytes a pixel (runs of one) plus an end of line a
// row and the end of the picture. Bytes beyond are never read.
int64_t mostPixelBytes(const Layout& L) {
  if (L.compression != kRle8 && L.compression != kRle4) return static_cast<int64_t>(L.rowBytes) * L.height;
  return 2 * (int64_t{L.width} + 1) * L.height + 2;
}

enum class Stream { Complete, Truncated, Broken };

// Decodes a run-length stream (bottom row first) into out. Pixels that the
// stream skips are black. Returns how the stream ended and whether any pixel
// was decoded.
Stream decodeRle(const Layout& L, const uint8_t* d, size_t size, CDIB& out, bool& anyPixel, bool& badIndex) {
  const int32_t w = L.width, h = L.height;
  const bool rle8 = L.compression == kRle8;
  int32_t x = 0, y = 0;
  size_t pos = L.offset;
  // Blackens everything from the cursor up to (toX, toY) in stream order and moves the cursor there.
  auto skipTo = [&](int32_t toX, int32_t toY) {
    for (; y < h && y <= toY; ++y, x = 0) {
      const int32_t end = y == toY ? toX : w;
      if (end > x) std::memset(rowOf(out, y) + 3 * x, 0, 3 * static_cast<size_t>(end - x));
      if (y == toY) {
        x = toX;
        return;
      }
    }
  };
  auto put = [&](uint32_t index) {
    badIndex |= index >= L.paletteCount;
    std::memcpy(rowOf(out, y) + 3 * x++, &L.palette[3 * index], 3);
  };
  auto finish = [&](Stream how) {
    skipTo(0, h);
    return how;
  };
  while (true) {
    if (y >= h || (y == h - 1 && x == w)) return finish(Stream::Complete);
    if (size - pos < 2) return finish(Stream::Truncated);
    const uint32_t n = d[pos], v = d[pos + 1];
    pos += 2;
    if (n > 0) {  // a run of one index (RLE4: two alternating)
      if (x + static_cast<int32_t>(n) > w) return finish(Stream::Broken);
      for (uint32_t i = 0; i < n; ++i) put(rle8 ? v : (i & 1) ? v & 15 : v >> 4);
      anyPixel = true;
    } else if (v == 0) {  // end of line
      skipTo(0, y + 1);
    } else if (v == 1) {  // end of picture
      return finish(Stream::Complete);
    } else if (v == 2) {  // move right and up
      if (size - pos < 2) return finish(Stream::Truncated);
      const int32_t toX = x + d[pos], toY = y + d[pos + 1];
      pos += 2;
      if (toX > w || toY >= h) return finish(Stream::Broken);
      skipTo(toX, toY);
    } else {  // v literal indices, padded to a 16-bit boundary
      const size_t bytes = rle8 ? v : (v + 1) / 2, padded = (bytes + 1) & ~size_t{1};
      if (size - pos < bytes) return finish(Stream::Truncated);
      if (x + static_cast<int32_t>(v) > w) return finish(Stream::Broken);
      for (uint32_t i = 0; i < v; ++i)
        put(rle8 ? d[pos + i] : (i & 1) ? d[pos + i / 2] & 15 : d[pos + i / 2] >> 4);
      anyPixel = true;
      if (size - pos < padded) {
        pos = size;
      } else {
        pos += padded;
      }
    }
  }
}

}  // namespace

bool ReadBmp(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report) {
  const auto* d = reinterpret_cast<const uint8_t*>(data.constData());
  Layout L;
  const Parsed parsed = parseHeaders(d, static_cast<size_t>(data.size()), options, L, report);
  if (parsed != Parsed::Ok) return false;
  const size_t size = static_cast<size_t>(std::min<int64_t>(data.size(), L.offset + mostPixelBytes(L)));

  const bool rle = L.compression == kRle8 || L.compression == kRle4;
  // Uncompressed data must be all there before anything is allocated; a
  // lenient open takes the whole rows that are.
  const size_t rowsThere = rle ? 0 : (size - L.offset) / L.rowBytes;
  // A stream of under one byte per 255 x 255 / 2 pixels is refused before the
  // picture is allocated: real encoders write far more, and a few bytes must
  // not buy a gigabyte of black.
  const int64_t pixels = int64_t{L.width} * L.height;
  if (rle && static_cast<int64_t>(size - L.offset) * (255 * 255 / 2) < pixels) {
    report.error = kDamaged;
    return false;
  }
  if (!rle && rowsThere < static_cast<size_t>(L.height) && (!options.lenient || rowsThere == 0)) {
    report.error = kDamaged;
    return false;
  }
  if (!out.Reshape(L.width, L.height)) {
    report.error = kNoMemory;
    return false;
  }

  bool damaged = false, badIndex = false;
  if (rle) {
    bool anyPixel = false;
    const Stream how = decodeRle(L, d, size, out, anyPixel, badIndex);
    damaged = how != Stream::Complete;
    if (damaged && (!options.lenient || !anyPixel)) {
      report.error = kDamaged;
      return false;
    }
  } else {
    const int32_t rows = static_cast<int32_t>(std::min<size_t>(rowsThere, static_cast<size_t>(L.height)));
    const PlainRows plain(L);
    badIndex = !plain.decode(d + L.offset, 0, rows, out);
    plain.blacken(rows, out);
    damaged = rows < L.height;
  }
  if (badIndex && !options.lenient) {
    report.error = kDamaged;
    return false;
  }
  if (damaged || badIndex) report.warning = kDamaged;
  return true;
}

namespace {

// Reads up to length bytes at offset; the count read, or -1.
int64_t readAt(int fd, void* into, size_t length, int64_t offset) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd, static_cast<uint8_t*>(into) + done, length - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

// Enough for every header and a full palette (14 + 124 + 16 + 1024 bytes).
constexpr size_t kHeadBytes = 2048;
// Uncompressed rows are read in blocks of about this many bytes.
constexpr size_t kBlockBytes = size_t{1} << 20;

}  // namespace

bool ReadBmpFile(const QString& path, CDIB& out, const OpenOptions& options, FileReport& report) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    report.error = kNoSuchFile;
    return false;
  }
  const int fd = file.handle();
  const int64_t fileSize = file.size();
  QByteArray head(static_cast<qsizetype>(std::min<int64_t>(fileSize, kHeadBytes)), Qt::Uninitialized);
  if (readAt(fd, head.data(), static_cast<size_t>(head.size()), 0) != head.size()) {
    report.error = kDamaged;
    return false;
  }
  // The headers and palette lie within the head; the lengths are checked against the whole file.
  Layout L;
  const Parsed parsed = parseHeaders(reinterpret_cast<const uint8_t*>(head.constData()),
                                     static_cast<size_t>(fileSize), options, L, report);
  if (parsed != Parsed::Ok) return false;
  const bool plain = L.compression != kRle8 && L.compression != kRle4;
  const int64_t pixelBytes = static_cast<int64_t>(L.rowBytes) * L.height;
  if (!plain || int64_t(L.offset) + pixelBytes > fileSize) {
    // Run-length data, or a short file for the lenient rules: the bytes that
    // can matter go to ReadBmp.
    QByteArray data(static_cast<qsizetype>(std::min(fileSize, int64_t(L.offset) + mostPixelBytes(L))),
                    Qt::Uninitialized);
    if (readAt(fd, data.data(), static_cast<size_t>(data.size()), 0) != data.size()) {
      report.error = kDamaged;
      return false;
    }
    return ReadBmp(data, out, options, report);
  }

  if (!out.Reshape(L.width, L.height)) {
    report.error = kNoMemory;
    return false;
  }
  bool complete = true, inPalette = true;
  if (L.bits == 24 && !L.topDown) {
    // The file's rows are the bitmap's rows, padding included.
    complete = readAt(fd, out.DIBPointer(), static_cast<size_t>(pixelBytes), L.offset) == pixelBytes;
    const size_t used = static_cast<size_t>(L.width) * 3;
    if (used != L.rowBytes)
      for (int32_t y = 0; y < L.height; ++y) std::memset(rowOf(out, y) + used, 0, L.rowBytes - used);
  } else {
    const PlainRows rows(L);
    const int32_t perBlock = static_cast<int32_t>(std::clamp<size_t>(kBlockBytes / L.rowBytes, 1, L.height));
    std::vector<uint8_t> block(static_cast<size_t>(perBlock) * L.rowBytes);
    for (int32_t first = 0; first < L.height && complete; first += perBlock) {
      const int32_t count = std::min(perBlock, L.height - first);
      const size_t bytes = static_cast<size_t>(count) * L.rowBytes;
      complete = readAt(fd, block.data(), bytes, L.offset + static_cast<int64_t>(first) * L.rowBytes) ==
                 static_cast<int64_t>(bytes);
      if (complete) inPalette &= rows.decode(block.data(), first, count, out);
    }
  }
  // The file was checked long enough: a short read means it changed while being read.
  if (!complete || (!inPalette && !options.lenient)) {
    report.error = kDamaged;
    return false;
  }
  if (!inPalette) report.warning = kDamaged;
  return true;
}

bool WriteBmp(const CDIB& picture, const QString& path, FileReport& report) {
  if (picture.DIBPointer() == nullptr) {
    report.error = kNoMemory;
    return false;
  }
  constexpr size_t kHeaders = kFileHeaderSize + 40;
  uint8_t header[kHeaders] = {'B', 'M'};
  const size_t pixelBytes = picture.ByteCount();
  put32(header + 2, static_cast<uint32_t>(kHeaders + pixelBytes));
  put32(header + 10, kHeaders);
  put32(header + 14, 40);
  put32(header + 18, static_cast<uint32_t>(picture.Width()));
  put32(header + 22, static_cast<uint32_t>(picture.Height()));
  put16(header + 26, 1);
  put16(header + 28, 24);
  put32(header + 34, static_cast<uint32_t>(pixelBytes));
  put32(header + 38, 2835);  // 72 dots per inch, as Qt's writer puts it
  put32(header + 42, 2835);

  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    report.error = CannotWriteReason(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  // The pixel area follows the headers exactly as it lies in memory.
  const uint8_t* parts[2] = {header, picture.DIBPointer()};
  const size_t lengths[2] = {kHeaders, pixelBytes};
  int error = 0;
  for (int part = 0; part < 2 && error == 0; ++part) {
    size_t done = 0;
    while (done < lengths[part]) {
      const ssize_t n = ::write(fd, parts[part] + done, lengths[part] - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : ENOSPC;
        break;
      }
      done += static_cast<size_t>(n);
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    report.error = error == ENOSPC || error == EDQUOT
                       ? QString(kDiskFull)
                       : CannotWriteReason(QString::fromLocal8Bit(std::strerror(error)));
    return false;
  }
  return true;
}

}  // namespace orvane
