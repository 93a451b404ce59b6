// JPEG through libjpeg: baseline, true colour or grey scale.
#include <cerrno>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "common.h"
#include "ostrel.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf exit;
};

void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->exit, 1); }
void onMessage(j_common_ptr, int) {}

// Kept free of objects with destructors: libjpeg reports errors by longjmp.
bool compress(std::FILE* f, const uint8_t* pixels, int32_t width, int32_t height, int32_t stride, bool grey,
              int quality) {
  jpeg_compress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = onError;
  errors.base.emit_message = onMessage;
  if (setjmp(errors.exit)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  if (grey) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    // Rows are bottom-up in the buffer; JPEG wants the top row first.
    const int64_t row = height - 1 - static_cast<int64_t>(info.next_scanline);
    JSAMPROW line = const_cast<JSAMPROW>(pixels + row * stride);
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

extern "C" OSTREL_API int32_t mem2jpeg(const uint8_t* pixels, int32_t size, int32_t width, int32_t height,
                                       int32_t stride, int32_t colourMode, int32_t quality,
                                       const char* fileName) {
  ostrel::beginCall();
  if (pixels == nullptr || fileName == nullptr) return ostrel::fail(OSTREL_E_ARGUMENT);
  if (colourMode != OSTREL_JPEG_GREY && colourMode != OSTREL_JPEG_TRUE_COLOUR)
    return ostrel::fail(OSTREL_E_ARGUMENT);
  if (quality < 1 || quality > 100) return ostrel::fail(OSTREL_E_ARGUMENT);
  if (!ostrel::bufferHolds(size, stride, width, height) || width > JPEG_MAX_DIMENSION ||
      height > JPEG_MAX_DIMENSION)
    return ostrel::fail(OSTREL_E_ARGUMENT);
  std::FILE* f = std::fopen(fileName, "wb");
  if (f == nullptr) return ostrel::fail(OSTREL_E_WRITE, errno);
  errno = 0;
  const bool encoded = compress(f, pixels, width, height, stride, colourMode == OSTREL_JPEG_GREY, quality);
  bool ok = std::fflush(f) == 0 && !std::ferror(f) && encoded;
  int writeError = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    writeError = errno;
  }
  if (!ok) {
    // libjpeg ends a failed write and a failed allocation alike; errno tells them apart.
    const bool memory = !encoded && (writeError == 0 || writeError == ENOMEM);
    ostrel::fail(memory ? OSTREL_E_MEMORY : OSTREL_E_WRITE, writeError);
    std::remove(fileName);
  }
  return ok ? 1 : 0;
}
