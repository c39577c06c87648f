// Deleting by pattern through a tree (links, backups, bad patterns) and the
// attribute mode.
#include "files/delete_files.h"

#include <filesystem>
#include <string>

#include "constants.h"
#include "runtime_test.h"
#include "script/variables.h"
#include "win/files.h"

namespace {

namespace fs = std::filesystem;

constexpr win::DWORD kKept = win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_SYSTEM |
                             win::FILE_ATTRIBUTE_ARCHIVE;

class DeleteFilesTest : public merl_testing::RuntimeTest {
 protected:
  // C:\APP with read-only, hidden and system files two levels deep, and a link to C:\OUTSIDE.
  void makeTree() {
    for (const char* f : {"APP/A.TXT", "APP/H.DAT", "APP/SUB/A.TXT", "APP/SUB/DEEP/S.TXT", "OUTSIDE/O.TXT"})
      file(f, f);
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\A.TXT", win::FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\H.DAT", win::FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\SUB\\DEEP\\S.TXT", win::FILE_ATTRIBUTE_SYSTEM));
    fs::create_directory_symlink(machine().hostC("OUTSIDE"), machine().hostC("APP/LINK"));
  }
  void file(const std::string& relative, const std::string& text) {
    fs::create_directories(fs::path(machine().hostC(relative)).parent_path());
    machine().makeFile(relative, text);
  }
  bool exists(const std::string& relative) { return fs::exists(fs::symlink_status(machine().hostC(relative))); }
  std::string text(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  win::DWORD attributes(const char* path) { return win::GetFileAttributes(path) & kKept; }
};

TEST_F(DeleteFilesTest, ATreeDeletionEmptiesTheTreeButKeepsItsTopAndLinkTargets) {
  makeTree();
  merl::DeleteFiles("C:\\APP\\*.*", merl::kDeleteRemoveEmptied | merl::kDeleteRecurse, merl::kDeleteMode);
  for (const char* gone : {"APP/A.TXT", "APP/H.DAT", "APP/SUB"}) EXPECT_FALSE(exists(gone)) << gone;
  EXPECT_TRUE(fs::is_directory(machine().hostC("APP")));
  EXPECT_TRUE(exists("APP/LINK"));
  EXPECT_EQ(text("OUTSIDE/O.TXT"), "OUTSIDE/O.TXT");
}

TEST_F(DeleteFilesTest, WithBackupsEachFileIsCopiedToItsNumberedBackupFirst) {
  makeTree();
  merl::SetVar("BACKUPDIR", "C:\\BACKUP");
  merl::DeleteFiles("C:\\APP\\*.TXT", merl::kDeleteRecurse, merl::kDeleteMode);
  EXPECT_FALSE(exists("APP/A.TXT"));
  EXPECT_FALSE(exists("APP/SUB/A.TXT"));
  EXPECT_EQ(text("BACKUP/A.TXT"), "APP/A.TXT");
  EXPECT_EQ(text("BACKUP/A.001"), "APP/SUB/A.TXT");
  EXPECT_EQ(text("BACKUP/S.TXT"), "APP/SUB/DEEP/S.TXT");
  EXPECT_TRUE(exists("APP/H.DAT"));
}

TEST_F(DeleteFilesTest, AFileWhoseBackupFailsIsKept) {
  makeTree();
  machine().makeFile("BLOCK", "a file where the backup directory would go");
  merl::SetVar("BACKUPDIR", "C:\\BLOCK\\BACKUP");
  merl::DeleteFiles("C:\\APP\\*.*", merl::kDeleteRecurse | merl::kDeleteRemoveEmptied, merl::kDeleteMode);
  for (const char* kept : {"APP/A.TXT", "APP/H.DAT", "APP/SUB/A.TXT", "APP/SUB/DEEP/S.TXT"})
    EXPECT_TRUE(exists(kept)) << kept;
}

TEST_F(DeleteFilesTest, BadPatternsChangeNothing) {
  struct Case {
    const char* name;
    std::string pattern;
  } cases[] = {
      {"matches nothing", "C:\\APP\\*.XYZ"},
      {"climbs above the root", "C:\\APP\\..\\..\\*.*"},
      {"the root itself", "C:\\*.*"},
      {"no directory", "*.*"},
      {"too long", "C:\\APP\\" + std::string(300, 'A') + "\\*.*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    useMachine("");
    file("ROOT.TXT", "r");
    file("APP/A.TXT", "a");
    merl::DeleteFiles(c.pattern, merl::kDeleteRecurse | merl::kDeleteRemoveEmptied, merl::kDeleteMode);
    EXPECT_TRUE(exists("ROOT.TXT"));
    EXPECT_TRUE(exists("APP/A.TXT"));
  }
}

TEST_F(DeleteFilesTest, PathsThatDoNotFitAreSkippedAndTheRestDeleted) {
  std::string deep = "APP/" + std::string(120, 'D') + "/" + std::string(120, 'E');
  file(deep + "/LONGNAME.TXT", "x");
  file("APP/A.TXT", "a");
  merl::DeleteFiles("C:\\APP\\*.TXT", merl::kDeleteRecurse, merl::kDeleteMode);
  EXPECT_FALSE(exists("APP/A.TXT"));
  EXPECT_TRUE(exists(deep + "/LONGNAME.TXT"));
}

TEST_F(DeleteFilesTest, RecursionStopsAtItsDepthLimit) {
  std::string reached = "APP", beyond;
  for (int level = 0; level < merl::kDeleteDepthLimit; ++level) reached += "/D";
  beyond = reached + "/D";
  file(reached + "/F.TXT", "x");
  file(beyond + "/F.TXT", "x");
  merl::DeleteFiles("C:\\APP\\*.TXT", merl::kDeleteRecurse, merl::kDeleteMode);
  EXPECT_FALSE(exists(reached + "/F.TXT"));
  EXPECT_TRUE(exists(beyond + "/F.TXT"));
}

TEST_F(DeleteFilesTest, AttributeModeSetsTheFlaggedAttributes) {
  struct Case {
    int flags;
    win::DWORD top, sub;
  } cases[] = {
      {7, kKept, 0},
      {0x10, 0, 0},
      {0x11, win::FILE_ATTRIBUTE_READONLY, 0},
      {0, win::FILE_ATTRIBUTE_ARCHIVE, 0},
      {8 | 2, win::FILE_ATTRIBUTE_ARCHIVE | win::FILE_ATTRIBUTE_HIDDEN,
       win::FILE_ATTRIBUTE_ARCHIVE | win::FILE_ATTRIBUTE_HIDDEN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    useMachine("");
    file("APP/A.TXT", "a");
    file("APP/.DOT", "d");
    file("APP/SUB/S.TXT", "s");
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\SUB\\S.TXT", win::FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\.DOT", win::FILE_ATTRIBUTE_SYSTEM));
    merl::DeleteFiles("C:\\APP\\*.TXT", c.flags, merl::kAttributeMode);
    EXPECT_EQ(attributes("C:\\APP\\A.TXT"), c.top);
    EXPECT_EQ(attributes("C:\\APP\\SUB\\S.TXT"), c.sub);
    merl::DeleteFiles("C:\\APP\\*.*", c.flags & ~8, merl::kAttributeMode);
    EXPECT_EQ(attributes("C:\\APP\\.DOT"), win::FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(exists("APP/A.TXT"));
  }
}

}  // namespace
