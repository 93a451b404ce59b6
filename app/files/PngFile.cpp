// PNG through libpng. libpng reports errors by longjmp, so the code between a
// setjmp and its libpng calls holds no objects with destructors: everything
// that needs freeing is made before (readHeader, then the caller allocates,
// then readRows).
#include <png.h>

#include <QFile>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "ColourProfile.h"
#include "PictureFormats.h"

namespace orvane {

namespace {

struct Source {
  const uint8_t* data;
  size_t size;
  size_t position;
};

void readFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (count > source->size - source->position) png_error(png, "truncated");
  std::memcpy(out, source->data + source->position, count);
  source->position += count;
}

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

struct PngHeader {
  png_uint_32 width = 0, height = 0;
  int channels = 0;  // 3 (BGR) or 4 (BGRA) after the transforms
  bool interlaced = false;
};

struct ReadStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStructs() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Reads the header and asks libpng for 8-bit blue-green-red(-alpha) rows.
bool readHeader(png_structp png, png_infop info, Source* source, PngHeader* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, readFromMemory);
  // Our own pixel budget decides what is too large, not libpng's default.
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(png, info);
  int depth = 0, colour = 0, interlace = 0;
  png_get_IHDR(png, info, &header->width, &header->height, &depth, &colour, &interlace, nullptr, nullptr);
  if (depth == 16) png_set_scale_16(png);  // rounds, where strip_16 would truncate
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  header->interlaced = interlace != PNG_INTERLACE_NONE;
  if (header->interlaced) png_set_interlace_handling(png);
  // png_read_update_info allocates the row buffers: it waits for the budget check.
  header->channels = (colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS) ? 4 : 3;
  return true;
}

void compositeRow(const uint8_t* bgra, uint8_t* bgr, png_uint_32 width) {
  for (png_uint_32 x = 0; x < width; ++x, bgra += 4, bgr += 3) {
    for (int c = 0; c < 3; ++c) bgr[c] = OverWhite(bgra[c], bgra[3]);
  }
}

struct RowTarget {
  uint8_t* pixels;   // the picture's bottom row
  int64_t stride;    // of the picture
  uint8_t* scratch;  // one BGRA row, or the whole BGRA picture when interlaced
  png_bytepp rows;   // row pointers for an interlaced read
  png_uint_32 rowsDone;
};

uint8_t* pictureRow(const RowTarget* t, const PngHeader& h, png_uint_32 y) {
  return t->pixels + (static_cast<int64_t>(h.height) - 1 - y) * t->stride;
}

bool readRows(png_structp png, png_infop info, const PngHeader* h, RowTarget* t) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_update_info(png, info);
  if (png_get_channels(png, info) != h->channels) return false;
  const bool alpha = h->channels == 4;
  if (h->interlaced) {
    png_read_image(png, t->rows);
    if (alpha) {
      for (png_uint_32 y = 0; y < h->height; ++y) compositeRow(t->rows[y], pictureRow(t, *h, y), h->width);
    }
    t->rowsDone = h->height;
    return true;
  }
  for (png_uint_32 y = 0; y < h->height; ++y) {
    uint8_t* row = pictureRow(t, *h, y);
    png_read_row(png, alpha ? t->scratch : row, nullptr);
    if (alpha) compositeRow(t->scratch, row, h->width);
    t->rowsDone = y + 1;
  }
  return true;
}

struct WriteStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;
  ~WriteStructs() {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

bool writeRows(png_structp png, png_infop info, std::FILE* file, const CDIB* picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  const int32_t w = picture->Width(), h = picture->Height();
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int32_t y = 0; y < h; ++y)  // rows are bottom-up in the picture
    png_write_row(png, picture->DIBPointer() + static_cast<int64_t>(h - 1 - y) * picture->SRB());
  png_write_end(png, info);
  return true;
}

}  // namespace

bool ReadPng(const QByteArray& data, CDIB& out, const OpenOptions& options, FileReport& report) {
  if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.constData()), 0, 8) != 0) {
    report.error = NotFormatReason("PNG");
    return false;
  }
  ReadStructs s;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) {
    report.error = kNoMemory;
    return false;
  }
  Source source{reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size()), 0};
  PngHeader header;
  if (!readHeader(s.png, s.info, &source, &header)) {
    report.error = kDamaged;
    return false;
  }
  if (!FitsPixelBudget(header.width, header.height, options, report)) return false;

  CDIB decoded;
  const bool alpha = header.channels == 4;
  const size_t scratchBytes = size_t{4} * header.width * (header.interlaced ? header.height : 1);
  std::unique_ptr<uint8_t[]> scratch(alpha ? new (std::nothrow) uint8_t[scratchBytes] : nullptr);
  std::unique_ptr<png_bytep[]> rows(header.interlaced ? new (std::nothrow) png_bytep[header.height]
                                                      : nullptr);
  if (!decoded.Reshape(static_cast<int32_t>(header.width), static_cast<int32_t>(header.height)) ||
      (alpha && !scratch) || (header.interlaced && !rows)) {
    report.error = kNoMemory;
    return false;
  }
  RowTarget target{decoded.DIBPointer(), decoded.SRB(), scratch.get(), rows.get(), 0};
  for (png_uint_32 y = 0; header.interlaced && y < header.height; ++y)
    rows[y] = alpha ? scratch.get() + size_t{4} * header.width * y : pictureRow(&target, header, y);
  if (!readRows(s.png, s.info, &header, &target)) {
    // What arrived before the damage is kept only when asked for, and only
    // for row-by-row files: an interlaced file's first passes are all over.
    if (!options.lenient || header.interlaced || target.rowsDone == 0) {
      report.error = kDamaged;
      return false;
    }
    for (png_uint_32 y = target.rowsDone; y < header.height; ++y)
      std::memset(pictureRow(&target, header, y), 0, static_cast<size_t>(decoded.SRB()));
    report.warning = kDamaged;
  }
  png_charp name = nullptr;
  png_bytep profile = nullptr;
  png_uint_32 profileLength = 0;
  int compression = 0;
  if (png_get_iCCP(s.png, s.info, &name, &compression, &profile, &profileLength) == PNG_INFO_iCCP)
    ConvertToSrgb(decoded, QByteArray(reinterpret_cast<const char*>(profile), profileLength));
  out.Swap(decoded);
  return true;
}

bool WritePng(const CDIB& picture, const QString& fileName, FileReport& report) {
  if (picture.DIBPointer() == nullptr) return false;
  WriteStructs s;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) {
    report.error = kNoMemory;
    return false;
  }
  s.file = std::fopen(QFile::encodeName(fileName).constData(), "wb");
  if (s.file == nullptr) {
    report.error = CannotWriteReason(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  bool ok = writeRows(s.png, s.info, s.file, &picture) && std::fflush(s.file) == 0 && !std::ferror(s.file);
  ok = std::fclose(s.file) == 0 && ok;
  s.file = nullptr;
  if (!ok) {
    report.error = errno == ENOSPC ? QString(kDiskFull)
                                   : CannotWriteReason(QString::fromLocal8Bit(std::strerror(errno)));
    std::remove(QFile::encodeName(fileName).constData());
  }
  return ok;
}

}  // namespace orvane
