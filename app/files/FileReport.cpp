#include "FileReport.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {

QString NotFormatReason(const QString& formatName) { return QStringLiteral("not a %1 file").arg(formatName); }

QString TooLargeReason(int64_t width, int64_t height) {
  return QStringLiteral("too large (%1 \u00d7 %2)").arg(width).arg(height);
}

QString CannotWriteReason(const QString& systemReason) {
  return QStringLiteral("cannot write here: %1").arg(systemReason);
}

QString CannotReadReason(const QString& systemReason) {
  return QStringLiteral("cannot read: %1").arg(systemReason);
}

QString WriteFailureReason(int systemError) {
  if (systemError == ENOSPC || systemError == EDQUOT) return QString::fromLatin1(kDiskFull);
  return CannotWriteReason(QString::fromLocal8Bit(std::strerror(systemError != 0 ? systemError : EIO)));
}

int64_t DefaultPixelBudget() {
  constexpr int64_t kMostPixels = int64_t{256} << 20;  // 16384 x 16384
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kMostPixels;
  const int64_t halfMemory = int64_t{pages} * pageSize / 2;
  return std::min(kMostPixels, halfMemory / 3);
}

bool FitsPixelBudget(int64_t width, int64_t height, const OpenOptions& options, FileReport& report) {
  const int64_t budget = options.maxPixels > 0 ? options.maxPixels : DefaultPixelBudget();
  if (width <= 0 || height <= 0) {
    report.error = kDamaged;
    return false;
  }
  // Compared by division so that absurd header values cannot overflow.
  if (width > budget || height > budget / width) {
    report.error = TooLargeReason(width, height);
    return false;
  }
  return true;
}

}  // namespace orvane
