#include <gtest/gtest.h>

#include "OstrelFiles.h"
#include "PixelBuffer.h"
#include "ostrel.h"

using namespace ostrel_test;
using testing_support::PixelBuffer;

// Decoding is checked through the program's reader (tests/app/files); here
// the writer's own contract.
TEST(Jpeg, WritesOnlyForValidModesQualitiesAndBuffers) {
  ScratchDir dir;
  const PixelBuffer picture = testing_support::randomBuffer(17, 9, 5);
  const std::string name = dir.file("out put.jpg");
  const auto write = [&](int32_t mode, int32_t quality, int32_t size = -1, int32_t stride = 0) {
    return mem2jpeg(picture.data(), size < 0 ? picture.size() : size, 17, 9, stride ? stride : picture.stride,
                    mode, quality, name.c_str());
  };
  for (int32_t quality : {1, 50, 100}) {
    ASSERT_TRUE(write(3, quality));
    ASSERT_TRUE(write(0, quality));
    const auto bytes = readBytes(name);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
  }
  std::filesystem::remove(name);
  EXPECT_EQ(write(3, 0), 0);
  EXPECT_EQ(write(3, 101), 0);
  EXPECT_EQ(write(1, 75), 0);
  EXPECT_EQ(write(3, 75, picture.stride), 0);
  EXPECT_EQ(write(3, 75, -1, 48), 0);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(
      mem2jpeg(picture.data(), picture.size(), 17, 9, picture.stride, 3, 75, dir.file("a/b.jpg").c_str()), 0);
}
