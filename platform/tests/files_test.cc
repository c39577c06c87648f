// Atomic writes, no-replace renames and the rename seam.
#include "platform/files.h"

#include <filesystem>

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

TEST(FilesTest, FindsFileWhoseNameDiffersOnlyInCase) {
  platform_testing::TempDir dir;
  ASSERT_TRUE(platform::writeFileAtomic(dir.file("Rule.10.1.2.3.bk"), "R"));
  std::filesystem::create_directory(dir.file("rule.9.9.9.9.bk"));
  EXPECT_EQ(platform::findFileIgnoringCase(dir.path(), "Rule.10.1.2.3.bk"), "Rule.10.1.2.3.bk");
  EXPECT_EQ(platform::findFileIgnoringCase(dir.path(), "RULE.10.1.2.3.BK"), "Rule.10.1.2.3.bk");
  EXPECT_EQ(platform::findFileIgnoringCase(dir.path(), "rule.10.1.2.4.bk"), "");
  EXPECT_EQ(platform::findFileIgnoringCase(dir.path(), "Rule.9.9.9.9.bk"), "");  // a directory is no file
  EXPECT_EQ(platform::findFileIgnoringCase(dir.file("missing"), "Rule.10.1.2.3.bk"), "");
}
