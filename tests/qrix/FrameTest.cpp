#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "qrix.h"

namespace {

TEST(Frame, DoNothingExportsReturnOneAndTouchNothing) {
  EXPECT_EQ(dllcomparesamelen(-1, 0, 7), 1);
  EXPECT_EQ(dlltestarr(0, 0, 0), 1);
  EXPECT_EQ(dllownfilter(1, 2, 3, 4, 5), 1);
  EXPECT_EQ(dllinsertsolid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11), 1);
  EXPECT_EQ(dllspotlight(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(dllhistogram(0, 0, 0, 0, 0, 0), 1);
}

}  // namespace
