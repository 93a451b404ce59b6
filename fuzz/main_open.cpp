// The program's open over every format: the first byte picks the extension,
// the rest is the file.
#include <QGuiApplication>
#include <cstdint>

#include "FuzzFile.h"
#include "cFileDIB.h"

namespace {
const char* const kExtensions[] = {"bmp", "jpg", "gif", "ico", "wmf", "emf", "tif", "pcx"};
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The program's own limits apply: the pixel budget and Qt's allocation limit
  // as the file class sets them. A greedy or slow input is a finding.
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char* extension = kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];
  const std::string name = scratchFile(extension);
  if (!writeInput(name, data + 1, size - 1)) return 0;
  orvane::CDIB image;
  orvane::cFileDIB().MainOpen(QString::fromLocal8Bit(name.c_str()), image);
  std::remove(name.c_str());
  return 0;
}
