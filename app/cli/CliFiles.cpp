#include "CliFiles.h"

#include "cFileDIB.h"

namespace orvane::cli {

// Every format goes through the program's file class, so the CLI reads and
// writes exactly what the desktop program does.
bool loadPicture(const QString& path, CDIB& image) { return cFileDIB().MainOpen(path, image); }

bool loadPicture(const QString& path, CDIB& image, const OpenOptions& options, FileReport& report) {
  return cFileDIB().MainOpen(path, image, options, report);
}

bool savePicture(const CDIB& image, const QString& path, int quality, bool grey) {
  FileReport report;
  return savePicture(image, path, report, quality, grey);
}

bool savePicture(const CDIB& image, const QString& path, FileReport& report, int quality, bool grey) {
  // A PCX save turns the image over and back; it is unchanged afterwards.
  return cFileDIB().MainSave(path, const_cast<CDIB&>(image), static_cast<int16_t>(quality), grey, report);
}

bool parseQuality(const std::string& text, int& quality, std::string& error) {
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (...) {
    used = 0;
  }
  const bool digitsOnly = text.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || used == 0 || used != text.size() || value < 1 || value > 100) {
    error = "--quality must be a whole number from 1 to 100 (got '" + text + "')";
    return false;
  }
  quality = value;
  return true;
}

}  // namespace orvane::cli
