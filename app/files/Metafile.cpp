#include "Metafile.h"

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

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

bool plausibleEmf(const QByteArray& data) {
  if (data.size() < 88) return false;
  const quint32 type = le32(data, 0), headerSize = le32(data, 4), signature = le32(data, 40);
  const quint64 bytes = le32(data, 48);
  if (type != 1 || signature != kEmfSignature || headerSize < 88 || headerSize % 4 != 0 ||
      headerSize > static_cast<quint32>(data.size()) || bytes > static_cast<quint64>(data.size()))
    return false;
  quint64 pos = headerSize;
  while (pos + 8 <= bytes) {
    const quint32 recordType = le32(data, static_cast<qsizetype>(pos));
    const quint64 recordSize = le32(data, static_cast<qsizetype>(pos) + 4);
    if (recordSize < 8 || recordSize % 4 != 0 || recordSize > bytes - pos) return false;
    if (recordType == 14) return true;  // end of file record
    pos += recordSize;
  }
  return false;
}

// The WMF as SVG and its natural size in pixels; an empty result on failure.
QByteArray wmfToSvg(const QByteArray& data, QSize& size) {
  if (!plausibleWmf(data)) return {};
  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf_svg_function;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
    if (api != nullptr) wmf_api_destroy(api);
    return {};
  }
  QByteArray copy = data;  // libwmf reads through a non-const pointer
  QByteArray svg;
  wmfD_Rect bounds{};
  unsigned int width = 0, height = 0;
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(copy.data()), copy.size()) == wmf_E_None &&
      wmf_scan(api, 0, &bounds) == wmf_E_None &&
      wmf_display_size(api, &width, &height, kDotsPerInch, kDotsPerInch) == wmf_E_None && width > 0 &&
      height > 0) {
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);
    device->Description = const_cast<char*>("Orvane");
    device->bbox = bounds;
    device->width = width;
    device->height = height;
    device->flags |= WMF_SVG_INLINE_IMAGES;
    if (device->out != nullptr) {
      const bool played = wmf_play(api, 0, &bounds) == wmf_E_None;
      char* text = nullptr;
      unsigned long length = 0;
      wmf_stream_destroy(api, device->out, &text, &length);
      device->out = nullptr;
      // The text belongs to libwmf, which frees it with the API.
      if (text != nullptr && played) svg = QByteArray(text, static_cast<qsizetype>(length));
    }
    size = QSize(static_cast<int>(std::min<unsigned>(width, INT32_MAX)),
                 static_cast<int>(std::min<unsigned>(height, INT32_MAX)));
  }
  wmf_api_destroy(api);
  return svg;
}

QByteArray emfToSvg(const QByteArray& data) {
  if (!plausibleEmf(data)) return {};
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

}  // namespace

QImage RenderMetafile(const QByteArray& data, MetafileKind kind, qint64 maxBytes) {
  QSize size;
  const QByteArray svg = kind == MetafileKind::Wmf ? wmfToSvg(data, size) : emfToSvg(data);
  if (svg.isEmpty()) return {};
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return {};
  if (kind == MetafileKind::Emf) size = renderer.defaultSize();
  if (size.width() <= 0 || size.height() <= 0) return {};
  if (qint64{size.width()} * size.height() * 4 > maxBytes) return {};
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return {};
  image.fill(Qt::white);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  painter.end();
  return image;
}

}  // namespace orvane
