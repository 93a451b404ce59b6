#include <gtest/gtest.h>

#include "GuardedBytes.h"

// The equivalence tests rely on the guard: if it ever stopped faulting, their checks against
// reads past the end would pass unseen.
TEST(GuardedBytesDeathTest, TouchingTheByteAfterTheEndFaults) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7};
  GuardedBytes g(bytes);
  EXPECT_TRUE(g == bytes);
  EXPECT_EQ(g.data()[6], 7);
  EXPECT_DEATH(
      {
        volatile uint8_t* p = g.data();
        p[7] = p[7] + 1;
      },
      "");
}
