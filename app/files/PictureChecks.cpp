#include "PictureChecks.h"

#include <algorithm>

namespace orvane {

namespace {

uint32_t le16(const QByteArray& b, qsizetype at) {
  return static_cast<uint8_t>(b[at]) | (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8);
}
uint32_t le32(const QByteArray& b, qsizetype at) { return le16(b, at) | (le16(b, at + 2) << 16); }
uint32_t be32(const QByteArray& b, qsizetype at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

bool startsWithBytes(const QByteArray& head, const char* bytes, qsizetype count) {
  return head.size() >= count && std::equal(bytes, bytes + count, head.constData());
}

}  // namespace

QString FormatNameForExtension(const QString& extension) {
  const QString ext = extension.toLower();
  if (ext == "bmp") return QStringLiteral("BMP");
  if (ext == "jpg" || ext == "jpeg") return QStringLiteral("JPEG");
  if (ext == "png") return QStringLiteral("PNG");
  if (ext == "webp") return QStringLiteral("WebP");
  if (ext == "gif") return QStringLiteral("GIF");
  if (ext == "ico") return QStringLiteral("ICO");
  if (ext == "wmf") return QStringLiteral("WMF");
  if (ext == "emf") return QStringLiteral("EMF");
  if (ext == "tif" || ext == "tiff") return QStringLiteral("TIFF");
  if (ext == "pcx") return QStringLiteral("PCX");
  return QString();
}

bool HasFormatSignature(const QByteArray& head, const QString& extension) {
  const QString name = FormatNameForExtension(extension);
  if (name == "BMP") return startsWithBytes(head, "BM", 2);
  if (name == "JPEG") return startsWithBytes(head, "\xFF\xD8\xFF", 3);
  if (name == "PNG") return startsWithBytes(head, "\x89PNG\r\n\x1A\n", 8);
  if (name == "WebP")
    return head.size() >= 12 && startsWithBytes(head, "RIFF", 4) && head.mid(8, 4) == "WEBP";
  if (name == "GIF") return startsWithBytes(head, "GIF87a", 6) || startsWithBytes(head, "GIF89a", 6);
  if (name == "ICO") return startsWithBytes(head, "\0\0\1\0", 4);
  if (name == "TIFF")
    return startsWithBytes(head, "II*\0", 4) || startsWithBytes(head, "MM\0*", 4) ||
           startsWithBytes(head, "II+\0", 4) || startsWithBytes(head, "MM\0+", 4);
  if (name == "PCX") return head.size() >= 3 && head[0] == '\x0A' && head[2] == '\x01';
  if (name == "WMF")  // placeable, or a plain header on disk or in memory
    return startsWithBytes(head, "\xD7\xCD\xC6\x9A", 4) || startsWithBytes(head, "\1\0\x09\0", 4) ||
           startsWithBytes(head, "\2\0\x09\0", 4);
  if (name == "EMF") return head.size() >= 44 && le32(head, 0) == 1 && head.mid(40, 4) == " EMF";
  return true;
}

void GifCanvasSize(const QByteArray& data, int64_t& width, int64_t& height) {
  width = height = 0;
  if (data.size() < 10) return;
  width = le16(data, 6);
  height = le16(data, 8);
  // The first image descriptor may reach beyond the screen.
  qsizetype at = 13;
  const uint8_t screenFlags = static_cast<uint8_t>(data[10]);
  if (screenFlags & 0x80) at += 3 * (qsizetype{2} << (screenFlags & 7));
  while (at < data.size() && data[at] == '\x21') {
    at += 2;
    while (at < data.size() && data[at] != 0) at += 1 + static_cast<uint8_t>(data[at]);
    ++at;
  }
  if (at + 9 <= data.size() && data[at] == '\x2C') {
    width = std::max<int64_t>(width, int64_t{le16(data, at + 1)} + le16(data, at + 5));
    height = std::max<int64_t>(height, int64_t{le16(data, at + 3)} + le16(data, at + 7));
  }
}

bool GifFirstFrameComplete(const QByteArray& data) {
  const qsizetype size = data.size();
  if (size < 13) return false;
  qsizetype at = 13;
  const uint8_t screenFlags = static_cast<uint8_t>(data[10]);
  if (screenFlags & 0x80) at += 3 * (qsizetype{2} << (screenFlags & 7));
  // Sub-blocks: a length byte, that many bytes, until a zero length.
  auto skipSubBlocks = [&](qsizetype& pos) {
    while (pos < size) {
      const uint8_t length = static_cast<uint8_t>(data[pos++]);
      if (length == 0) return true;
      pos += length;
    }
    return false;
  };
  while (at < size) {
    const uint8_t kind = static_cast<uint8_t>(data[at++]);
    if (kind == 0x21) {  // extension: label, then sub-blocks
      if (++at > size || !skipSubBlocks(at)) return false;
    } else if (kind == 0x2C) {  // image descriptor
      if (at + 9 > size) return false;
      const uint8_t imageFlags = static_cast<uint8_t>(data[at + 8]);
      at += 9;
      if (imageFlags & 0x80) at += 3 * (qsizetype{2} << (imageFlags & 7));
      ++at;  // the LZW code size
      return at <= size && skipSubBlocks(at);
    } else {
      return false;  // the trailer or garbage before any picture
    }
  }
  return false;
}

int BestIconEntry(const QByteArray& data, int64_t& width, int64_t& height) {
  if (data.size() < 6 || le16(data, 0) != 0 || (le16(data, 2) != 1 && le16(data, 2) != 2)) return -1;
  const int count = static_cast<int>(le16(data, 4));
  if (count == 0 || data.size() < 6 + 16 * qsizetype{count}) return -1;
  int best = -1;
  int64_t bestArea = -1, bestBits = -1;
  for (int i = 0; i < count; ++i) {
    const qsizetype entry = 6 + 16 * qsizetype{i};
    int64_t w = static_cast<uint8_t>(data[entry]), h = static_cast<uint8_t>(data[entry + 1]);
    if (w == 0) w = 256;
    if (h == 0) h = 256;
    int64_t bits = le16(data, entry + 6);
    const qsizetype offset = le32(data, entry + 12);
    if (offset < 0 || offset + 26 > data.size()) return -1;
    if (startsWithBytes(data.mid(offset, 8), "\x89PNG\r\n\x1A\n", 8)) {
      w = be32(data, offset + 16);
      h = be32(data, offset + 20);
      static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
      const uint8_t colourType = static_cast<uint8_t>(data[offset + 25]);
      if (colourType < 7) bits = static_cast<uint8_t>(data[offset + 24]) * kChannels[colourType];
    } else {
      if (offset + 16 > data.size()) return -1;
      // The bitmap's height counts the colour rows and the mask rows.
      w = static_cast<int32_t>(le32(data, offset + 4));
      h = static_cast<int32_t>(le32(data, offset + 8)) / 2;
      if (w < 0 || h < 0) return -1;
      if (le16(data, offset + 14) != 0) bits = le16(data, offset + 14);  // the header the decoder follows
    }
    const int64_t area = w * h;
    if (area > bestArea || (area == bestArea && bits > bestBits)) {
      best = i;
      bestArea = area;
      bestBits = bits;
      width = w;
      height = h;
    }
  }
  return best;
}

}  // namespace orvane
