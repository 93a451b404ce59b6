// The program's open of one format (FUZZ_EXTENSION): every input is a file of
// that name, read exactly as the desktop program and orvane-cli read it.
#include <QGuiApplication>
#include <cstdint>

#include "FuzzFile.h"
#include "cFileDIB.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = scratchFile(FUZZ_EXTENSION);
  if (!writeInput(name, data, size)) return 0;
  orvane::CDIB image;
  orvane::cFileDIB().MainOpen(QString::fromLocal8Bit(name.c_str()), image);
  std::remove(name.c_str());
  return 0;
}
