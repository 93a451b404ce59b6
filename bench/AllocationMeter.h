// Counts the heap memory the benchmark process holds, so that each benchmark can
// report the most any one call needed beyond what was there before it.
#pragma once

#include <cstddef>

namespace bench {

// Bytes allocated through malloc and its relatives and not yet freed.
size_t bytesInUse();
// The largest bytesInUse() since the last resetPeak().
size_t peakBytes();
void resetPeak();

}  // namespace bench
