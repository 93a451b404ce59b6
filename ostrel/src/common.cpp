#include "common.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "ostrel.h"

namespace ostrel {

int64_t strideFor(int64_t width) { return (width * 3 + 3) & ~int64_t{3}; }

bool geometryFits(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (width > std::numeric_limits<int32_t>::max() / 3) return false;
  return strideFor(width) * height <= std::numeric_limits<int32_t>::max();
}

bool bufferHolds(int32_t size, int32_t stride, int32_t width, int32_t height) {
  if (!geometryFits(width, height) || stride < 3 * int64_t{width}) return false;
  const int64_t needed = int64_t{stride} * (height - 1) + 3 * int64_t{width};
  return needed <= int64_t{size} + 1;
}

bool readRegularFile(const char* fileName, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (fileName == nullptr) return false;
  // Non-blocking: opening a pipe must not wait for a writer.
  const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail(OSTREL_E_OPEN, errno);
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!ok) fail(OSTREL_E_NOT_A_FILE);
  if (ok &&
      (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > std::numeric_limits<size_t>::max() / 2))
    ok = fail(OSTREL_E_MEMORY);
  if (ok) {
    try {
      bytes.resize(static_cast<size_t>(info.st_size));
    } catch (...) {
      ok = fail(OSTREL_E_MEMORY);
    }
  }
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = fail(OSTREL_E_OPEN, errno);
    } else if (n == 0) {
      ok = fail(OSTREL_E_DAMAGED);  // the file shrank while it was read
    } else {
      done += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

namespace {
thread_local int32_t callStatus = OSTREL_OK;
thread_local int32_t callErrno = 0;
thread_local bool lenientDecoding = false;
}  // namespace

void beginCall() {
  callStatus = OSTREL_OK;
  callErrno = 0;
}

bool fail(int32_t status, int systemError) {
  if (callStatus == OSTREL_OK || callStatus == OSTREL_E_DAMAGED) {  // the first hard reason wins
    callStatus = status;
    callErrno = systemError;
  }
  return false;
}

void setStatus(int32_t status) { callStatus = status; }

bool lenient() { return lenientDecoding; }

namespace {
struct ReportedSize {
  Format format = Format::Tiff;
  std::string fileName;
  int32_t width = 0;
  int32_t height = 0;
};
thread_local ReportedSize lastReported;
}  // namespace

void rememberSize(Format format, const char* fileName, int32_t width, int32_t height) {
  lastReported = ReportedSize{format, fileName, width, height};
}

bool sizeWasReported(Format format, const char* fileName, int32_t width, int32_t height) {
  return fileName != nullptr && lastReported.format == format && lastReported.fileName == fileName &&
         lastReported.width == width && lastReported.height == height && width > 0 && height > 0;
}

}  // namespace ostrel

extern "C" OSTREL_API int32_t ostrel_status(void) { return ostrel::callStatus; }
extern "C" OSTREL_API int32_t ostrel_system_error(void) { return ostrel::callErrno; }
extern "C" OSTREL_API void ostrel_set_lenient(int32_t on) { ostrel::lenientDecoding = on != 0; }
