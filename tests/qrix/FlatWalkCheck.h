// Checks shared by the pixel-wise functions that visit the buffer as consecutive triples
// (offsets 0, 3, 6, ... while offset < size - 2), rows and padding ignored.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PixelBuffer.h"

namespace flat_walk_check {

using WalkCall = std::function<int32_t(uint8_t* image, int32_t size)>;

// One past the last byte of the last visited triple.
inline int32_t walkEnd(int32_t size) {
  int32_t end = 0;
  for (int32_t i = 0; i < size - 2; i += 3) end = i + 3;
  return end;
}

// Runs `call` on one triple alone (size 3), with a guard byte behind it.
inline std::vector<uint8_t> tripleAlone(const WalkCall& call, const uint8_t* triple) {
  std::vector<uint8_t> one = {triple[0], triple[1], triple[2], 0x5A};
  call(one.data(), 3);
  EXPECT_EQ(one[3], 0x5A) << "a triple on its own: the byte after it was written";
  one.pop_back();
  return one;
}

// Pictures 1 to 5 pixels wide (row padding 1, 2, 3, 0 and 1 bytes), 1 to 3 rows high:
// the call returns 1 and leaves every byte from the end of the last visited triple on as it
// was (among them the buffer's last byte). With `pointwise`, every visited triple, aligned
// with a pixel or not, ends as the call makes that triple on its own.
inline void expectFlatWalk(const WalkCall& call, bool pointwise) {
  for (int32_t w = 1; w <= 5; ++w) {
    for (int32_t h = 1; h <= 3; ++h) {
      SCOPED_TRACE("picture " + std::to_string(w) + "x" + std::to_string(h));
      const auto before = testing_support::randomBuffer(w, h, static_cast<uint32_t>(7 * w + h));
      auto after = before;
      EXPECT_EQ(call(after.data(), after.size()), 1);
      const int32_t end = walkEnd(after.size());
      for (size_t i = static_cast<size_t>(end); i < after.bytes.size(); ++i) {
        EXPECT_EQ(after.bytes[i], before.bytes[i]) << "byte " << i << " lies past the walk";
      }
      if (!pointwise) continue;
      for (int32_t i = 0; i < end; i += 3) {
        const auto alone = tripleAlone(call, before.data() + i);
        for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(after.bytes[i + c], alone[c]) << "byte " << i + c;
      }
    }
  }
}

// A size below 3 (including negative ones) visits nothing.
inline void expectNothingForTinySizes(const WalkCall& call) {
  for (int32_t size : {2, 1, 0, -1, -3, INT32_MIN}) {
    auto b = testing_support::randomBuffer(2, 2, 11);
    const auto before = b.bytes;
    EXPECT_EQ(call(b.data(), size), 1) << "size " << size;
    EXPECT_EQ(b.bytes, before) << "size " << size;
  }
}

}  // namespace flat_walk_check
