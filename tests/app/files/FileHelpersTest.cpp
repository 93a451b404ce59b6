#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "FileHelpers.h"

using namespace orvane;

TEST(FileHelpers, ExtensionIsTheTextAfterTheLastCountedDot) {
  EXPECT_EQ(GetExtension("/home/me/photo.JPG"), "JPG");
  EXPECT_EQ(GetExtension("/home/me/archive.tar.gz"), "gz");
  EXPECT_EQ(GetExtension("C:\\my.pics\\readme"), "pics\\readme");  // a folder's dot counts
  EXPECT_EQ(GetExtension("/my.pics/readme"), "pics/readme");
  EXPECT_EQ(GetExtension("/home/me/photo."), "");  // last position does not count
  EXPECT_EQ(GetExtension(".x"), "");               // nor do the first two
  EXPECT_EQ(GetExtension("a.bmp"), "");
  EXPECT_EQ(GetExtension("ab.bmp"), "bmp");
  EXPECT_EQ(GetExtension(""), "");
  EXPECT_EQ(GetExtension("/a/b/c"), "");
}

TEST(FileHelpers, SameTextIgnoresCase) {
  EXPECT_TRUE(SameText("JPG", "jpg"));
  EXPECT_TRUE(SameText("ÉTÉ", "été"));
  EXPECT_FALSE(SameText("jpg", "jpeg"));
}

TEST(FileHelpers, DriveAndFreeSpaceFollowTheTargetFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_TRUE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(dir.filePath("missing")));
  EXPECT_FALSE(FileExists(""));

  const QString drive = GetDrive(dir.filePath("new picture.bmp"));
  EXPECT_EQ(QDir(drive), QDir(dir.path()));
  EXPECT_GT(GetFreeSpace(drive), 0);
  EXPECT_EQ(GetDrive(dir.filePath("no such folder/picture.bmp")), "");
  EXPECT_EQ(GetFreeSpace(dir.filePath("no such folder")), -1);
  EXPECT_EQ(GetFreeSpace(""), -1);
}
