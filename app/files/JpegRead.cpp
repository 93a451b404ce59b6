// JPEG: the markers before the first scan are read here (orientation and
// colour profile); the pixels are decoded by libostrel.so into the rows.
#include <cstdint>

#include "ColourProfile.h"
#include "DynamicLibrary.h"
#include "Orientation.h"
#include "PictureFormats.h"
#include "ostrel.h"

namespace orvane {

namespace {

struct JpegMetadata {
  int orientation = 1;
  QByteArray icc;
};

// The ICC profile comes in numbered APP2 chunks of at most 64 KB each.
constexpr int kMostIccChunks = 255;

JpegMetadata readMarkers(const QByteArray& data) {
  JpegMetadata meta;
  QByteArray chunks[kMostIccChunks + 1];
  int chunkCount = 0;
  const auto byte = [&](qsizetype at) { return static_cast<uint8_t>(data[at]); };
  qsizetype at = 2;  // after the start-of-image marker
  while (at + 4 <= data.size() && byte(at) == 0xFF) {
    const uint8_t marker = byte(at + 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // the scans begin: no more metadata
    const qsizetype length = (qsizetype{byte(at + 2)} << 8) | byte(at + 3);
    if (length < 2 || at + 2 + length > data.size()) break;
    const QByteArray body = data.mid(at + 4, length - 2);
    if (marker == 0xE1 && body.startsWith(QByteArray("Exif\0\0", 6)) && meta.orientation == 1) {
      meta.orientation = ExifOrientation(body.mid(6));
    } else if (marker == 0xE2 && body.size() > 14 && body.startsWith(QByteArray("ICC_PROFILE\0", 12))) {
      const int seq = static_cast<uint8_t>(body[12]), count = static_cast<uint8_t>(body[13]);
      if (seq >= 1 && seq <= count && (chunkCount == 0 || chunkCount == count)) {
        chunkCount = count;
        chunks[seq] = body.mid(14);
      }
    }
    at += 2 + length;
  }
  for (int i = 1; i <= chunkCount; ++i) {
    if (chunks[i].isEmpty()) return meta;  // incomplete profile: ignored
  }
  for (int i = 1; i <= chunkCount; ++i) meta.icc += chunks[i];
  return meta;
}

QString reasonFor(int32_t status) {
  switch (status) {
    case OSTREL_JPEG_NOT_JPEG:
      return NotFormatReason("JPEG");
    case OSTREL_JPEG_NO_MEMORY:
      return kNoMemory;
    default:
      return kDamaged;
  }
}

}  // namespace

bool ReadJpeg(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report) {
  auto* info = ostrelLibrary().resolveAs<decltype(::jpeginfo)>("jpeginfo");
  auto* decode = ostrelLibrary().resolveAs<decltype(::jpeg2mem)>("jpeg2mem");
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
  int32_t w = 0, h = 0, status = 0;
  if (!info(bytes, data.size(), &w, &h, &status)) {
    report.error = reasonFor(status);
    return false;
  }
  if (!FitsPixelBudget(w, h, options, report)) return false;
  CDIB decoded;
  if (!decoded.Reshape(w, h)) {  // every byte is written by the decoder
    report.error = kNoMemory;
    return false;
  }
  if (!decode(bytes, data.size(), decoded.DIBPointer(), decoded.RGBSize(), decoded.SRB(), w, h,
              options.lenient ? 1 : 0, &status)) {
    report.error = reasonFor(status);
    return false;
  }
  if (status == OSTREL_JPEG_DAMAGED) report.warning = kDamaged;
  const JpegMetadata meta = readMarkers(data);
  if (!OrientUpright(decoded, meta.orientation)) {
    report.error = kNoMemory;
    return false;
  }
  ConvertToSrgb(decoded, meta.icc);
  out.Swap(decoded);
  return true;
}

}  // namespace orvane
