#include "Metafile.h"

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <stdio.h>

#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace orvane {

namespace {

constexpr double kDotsPerInch = 96.0;          // the screen resolution natural sizes are given at
constexpr quint32 kEmfSignature = 0x464D4520;  // " EMF" at offset 40 of the header record

// emf2svg hands back malloc'ed text.
QByteArray takeText(char* text, size_t length) {
  QByteArray result(text, static_cast<qsizetype>(length));
  std::free(text);
  return result;
}

quint32 le16(const QByteArray& b, qsizetype at) {
  return static_cast<quint8>(b[at]) | (static_cast<quint32>(static_cast<quint8>(b[at + 1])) << 8);
}
quint32 le32(const QByteArray& b, qsizetype at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// libwmf sizes its tables from the header: a header that claims more than the
// file holds, or records that leave it, never reach the library.
bool plausibleWmf(const QByteArray& data) {
  qsizetype at = 0;
  if (data.size() >= 22 && le32(data, 0) == 0x9AC6CDD7) at = 22;  // placeable header first
  if (data.size() - at < 18) return false;
  const quint32 type = le16(data, at), headerWords = le16(data, at + 2), version = le16(data, at + 4);
  const quint64 words = le32(data, at + 6), objects = le16(data, at + 10), maxRecord = le32(data, at + 12);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) return false;
  const quint64 available = static_cast<quint64>(data.size() - at) / 2;
  if (words < 9 + 3 || words > available || maxRecord < 3 || maxRecord > words || objects > words)
    return false;
  // Walk the records up to the end record.
  quint64 pos = 9;
  while (pos + 3 <= words) {
    const quint64 recordWords = le32(data, at + static_cast<qsizetype>(pos * 2));
    const quint32 function = le16(data, at + static_cast<qsizetype>(pos * 2) + 4);
    if (recordWords < 3 || recordWords > maxRecord || recordWords > words - pos) return false;
    if (function == 0) return true;
    pos += recordWords;
  }
  return false;
}

// A placeable header's frame (left, top, right, bottom), when the file has one.
bool placeableFrame(const QByteArray& data, qint32 frame[4]) {
  if (data.size() < 22 || le32(data, 0) != 0x9AC6CDD7) return false;
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<qint16>(le16(data, 6 + 2 * i));
  return true;
}

bool plausibleEmf(const QByteArray& data) {
  if (data.size() < 88) return false;
  const quint32 type = le32(data, 0), headerSize = le32(data, 4), signature = le32(data, 40);
  const quint64 bytes = le32(data, 48);
  if (type != 1 || signature != kEmfSignature || headerSize < 88 || headerSize % 4 != 0 ||
      headerSize > static_cast<quint32>(data.size()) || bytes > static_cast<quint64>(data.size()))
    return false;
  // The converter trusts the lengths inside records: every text and
  // description must lie within its own record.
  const auto inside = [](quint64 offset, quint64 length, quint64 recordSize) {
    return length == 0 || (offset >= 8 && offset <= recordSize && length <= recordSize - offset);
  };
  // A description, when there is one, is read up to its terminating zero: it
  // must have one within its record.
  const quint64 descriptionChars = le32(data, 60), descriptionOffset = le32(data, 64);
  if (descriptionChars != 0 || descriptionOffset != 0) {
    if (descriptionChars == 0 || descriptionOffset < 88 ||
        !inside(descriptionOffset, 2 * descriptionChars, headerSize))
      return false;
    bool terminated = false;
    for (quint64 i = 0; i < descriptionChars && !terminated; ++i)
      terminated = data[static_cast<qsizetype>(descriptionOffset + 2 * i)] == 0 &&
                   data[static_cast<qsizetype>(descriptionOffset + 2 * i + 1)] == 0;
    if (!terminated) return false;
  }
  if (headerSize >= 100 && !inside(le32(data, 92), le32(data, 88), headerSize)) return false;  // pixel format
  quint64 pos = headerSize;
  while (pos + 8 <= bytes) {
    const quint32 recordType = le32(data, static_cast<qsizetype>(pos));
    const quint64 recordSize = le32(data, static_cast<qsizetype>(pos) + 4);
    if (recordSize < 8 || recordSize % 4 != 0 || recordSize > bytes - pos) return false;
    if (recordType == 83 || recordType == 84) {  // text out, in bytes or in UTF-16
      if (recordSize < 76) return false;
      const qsizetype at = static_cast<qsizetype>(pos);
      const quint64 chars = le32(data, at + 44);
      if (!inside(le32(data, at + 48), chars * (recordType == 84 ? 2 : 1), recordSize)) return false;
      if (le32(data, at + 72) != 0 && !inside(le32(data, at + 72), 4 * chars, recordSize)) return false;
    }
    if (recordType == 14) return true;  // end of file record
    pos += recordSize;
  }
  return false;
}

// Scaled down so that the longer side is at most kMaxMetafileSide.
QSize limitedSize(QSize size) {
  if (size.width() > kMaxMetafileSide || size.height() > kMaxMetafileSide)
    size = size.scaled(kMaxMetafileSide, kMaxMetafileSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  return size;
}

// The WMF drawn by libwmf's own true-colour rasteriser. Its vector route
// names each colour after the nearest named one (200,100,50 becomes
// "chocolate"); the raster keeps colours exact. Its PNG output is read back.
QImage drawWmf(const QByteArray& data, const OpenOptions& options, FileReport& report) {
  if (!plausibleWmf(data)) return {};
  wmfAPI* api = nullptr;
  wmfAPI_Options apiOptions{};
  apiOptions.function = wmf_gd_function;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&api, flags, &apiOptions) != wmf_E_None) {
    if (api != nullptr) wmf_api_destroy(api);
    return {};
  }
  QByteArray copy = data;  // libwmf reads through a non-const pointer
  wmfD_Rect bounds{};
  unsigned int width = 0, height = 0;
  char* png = nullptr;
  size_t pngSize = 0;
  std::FILE* out = nullptr;
  bool played = false;
  // An empty or inverted drawing area is refused: it has no size to draw at.
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(copy.data()), copy.size()) == wmf_E_None &&
      wmf_scan(api, 0, &bounds) == wmf_E_None && bounds.BR.x > bounds.TL.x && bounds.BR.y > bounds.TL.y &&
      wmf_display_size(api, &width, &height, kDotsPerInch, kDotsPerInch) == wmf_E_None && width > 0 &&
      height > 0) {
    const QSize size = limitedSize(QSize(static_cast<int>(std::min<unsigned>(width, INT32_MAX)),
                                         static_cast<int>(std::min<unsigned>(height, INT32_MAX))));
    wmf_gd_t* device = WMF_GD_GetData(api);
    if (FitsPixelBudget(size.width(), size.height(), options, report) &&
        (device->flags & WMF_GD_SUPPORTS_PNG)) {
      out = open_memstream(&png, &pngSize);
      if (out != nullptr) {
        device->type = wmf_gd_png;
        device->flags |= WMF_GD_OUTPUT_FILE;
        device->file = out;
        device->bbox = bounds;
        device->width = static_cast<unsigned>(size.width());
        device->height = static_cast<unsigned>(size.height());
        played = wmf_play(api, 0, &bounds) == wmf_E_None;
      }
    }
  }
  wmf_api_destroy(api);  // the picture reaches the stream here
  if (out != nullptr) std::fclose(out);
  QImage picture;
  if (played && png != nullptr)
    picture = QImage::fromData(reinterpret_cast<const uchar*>(png), pngSize, "PNG");
  std::free(png);
  if (picture.isNull()) return {};
  // Drawn over white where the metafile left the page transparent.
  QImage image(picture.size(), QImage::Format_RGB32);
  if (image.isNull()) {
    report.error = kNoMemory;
    return {};
  }
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.drawImage(0, 0, picture);
  painter.end();
  return image;
}

QByteArray emfToSvg(const QByteArray& data) {
  generatorOptions options{};
  options.nameSpace = const_cast<char*>("");
  options.svgDelimiter = true;
  options.emfplus = true;
  QByteArray copy = data;
  char* text = nullptr;
  size_t length = 0;
  const int ok = emf2svg(copy.data(), static_cast<size_t>(copy.size()), &text, &length, &options);
  if (text == nullptr) return {};
  QByteArray svg = takeText(text, length);
  return ok ? svg : QByteArray();
}

QImage drawEmf(const QByteArray& data, const OpenOptions& options, FileReport& report) {
  if (!plausibleEmf(data)) return {};
  // The bounds are inclusive device pixels: 0..199 is 200 pixels wide.
  const qint64 left = static_cast<qint32>(le32(data, 8)), top = static_cast<qint32>(le32(data, 12)),
               right = static_cast<qint32>(le32(data, 16)), bottom = static_cast<qint32>(le32(data, 20));
  if (right < left || bottom < top) return {};
  const QSize size = limitedSize(QSize(static_cast<int>(std::min<qint64>(right - left + 1, INT32_MAX)),
                                       static_cast<int>(std::min<qint64>(bottom - top + 1, INT32_MAX))));
  if (!FitsPixelBudget(size.width(), size.height(), options, report)) return {};
  const QByteArray svg = emfToSvg(data);
  if (svg.isEmpty()) return {};
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return {};
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) {
    report.error = kNoMemory;
    return {};
  }
  image.fill(Qt::white);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  painter.end();
  return image;
}

}  // namespace

QImage RenderMetafile(const QByteArray& data, MetafileKind kind, const OpenOptions& options,
                      FileReport& report) {
  report.error = kDamaged;  // until a picture is drawn
  QImage image;
  if (kind == MetafileKind::Wmf) {
    qint32 frame[4];
    if (placeableFrame(data, frame) && (frame[2] <= frame[0] || frame[3] <= frame[1])) return {};
    image = drawWmf(data, options, report);
  } else {
    image = drawEmf(data, options, report);
  }
  if (image.isNull()) return {};
  report.error.clear();
  return image;
}

}  // namespace orvane
