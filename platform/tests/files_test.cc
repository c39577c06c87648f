// Atomic writes, no-replace renames and the rename seam.
#include "platform/files.h"

#include <gtest/gtest.h>

#include "platform_testing/temp_dir.h"

TEST(FilesTest, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  platform_testing::TempDir dir;
  std::string f = dir.file("state");
  ASSERT_TRUE(platform::writeFileAtomic(f, "old"));
  ASSERT_TRUE(platform::writeFileAtomic(f, std::string("new\0data", 8)));
  std::string content;
  ASSERT_TRUE(platform::readWholeFile(f, content));
  EXPECT_EQ(content, std::string("new\0data", 8));
  EXPECT_FALSE(platform::fileExists(f + ".tmp"));

  platform::testing::failNextRenames(1);
  EXPECT_FALSE(platform::writeFileAtomic(f, "lost"));
  ASSERT_TRUE(platform::readWholeFile(f, content));
  EXPECT_EQ(content, std::string("new\0data", 8));
  EXPECT_FALSE(platform::fileExists(f + ".tmp"));
}

TEST(FilesTest, NoReplaceRenameKeepsExistingTarget) {
  platform_testing::TempDir dir;
  ASSERT_TRUE(platform::writeFileAtomic(dir.file("a"), "A"));
  ASSERT_TRUE(platform::writeFileAtomic(dir.file("b"), "B"));
  EXPECT_FALSE(platform::renameNoReplace(dir.file("a"), dir.file("b")));
  std::string content;
  ASSERT_TRUE(platform::readWholeFile(dir.file("b"), content));
  EXPECT_EQ(content, "B");
  EXPECT_TRUE(platform::renameNoReplace(dir.file("a"), dir.file("c")));
  EXPECT_FALSE(platform::fileExists(dir.file("a")));
}
