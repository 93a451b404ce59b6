#include "CliFiles.h"

#include "cFileDIB.h"

namespace orvane::cli {

// Every format goes through the program's file class, so the CLI reads and
// writes exactly what the desktop program does.
bool loadPicture(const QString& path, CDIB& image) { return cFileDIB().MainOpen(path, image); }

bool loadPicture(const QString& path, CDIB& image, const OpenOptions& options, FileReport& report) {
  return cFileDIB().MainOpen(path, image, options, report);
}

bool savePicture(const CDIB& image, const QString& path) {
  FileReport report;
  return savePicture(image, path, report);
}

bool savePicture(const CDIB& image, const QString& path, FileReport& report) {
  // A PCX save turns the image over and back; it is unchanged afterwards.
  return cFileDIB().MainSave(path, const_cast<CDIB&>(image), 75, false, report);
}

}  // namespace orvane::cli
