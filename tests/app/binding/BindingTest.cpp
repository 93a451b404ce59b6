#include <gtest/gtest.h>

#include "Qrix.h"

namespace {

TEST(Binding, ResolvesQrixFunctionsByName) {
  uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(QRIX(dllcomparesamelen)(1, 2, 3), 1);
  EXPECT_EQ(QRIX(DllSetBlack)(pixels, 5), 1);
  EXPECT_EQ(pixels[4], 0);
  EXPECT_EQ(pixels[5], 6);
}

TEST(Binding, MissingLibraryOrFunctionNamesBoth) {
  orvane::DynamicLibrary missing("libnot-there.so");
  try {
    missing.resolve("dllgaussblur");
    FAIL() << "no exception";
  } catch (const orvane::LibraryError& e) {
    EXPECT_NE(std::string(e.what()).find("libnot-there.so"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("dllgaussblur"), std::string::npos);
  }
  try {
    orvane::qrixLibrary().resolve("dllTo16");
    FAIL() << "no exception";
  } catch (const orvane::LibraryError& e) {
    EXPECT_EQ(e.library(), "libqrix.so.1");
    EXPECT_EQ(e.function(), "dllTo16");
  }
}

}  // namespace
