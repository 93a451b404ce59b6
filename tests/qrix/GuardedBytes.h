// A copy of some bytes that ends just before a page which may be neither read nor written, so a
// routine touching even one byte past the end of its buffer faults at once instead of reading
// whatever the allocator left there.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

class GuardedBytes {
 public:
  explicit GuardedBytes(const std::vector<uint8_t>& from) : size_(from.size()) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    length_ = (size_ + page - 1) / page * page + page;
    void* p = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
      std::perror("GuardedBytes: mmap");
      std::abort();
    }
    base_ = static_cast<uint8_t*>(p);
    if (mprotect(base_ + length_ - page, page, PROT_NONE) != 0) {
      std::perror("GuardedBytes: mprotect");
      std::abort();
    }
    data_ = base_ + length_ - page - size_;
    if (size_ != 0) std::memcpy(data_, from.data(), size_);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  ~GuardedBytes() { munmap(base_, length_); }

  uint8_t* data() { return data_; }
  size_t size() const { return size_; }
  std::vector<uint8_t> bytes() const { return std::vector<uint8_t>(data_, data_ + size_); }
  bool operator==(const std::vector<uint8_t>& other) const {
    return other.size() == size_ && (size_ == 0 || std::memcmp(data_, other.data(), size_) == 0);
  }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t length_ = 0;
};
