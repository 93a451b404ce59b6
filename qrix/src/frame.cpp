// Shared state of the library and the exports that do nothing.
#include "internal.h"

namespace qrix {

uint32_t& randomState() {
  thread_local uint32_t state = 1;
  return state;
}

}  // namespace qrix

extern "C" {

int32_t dllcomparesamelen(int32_t, int32_t, int32_t) { return 1; }
int32_t dlltestarr(int32_t, int32_t, int32_t) { return 1; }
int32_t dllownfilter(int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }
int32_t dllinsertsolid(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                       int32_t, int32_t) {
  return 1;
}
int32_t dllspotlight(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                     int32_t) {
  return 1;
}
// Defined by no caller; kept so that binding it by name succeeds.
int32_t dllhistogram(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }

}  // extern "C"
