#include "cpu.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qrix::cpu {

namespace {

#if defined(__x86_64__)
// __builtin_cpu_supports takes only literal names, hence one test per feature.
bool hasSsse3() { return __builtin_cpu_supports("ssse3"); }
bool hasSse41() { return __builtin_cpu_supports("sse4.1"); }
bool hasAvx2() { return __builtin_cpu_supports("avx2"); }
bool hasVbmi() { return __builtin_cpu_supports("avx512vbmi"); }
// Everything a function built for arch=x86-64-v4 may use.
bool hasV4() {
#if defined(__clang__)
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
         __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512cd") &&
         __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
#else
  return __builtin_cpu_supports("x86-64-v4");
#endif
}
#else
bool hasSsse3() { return false; }
bool hasSse41() { return false; }
bool hasAvx2() { return false; }
bool hasVbmi() { return false; }
bool hasV4() { return false; }
#endif

}  // namespace

Level processorLevel() {
  static const Level best = hasV4() ? Level::avx512 : (hasAvx2() ? Level::avx2 : Level::plain);
  return best;
}

Level chooseLevel(Level processor, const char* cpuVariable, const char* noVectorVariable, bool* unknown) {
  *unknown = false;
  if (noVectorVariable != nullptr && *noVectorVariable != '\0' && std::strcmp(noVectorVariable, "0") != 0) {
    return Level::plain;
  }
  if (cpuVariable == nullptr || *cpuVariable == '\0') return processor;
  Level asked;
  if (std::strcmp(cpuVariable, "plain") == 0) {
    asked = Level::plain;
  } else if (std::strcmp(cpuVariable, "avx2") == 0) {
    asked = Level::avx2;
  } else if (std::strcmp(cpuVariable, "avx512") == 0) {
    asked = Level::avx512;
  } else {
    *unknown = true;
    return processor;
  }
  return static_cast<int>(asked) < static_cast<int>(processor) ? asked : processor;
}

namespace {

// The highest level the environment allows: avx512 when it says nothing.
Level allowed() {
  static const Level cap = [] {
    bool unknown = false;
    const char* asked = std::getenv("QRIX_CPU");
    const Level l = chooseLevel(Level::avx512, asked, std::getenv("QRIX_NO_VECTOR"), &unknown);
    // Said once, so that a misspelt value does not pass for a checked level.
    if (unknown) std::fprintf(stderr, "qrix: QRIX_CPU=%s is not plain, avx2 or avx512; ignored\n", asked);
    return l;
  }();
  return cap;
}

}  // namespace

Level level() {
  static const Level chosen =
      static_cast<int>(allowed()) < static_cast<int>(processorLevel()) ? allowed() : processorLevel();
  return chosen;
}

// A processor without AVX2 still takes the SSSE3 and SSE4.1 kernels; only a forced plain stops them.
bool ssse3() {
  static const bool usable = allowed() != Level::plain && hasSsse3();
  return usable;
}

bool sse41() {
  static const bool usable = allowed() != Level::plain && hasSse41();
  return usable;
}

bool vbmi() {
  static const bool usable = level() == Level::avx512 && hasVbmi();
  return usable;
}

}  // namespace qrix::cpu
