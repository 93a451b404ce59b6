#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ProgramFiles.h"

namespace {

namespace fs = std::filesystem;

// A prefix laid out as an install (bin/ and share/orvane/), in a fresh folder.
class ProgramFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("orvane-programfiles-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(bin());
    fs::create_directories(share() / "resources");
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path bin() const { return root / "bin"; }
  fs::path share() const { return root / "share" / "orvane"; }
  static void touch(const fs::path& file) { std::ofstream(file) << "x"; }

  fs::path root;
};

TEST_F(ProgramFilesTest, BesideTheProgramFirstThenTheInstalledDataFolder) {
  touch(share() / "Help.txt");
  touch(share() / "resources" / "over.wav");
  EXPECT_EQ(orvane::FindProgramFile(bin(), "Help.txt"), share() / "Help.txt");
  // Either separator style of the button's sound names, and a leading "./".
  EXPECT_EQ(orvane::FindProgramFile(bin(), "./resources/over.wav"), share() / "resources" / "over.wav");

  // A build tree keeps the data beside the program: that copy wins.
  touch(bin() / "Help.txt");
  EXPECT_EQ(orvane::FindProgramFile(bin(), "Help.txt"), bin() / "Help.txt");
}

TEST_F(ProgramFilesTest, MissingFoldersAndEscapingNamesFindNothing) {
  touch(root / "outside.txt");
  fs::create_directories(bin() / "resources");
  EXPECT_TRUE(orvane::FindProgramFile(bin(), "Help.txt").empty());
  EXPECT_TRUE(orvane::FindProgramFile(bin(), "resources").empty()) << "a folder is not a file";
  EXPECT_TRUE(orvane::FindProgramFile(bin(), "../outside.txt").empty());
  EXPECT_TRUE(orvane::FindProgramFile(bin(), (root / "outside.txt").string()).empty());
  EXPECT_TRUE(orvane::FindProgramFile(fs::path(), "Help.txt").empty());
  EXPECT_TRUE(orvane::FindProgramFile(bin(), "").empty());
}

TEST(ProgramFiles, TheRunningProgramFindsItsBuildTreeHelp) {
  // The test programs live in build/bin beside the copied Help.txt.
  EXPECT_TRUE(fs::equivalent(orvane::ProgramFolder(), ORVANE_BIN_DIR));
  const fs::path help = orvane::FindProgramFile("Help.txt");
  ASSERT_FALSE(help.empty());
  EXPECT_TRUE(fs::equivalent(help, fs::path(ORVANE_BIN_DIR) / "Help.txt"));
}

}  // namespace
