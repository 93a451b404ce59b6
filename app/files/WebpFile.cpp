// WebP through libwebp: the container (animation, colour profile) is read with
// its demuxer, the first frame decoded straight into the rows when it has no
// alpha and covers the canvas, otherwise through one BGRA frame.
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "ColourProfile.h"
#include "PictureFormats.h"

namespace orvane {

namespace {

struct DemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct FrameReleaser {
  void operator()(WebPIterator* i) const { WebPDemuxReleaseIterator(i); }
};
struct DecodedFrame {
  WebPDecBuffer* buffer;
  ~DecodedFrame() { WebPFreeDecBuffer(buffer); }
};

bool looksLikeWebp(const QByteArray& data) {
  return data.size() >= 12 && data.startsWith("RIFF") && data.mid(8, 4) == "WEBP";
}

bool writeFile(const QString& fileName, const uint8_t* bytes, size_t size, FileReport& report) {
  const QByteArray name = QFile::encodeName(fileName);
  std::FILE* f = std::fopen(name.constData(), "wb");
  if (f == nullptr) {
    report.error = CannotWriteReason(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  bool ok = std::fwrite(bytes, 1, size, f) == size && std::fflush(f) == 0;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    report.error = errno == ENOSPC ? QString(kDiskFull)
                                   : CannotWriteReason(QString::fromLocal8Bit(std::strerror(errno)));
    std::remove(name.constData());
  }
  return ok;
}

// libjpeg's grey (its fixed-point ITU-R 601 weights), so a grey WebP has the
// same greys as a grey JPEG of the picture.
uint8_t luma(const uint8_t* bgr) {
  return static_cast<uint8_t>((7471u * bgr[0] + 38470u * bgr[1] + 19595u * bgr[2] + 32768u) >> 16);
}

}  // namespace

bool ReadWebp(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report) {
  if (!looksLikeWebp(data)) {
    report.error = NotFormatReason("WebP");
    return false;
  }
  const WebPData whole{reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())};
  std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&whole));
  if (!demux) {
    report.error = kDamaged;
    return false;
  }
  const int64_t canvasW = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
  const int64_t canvasH = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
  if (!FitsPixelBudget(canvasW, canvasH, options, report)) return false;
  WebPIterator frame{};
  if (!WebPDemuxGetFrame(demux.get(), 1, &frame)) {
    report.error = kDamaged;
    return false;
  }
  std::unique_ptr<WebPIterator, FrameReleaser> frameHolder(&frame);
  if (frame.x_offset < 0 || frame.y_offset < 0 || frame.width <= 0 || frame.height <= 0 ||
      frame.x_offset + int64_t{frame.width} > canvasW || frame.y_offset + int64_t{frame.height} > canvasH) {
    report.error = kDamaged;
    return false;
  }

  CDIB decoded;
  if (!decoded.Reshape(static_cast<int32_t>(canvasW), static_cast<int32_t>(canvasH))) {
    report.error = kNoMemory;
    return false;
  }
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) {
    report.error = kNoMemory;
    return false;
  }
  DecodedFrame holder{&config.output};
  const bool direct = !frame.has_alpha && frame.width == canvasW && frame.height == canvasH;
  if (direct) {
    config.output.colorspace = MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = decoded.DIBPointer();
    config.output.u.RGBA.stride = decoded.SRB();
    config.output.u.RGBA.size = static_cast<size_t>(decoded.RGBSize()) + 1;
    config.options.flip = 1;  // bottom-up, as our rows are
  } else {
    config.output.colorspace = MODE_BGRA;
  }
  const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
  if (status != VP8_STATUS_OK) {
    report.error = status == VP8_STATUS_OUT_OF_MEMORY ? QString(kNoMemory) : QString(kDamaged);
    return false;
  }
  if (!direct) {
    // The canvas outside the first frame is transparent: white, like alpha.
    for (int32_t y = 0; y < decoded.Height(); ++y)
      std::memset(decoded.DIBPointer() + static_cast<int64_t>(y) * decoded.SRB(), 255,
                  static_cast<size_t>(decoded.SRB()));
    for (int y = 0; y < frame.height; ++y) {
      const uint8_t* in = config.output.u.RGBA.rgba + static_cast<int64_t>(y) * config.output.u.RGBA.stride;
      uint8_t* row =
          decoded.DIBPointer() + (canvasH - 1 - frame.y_offset - y) * decoded.SRB() + 3 * frame.x_offset;
      for (int x = 0; x < frame.width; ++x, in += 4, row += 3) {
        for (int c = 0; c < 3; ++c) row[c] = OverWhite(in[c], in[3]);
      }
    }
  }
  WebPChunkIterator chunk{};
  if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
    ConvertToSrgb(decoded, QByteArray(reinterpret_cast<const char*>(chunk.chunk.bytes),
                                      static_cast<qsizetype>(chunk.chunk.size)));
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  out.Swap(decoded);
  return true;
}

bool WriteWebp(const CDIB& picture, const QString& fileName, int quality, bool grey, FileReport& report) {
  if (picture.DIBPointer() == nullptr || quality < 1 || quality > 100) return false;
  const int32_t w = picture.Width(), h = picture.Height();
  if (w > WEBP_MAX_DIMENSION || h > WEBP_MAX_DIMENSION) {
    report.error = TooLargeReason(w, h);
    return false;
  }
  WebPConfig config;
  WebPPicture pic;
  if (!WebPConfigInit(&config) || !WebPPictureInit(&pic)) return false;
  config.quality = static_cast<float>(quality);
  config.lossless = quality == 100 ? 1 : 0;
  pic.width = w;
  pic.height = h;
  pic.use_argb = config.lossless;
  // The rows are imported from the top one down: a negative stride walks the
  // bottom-up rows in place.
  const uint8_t* top = picture.DIBPointer() + static_cast<int64_t>(h - 1) * picture.SRB();
  int stride = -picture.SRB();
  std::vector<uint8_t> greyRows;
  if (grey) {
    try {
      greyRows.resize(static_cast<size_t>(w) * 3 * h);
    } catch (const std::bad_alloc&) {
      report.error = kNoMemory;
      return false;
    }
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* in = top - static_cast<int64_t>(y) * picture.SRB();
      uint8_t* o = greyRows.data() + static_cast<size_t>(y) * w * 3;
      for (int32_t x = 0; x < w; ++x, in += 3, o += 3) o[0] = o[1] = o[2] = luma(in);
    }
    top = greyRows.data();
    stride = 3 * w;
  }
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  pic.writer = WebPMemoryWrite;
  pic.custom_ptr = &writer;
  bool ok = WebPPictureImportBGR(&pic, top, stride) && WebPEncode(&config, &pic);
  const bool outOfMemory = pic.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY;
  WebPPictureFree(&pic);
  if (ok)
    ok = writeFile(fileName, writer.mem, writer.size, report);
  else
    report.error = outOfMemory ? QString(kNoMemory) : QStringLiteral("cannot encode WebP");
  WebPMemoryWriterClear(&writer);
  return ok;
}

}  // namespace orvane
