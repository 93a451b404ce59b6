// What an open or save tells its caller besides true or false: the reason for
// a failure, in the words the user sees, and what a lenient open accepted.
//
// Every reader checks a picture's size against one pixel budget before it
// allocates anything for the pixels.
#pragma once

#include <QString>
#include <cstdint>

namespace orvane {

// The reasons, exactly as shown after a file's name.
inline constexpr const char* kNoSuchFile = "no such file";
inline constexpr const char* kNotAFile = "not a file";
inline constexpr const char* kUnknownFormat = "unknown format";
inline constexpr const char* kDamaged = "damaged or truncated";
inline constexpr const char* kNoMemory = "not enough memory";
inline constexpr const char* kDiskFull = "disk full";
inline constexpr const char* kUnsupportedTiffCompression = "unsupported TIFF compression";
inline constexpr const char* kNothingToSave = "nothing to save";

// "not a PNG file"
QString NotFormatReason(const QString& formatName);
// "too large (W × H)"
QString TooLargeReason(int64_t width, int64_t height);
// "cannot write here: Permission denied"
QString CannotWriteReason(const QString& systemReason);
// "cannot read: Permission denied"
QString CannotReadReason(const QString& systemReason);
// A failed write's reason from the system's error number: "disk full" for a
// full disk or quota, otherwise "cannot write here: <system reason>".
QString WriteFailureReason(int systemError);

struct OpenOptions {
  // Accept what a damaged or truncated file could give; the damage is then
  // reported as a warning instead of failing the open.
  bool lenient = false;
  // The most pixels a picture may have; 0 means DefaultPixelBudget().
  int64_t maxPixels = 0;
};

struct FileReport {
  QString error;    // empty on success
  QString warning;  // set when a lenient open accepted damage
  bool ok() const { return error.isEmpty(); }
};

// 256 megapixels, or fewer where three bytes a pixel would take more than
// half of the machine's memory.
int64_t DefaultPixelBudget();

// True when a width x height picture is non-empty and within the budget
// (options.maxPixels, or the default); otherwise false with report.error set.
bool FitsPixelBudget(int64_t width, int64_t height, const OpenOptions& options, FileReport& report);

}  // namespace orvane
