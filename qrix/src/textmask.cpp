// Letter masks: clear, fill from a picture, blend and paste back.
#include <cstring>

#include "internal.h"

extern "C" {

int32_t DllSetBlack(uint8_t* buffer, int32_t byteCount) {
  if (byteCount > 0) std::memset(buffer, 0, static_cast<size_t>(byteCount));
  return 1;
}

}  // extern "C"
