// The pictures the benchmarks run on: 4000 x 3000 (no row padding) and
// 4001 x 3000 (one padding byte per row), filled with a fixed pseudo-random
// photo-like pattern.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "AllocationMeter.h"
#include "qrix.h"

namespace bench {

struct Picture {
  int32_t width;
  int32_t height;
  int32_t stride;
  std::vector<uint8_t> original;
  std::vector<uint8_t> image;   // worked on in place
  std::vector<uint8_t> source;  // read-only copy for source/destination functions

  int32_t size() const { return static_cast<int32_t>(image.size()) - 1; }
  void restore() { std::memcpy(image.data(), original.data(), image.size()); }
};

Picture& picture(int32_t width);

constexpr int32_t kHeight = 3000;

// The last argument of every benchmark: the library's threads, 1 or 0 for every processor.
inline const std::vector<int64_t> kThreads = {1, 0};

// Sets the library's threads from argument Pos before each run.
template <int Pos>
void threadsFrom(const benchmark::State& state) {
  dllsetthreads(static_cast<int32_t>(state.range(Pos)), 0);
}

// Registers fn for both picture widths, at one thread and at every processor, timed in milliseconds.
inline void widths(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{4000, 4001}, kThreads})
      ->Setup(threadsFrom<1>)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

// Runs call once more, untimed, and reports the most heap memory it held at any moment beyond
// what was held before it, in pictures ("extra_memory").
template <typename Call>
void measureExtraMemory(benchmark::State& state, size_t pictureBytes, Call call) {
  const size_t before = bytesInUse();
  resetPeak();
  call();
  state.counters["extra_memory"] =
      static_cast<double>(peakBytes() - before) / static_cast<double>(pictureBytes);
}

// Runs body on a freshly restored picture each iteration; the restore is not timed.
template <typename Body>
void runInPlace(benchmark::State& state, Body body) {
  Picture& p = picture(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    p.restore();
    state.ResumeTiming();
    body(p);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(p.image.size()));
  p.restore();
  measureExtraMemory(state, p.image.size(), [&] { body(p); });
}

}  // namespace bench
