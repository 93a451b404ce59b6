// Comparing a fast pixel function with its plain version over every colour.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace equivalence {

using InPlace = std::function<int32_t(uint8_t* image, int32_t size)>;

// Every colour once, as 2^24 triples with one byte after them; built once per process.
inline const std::vector<uint8_t>& allColours() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(3u << 24 | 1u, 0x77);
    for (uint32_t c = 0; c < (1u << 24); ++c) {
      b[3 * c] = static_cast<uint8_t>(c);
      b[3 * c + 1] = static_cast<uint8_t>(c >> 8);
      b[3 * c + 2] = static_cast<uint8_t>(c >> 16);
    }
    return b;
  }();
  return bytes;
}

inline void expectSameOnAllColours(const std::string& what, const InPlace& fast, const InPlace& plain) {
  std::vector<uint8_t> a = allColours(), b = allColours();
  const int32_t size = static_cast<int32_t>(a.size()) - 1;
  EXPECT_EQ(fast(a.data(), size), plain(b.data(), size)) << what;
  if (a == b) return;
  size_t i = 0;
  while (a[i] == b[i]) ++i;
  ADD_FAILURE() << what << ": colour " << i / 3 << " byte " << i % 3 << " is " << int(a[i]) << " instead of "
                << int(b[i]);
}

}  // namespace equivalence
