// Atomic writes, no-replace renames, renames the fault point fails, bounded
// reads and opening beneath the working directory.
#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform_testing/faults.h"
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

  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, f, 1);
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

TEST(FilesTest, RemoveFileReportsWhetherAnEntryWasRemoved) {
  platform_testing::TempDir dir;
  std::string name = dir.file("f");
  ASSERT_TRUE(platform::writeFileAtomic(name, "0123456789"));
  EXPECT_TRUE(platform::removeFile(name));
  EXPECT_FALSE(platform::removeFile(name));
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

TEST(FilesTest, BoundedReadRefusesALargerFileAndReadsItsStartOnly) {
  platform_testing::TempDir dir;
  std::string f = dir.file("state");
  ASSERT_TRUE(platform::writeFileAtomic(f, "0123456789"));
  std::string content = "stale";
  EXPECT_TRUE(platform::readWholeFile(f, content, 10));
  EXPECT_EQ(content, "0123456789");
  EXPECT_FALSE(platform::readWholeFile(f, content, 9));
  EXPECT_EQ(content, "");
  EXPECT_TRUE(platform::readFileStart(f, content, 4));
  EXPECT_EQ(content, "0123");
  EXPECT_TRUE(platform::readFileStart(f, content, 40));
  EXPECT_EQ(content, "0123456789");
}

// Names resolved beneath the working directory, with openat2 and with the
// walk that stands in for it on older kernels.
TEST(FilesTest, OpensBeneathTheDirectoryAndNeverThroughALink) {
  platform_testing::TempDir root;
  std::filesystem::create_directories(root.file("work/in"));
  std::filesystem::create_directory(root.file("outside"));
  ASSERT_TRUE(platform::writeFileAtomic(root.file("work/in/file"), "inside"));
  ASSERT_TRUE(platform::writeFileAtomic(root.file("outside/secret"), "secret"));
  std::filesystem::create_directory_symlink("../outside", root.file("work/ln"));
  std::filesystem::create_symlink("../outside/secret", root.file("work/lf"));
  std::filesystem::create_directory_symlink(".", root.file("work/in/self"));
  platform_testing::ScopedCwd cwd(root.file("work"));

  struct Case {
    std::string path;
    int flags;
    int error;  // 0: opens
  };
  const Case cases[] = {
      {"in/file", O_RDONLY, 0},
      {"./in//file", O_RDONLY, 0},
      {"in/new", O_WRONLY | O_CREAT | O_EXCL, 0},
      {"in", O_RDONLY | O_DIRECTORY, 0},
      {"ln/secret", O_RDONLY, ELOOP},
      {"ln/new", O_WRONLY | O_CREAT, ELOOP},
      {"lf", O_RDONLY, ELOOP},
      {"in/self/file", O_RDONLY, ELOOP},
      {"../outside/secret", O_RDONLY, EXDEV},
      {root.file("outside/secret"), O_RDONLY, EXDEV},
      {"missing/file", O_RDONLY, ENOENT},
  };
  for (bool walk : {false, true}) {
    platform::testing::useComponentWalk(walk);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.path + (walk ? " (walk)" : " (openat2)"));
      std::filesystem::remove("in/new");
      errno = 0;
      int fd = platform::openBeneath(c.path, c.flags, 0644);
      if (c.error == 0) {
        EXPECT_GE(fd, 0) << std::strerror(errno);
        EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
      } else {
        EXPECT_EQ(fd, -1);
        EXPECT_EQ(errno, c.error) << std::strerror(errno);
      }
      if (fd >= 0) ::close(fd);
    }
  }
  platform::testing::useComponentWalk(false);
  EXPECT_FALSE(std::filesystem::exists(root.file("outside/new")));
}
