// JPEG read from memory straight into the caller's bottom-up rows, with the
// checks a file from anywhere needs: a size that the data could hold, a
// bounded number of scans, and damage reported instead of hidden.
#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "common.h"
#include "ostrel.h"

namespace {

// Progressive files may hold any number of scans, each a full pass over the
// picture: a small file of empty scans would keep us busy for minutes.
constexpr int kMostScans = 1000;
// Every 8 x 8 block costs at least one Huffman-coded bit, and one block of a
// component covers at most 8 x 32 pixels of the picture: a header claiming
// more pixels per byte of file than this (a margin of two) is lying.
constexpr int64_t kMostPixelsPerByte = 4096;

struct DecodeErrors {
  jpeg_error_mgr base;
  std::jmp_buf exit;
  bool lenient;
  int32_t status;
};

[[noreturn]] void stopDecoding(j_common_ptr info, int32_t status) {
  auto* errors = reinterpret_cast<DecodeErrors*>(info->err);
  errors->status = status;
  std::longjmp(errors->exit, 1);
}

void onDecodeError(j_common_ptr info) {
  const int code = info->err->msg_code;
  stopDecoding(info, code == JERR_OUT_OF_MEMORY ? OSTREL_JPEG_NO_MEMORY
                     : code == JERR_NO_SOI      ? OSTREL_JPEG_NOT_JPEG
                                                : OSTREL_JPEG_DAMAGED);
}

// Warnings that mean pixels are missing or wrong; the rest (an unknown JFIF
// revision, say) leave the picture whole.
bool meansDamage(int code) {
  switch (code) {
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
      return true;
    default:
      // The arithmetic decoder's "bad code" has no name of its own in every
      // libjpeg; its text says what it is.
      return false;
  }
}

void onDecodeMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  char text[JMSG_LENGTH_MAX] = {};
  (*info->err->format_message)(info, text);
  const bool damage = meansDamage(info->err->msg_code) || std::strncmp(text, "Corrupt JPEG data", 17) == 0;
  if (!damage) return;
  auto* errors = reinterpret_cast<DecodeErrors*>(info->err);
  // Refused at the first sign of damage, before the rest is decoded for nothing.
  if (!errors->lenient) stopDecoding(info, OSTREL_JPEG_DAMAGED);
  errors->status = OSTREL_JPEG_DAMAGED;
}

void countScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMostScans)
    stopDecoding(info, OSTREL_JPEG_DAMAGED);
}

// Photoshop, which writes nearly all CMYK JPEGs, stores the inks inverted and
// says so with its Adobe marker.
void cmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned ink = inverted ? cmyk[c] : 255u - cmyk[c];
      bgr[2 - c] = static_cast<uint8_t>((ink * k + 127) / 255);
    }
  }
}

// With pixels null only the header is read. Kept free of objects with
// destructors: libjpeg reports errors by longjmp.
bool decompress(const uint8_t* data, int64_t length, uint8_t* pixels, int32_t stride, int32_t& width,
                int32_t& height, bool lenient, int32_t& status) {
  jpeg_decompress_struct info{};
  DecodeErrors errors{};
  jpeg_progress_mgr progress{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = onDecodeError;
  errors.base.emit_message = onDecodeMessage;
  errors.lenient = lenient;
  errors.status = OSTREL_JPEG_FINE;
  progress.progress_monitor = countScans;
  if (setjmp(errors.exit)) {
    jpeg_destroy_decompress(&info);
    status = errors.status == OSTREL_JPEG_FINE ? OSTREL_JPEG_DAMAGED : errors.status;
    return false;
  }
  jpeg_create_decompress(&info);
  info.progress = &progress;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(length));
  jpeg_read_header(&info, TRUE);
  const auto common = reinterpret_cast<j_common_ptr>(&info);
  const int64_t pixelCount = int64_t{info.image_width} * info.image_height;
  if (!ostrel::geometryFits(info.image_width, info.image_height) ||
      (!info.arith_code && pixelCount / kMostPixelsPerByte > length))
    stopDecoding(common, OSTREL_JPEG_DAMAGED);
  if (pixels == nullptr) {
    width = static_cast<int32_t>(info.image_width);
    height = static_cast<int32_t>(info.image_height);
    jpeg_destroy_decompress(&info);
    status = errors.status;
    return true;
  }
  if (info.image_width != static_cast<JDIMENSION>(width) ||
      info.image_height != static_cast<JDIMENSION>(height))
    stopDecoding(common, OSTREL_JPEG_DAMAGED);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  JSAMPARRAY inks = nullptr;
  if (cmyk) inks = (*info.mem->alloc_sarray)(common, JPOOL_IMAGE, info.output_width * 4, 1);
  while (info.output_scanline < info.output_height) {
    // Rows are bottom-up in the buffer; JPEG gives the top row first.
    uint8_t* row = pixels + (int64_t{height} - 1 - info.output_scanline) * stride;
    JSAMPROW line = cmyk ? inks[0] : row;
    if (jpeg_read_scanlines(&info, &line, 1) != 1) stopDecoding(common, OSTREL_JPEG_DAMAGED);
    if (cmyk) cmykToBgr(inks[0], row, info.output_width, info.saw_Adobe_marker);
  }
  // Not finished: whatever follows the last scan line (the end marker, or data
  // appended after it, as motion photos have) is none of our business.
  jpeg_destroy_decompress(&info);
  status = errors.status;
  return true;
}

}  // namespace

extern "C" OSTREL_API int32_t jpeginfo(const uint8_t* data, int64_t length, int32_t* width, int32_t* height,
                                       int32_t* status) {
  int32_t ignored = 0;
  if (status == nullptr) status = &ignored;
  *status = OSTREL_JPEG_NOT_JPEG;
  if (data == nullptr || length < 2 || width == nullptr || height == nullptr) return 0;
  int32_t w = 0, h = 0;
  // Damage in the header is for the decode to judge, under the caller's policy.
  if (!decompress(data, length, nullptr, 0, w, h, true, *status)) return 0;
  *width = w;
  *height = h;
  return 1;
}

extern "C" OSTREL_API int32_t jpeg2mem(const uint8_t* data, int64_t length, uint8_t* pixels, int32_t size,
                                       int32_t stride, int32_t width, int32_t height, int32_t lenient,
                                       int32_t* status) {
  int32_t ignored = 0;
  if (status == nullptr) status = &ignored;
  *status = OSTREL_JPEG_NOT_JPEG;
  if (data == nullptr || length < 2 || pixels == nullptr) return 0;
  if (!ostrel::bufferHolds(size, stride, width, height)) return 0;
  return decompress(data, length, pixels, stride, width, height, lenient != 0, *status) ? 1 : 0;
}
