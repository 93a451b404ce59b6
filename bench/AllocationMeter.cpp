// The allocation functions are replaced here, in the executable, so every allocation of the
// process goes through them: the program's libraries, the C++ operators (which call malloc)
// and OpenCV alike. Each forwards to the C library's own and keeps the running totals from
// the block's usable size. The benchmark runs on one thread; the totals are atomic anyway.
#include "AllocationMeter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> peak{0};

void* counted(void* block) {
  if (block) {
    const size_t bytes = malloc_usable_size(block);
    const size_t now = inUse.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    size_t top = peak.load(std::memory_order_relaxed);
    while (now > top && !peak.compare_exchange_weak(top, now, std::memory_order_relaxed)) {
    }
  }
  return block;
}

void uncounted(void* block) {
  if (block) inUse.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
}

}  // namespace

namespace bench {

size_t bytesInUse() { return inUse.load(std::memory_order_relaxed); }
size_t peakBytes() { return peak.load(std::memory_order_relaxed); }
void resetPeak() { peak.store(bytesInUse(), std::memory_order_relaxed); }

}  // namespace bench

extern "C" {

void* malloc(size_t size) { return counted(__libc_malloc(size)); }

void* calloc(size_t count, size_t size) { return counted(__libc_calloc(count, size)); }

void free(void* block) {
  uncounted(block);
  __libc_free(block);
}

void* realloc(void* block, size_t size) {
  const size_t before = block ? malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (!moved && size != 0) return nullptr;  // the old block stays as it was
  inUse.fetch_sub(before, std::memory_order_relaxed);
  return counted(moved);
}

void* memalign(size_t alignment, size_t size) { return counted(__libc_memalign(alignment, size)); }

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) {
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* block = memalign(alignment, size);
  if (!block) return ENOMEM;
  *out = block;
  return 0;
}

}  // extern "C"
