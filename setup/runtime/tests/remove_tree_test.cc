// Removing directory trees: files only when asked, read-only files too, links
// removed without following them, and roots and bad paths refused.
#include "files/remove_tree.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform_testing/temp_dir.h"
#include "runtime_test.h"

namespace {

namespace fs = std::filesystem;

class RemoveTreeTest : public merl_testing::RuntimeTest {
 protected:
  // C:\T with files at two levels (one read-only), an empty subdirectory, and links to
  // C:\OUTSIDE and to its read-only file keep.txt.
  void makeTree() {
    machine().makeFile("T/a.txt", "a");
    machine().makeFile("T/SUB/b.txt", "b");
    machine().makeFile("T/SUB/DEEP/c.txt", "c");
    fs::create_directories(machine().hostC("T/EMPTY/EMPTIER"));
    ::chmod(machine().hostC("T/SUB/b.txt").c_str(), 0444);
    machine().makeFile("OUTSIDE/keep.txt", "keep");
    ::chmod(machine().hostC("OUTSIDE/keep.txt").c_str(), 0444);
    fs::create_directory_symlink(machine().hostC("OUTSIDE"), machine().hostC("T/SUB/dirlink"));
    fs::create_symlink(machine().hostC("OUTSIDE/keep.txt"), machine().hostC("T/filelink"));
  }
  bool exists(const std::string& relative) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(machine().hostC(relative), ec));
  }
  void expectOutsideIntact() {
    EXPECT_EQ(win_testing::TestMachine::readText(machine().hostC("OUTSIDE/keep.txt")), "keep");
    struct stat st {};
    ASSERT_EQ(::stat(machine().hostC("OUTSIDE/keep.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
  }
};

TEST_F(RemoveTreeTest, WithFilesTheWholeTreeGoesAndLinksAreNotFollowed) {
  makeTree();
  EXPECT_TRUE(merl::RemoveDirTree("C:\\T", true));
  EXPECT_FALSE(exists("T"));
  expectOutsideIntact();
}

TEST_F(RemoveTreeTest, WithoutFilesOnlyEmptyDirectoriesAndLinksGo) {
  makeTree();
  EXPECT_FALSE(merl::RemoveDirTree("c:\\t\\", false));
  EXPECT_FALSE(exists("T/EMPTY"));
  EXPECT_FALSE(exists("T/SUB/dirlink"));
  for (const char* kept : {"T/a.txt", "T/filelink", "T/SUB/b.txt", "T/SUB/DEEP/c.txt"}) EXPECT_TRUE(exists(kept)) << kept;
  expectOutsideIntact();
}

TEST_F(RemoveTreeTest, LinkGivenAsTheTreeIsRemovedItself) {
  makeTree();
  EXPECT_TRUE(merl::RemoveDirTree("C:\\T\\SUB\\dirlink", true));
  EXPECT_FALSE(exists("T/SUB/dirlink"));
  expectOutsideIntact();
}

TEST_F(RemoveTreeTest, RootsAndBadPathsAreRefused) {
  platform_testing::TempDir share;
  useMachine("[drives]\n\\\\SRV\\SHARE = " + share.path() + "\n");
  machine().makeFile("KEEP/file.txt");
  fs::create_directories(share.file("DIR"));
  for (const char* path : {"C:\\", "C:", "C:\\KEEP\\..", "\\\\SRV\\SHARE", "\\\\SRV\\SHARE\\", "C:\\MISSING",
                           "C:\\KEEP\\file.txt", "", "C:\\BAD|NAME"})
    EXPECT_FALSE(merl::RemoveDirTree(path, true)) << path;
  EXPECT_FALSE(merl::RemoveDirTree(("C:\\" + std::string(300, 'L')).c_str(), true));
  EXPECT_FALSE(merl::RemoveDirTree(nullptr, true));
  EXPECT_TRUE(exists("KEEP/file.txt"));
  EXPECT_TRUE(fs::is_directory(share.file("DIR")));
}

}  // namespace
