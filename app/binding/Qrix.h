// Calls into qrix through the run-time binding:
//   QRIX(dllgaussblur)(source, destination, size, stride);
// resolves dllgaussblur on its first call and throws LibraryError when the
// library or the function is missing.
#pragma once

#include "DynamicLibrary.h"
#include "qrix.h"

#define QRIX(name)                                                                               \
  ([]() -> decltype(&::name) {                                                                   \
    static decltype(&::name) bound = ::orvane::qrixLibrary().resolveAs<decltype(::name)>(#name); \
    return bound;                                                                                \
  }())
