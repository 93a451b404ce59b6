// The environment's say over the kernel level, on cpu.cpp compiled into the tests (the library's
// own copy is hidden). scripts/test.sh relies on it to check each lower level's kernels.
#include <gtest/gtest.h>

#include "cpu.h"

using qrix::cpu::chooseLevel;
using qrix::cpu::Level;

TEST(CpuLevel, TheEnvironmentLowersTheLevelButNeverRaisesIt) {
  bool unknown = true;
  EXPECT_EQ(chooseLevel(Level::avx512, nullptr, nullptr, &unknown), Level::avx512);
  EXPECT_FALSE(unknown);
  EXPECT_EQ(chooseLevel(Level::avx512, "", "", &unknown), Level::avx512);
  EXPECT_EQ(chooseLevel(Level::avx512, "avx2", nullptr, &unknown), Level::avx2);
  EXPECT_EQ(chooseLevel(Level::avx512, "plain", nullptr, &unknown), Level::plain);
  EXPECT_EQ(chooseLevel(Level::avx2, "avx512", nullptr, &unknown), Level::avx2);
  EXPECT_EQ(chooseLevel(Level::plain, "avx2", nullptr, &unknown), Level::plain);
  // QRIX_NO_VECTOR set means plain whatever QRIX_CPU says; "0" means unset.
  EXPECT_EQ(chooseLevel(Level::avx512, "avx512", "1", &unknown), Level::plain);
  EXPECT_EQ(chooseLevel(Level::avx512, nullptr, "0", &unknown), Level::avx512);
  EXPECT_FALSE(unknown);
}

TEST(CpuLevel, AnUnknownNameIsReportedAndChangesNothing) {
  bool unknown = false;
  EXPECT_EQ(chooseLevel(Level::avx2, "AVX2", nullptr, &unknown), Level::avx2);
  EXPECT_TRUE(unknown);
  EXPECT_EQ(chooseLevel(Level::avx512, "sse4", nullptr, &unknown), Level::avx512);
  EXPECT_TRUE(unknown);
}
