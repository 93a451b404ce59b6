// TIFF reader: size query, then decoding into a buffer of exactly that size.
#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "ostrel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string name = scratchFile("tif");
  if (!writeInput(name, data, size)) return 0;
  int32_t w = 0, h = 0;
  if (!GetTIFInfo(name.c_str(), &w, &h)) return 0;
  const int64_t stride = (int64_t{w} * 3 + 3) & ~int64_t{3};
  std::vector<uint8_t> pixels(static_cast<size_t>(stride * h));
  GetTIF(name.c_str(), pixels.data(), static_cast<int32_t>(stride), 1);
  return 0;
}
