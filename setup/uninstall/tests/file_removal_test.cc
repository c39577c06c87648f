// Deleting files and removing directory trees: what goes, what is refused, the
// note that the program's own file was deleted, and restores from a backup,
// at the next restart when the target is busy.
#include "system/file_removal.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "run_state.h"
#include "win/profile.h"
#include "win_testing/pending_renames.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

TEST(FileRemovalTest, TreesGoAfterTheirContentsAndProtectedPathsStay) {
  struct Case {
    const char* name;
    const char* directory;
    bool deleteFiles;
    std::vector<const char*> gone, kept;  // below drive C
  };
  const Case cases[] = {
      {"files deleted", "C:\\APP", true, {"APP/A.TXT", "APP/SUB/B.TXT", "APP"}, {"OTHER/C.TXT"}},
      {"empty only", "C:\\APP", false, {"APP/EMPTY"}, {"APP/A.TXT", "APP/SUB/B.TXT"}},
      {"drive root refused", "C:\\", true, {}, {"APP/A.TXT", "OTHER/C.TXT"}},
      {"system directory refused", "C:\\WINDOWS\\SYSTEM", true, {}, {"WINDOWS/SYSTEM/S.DLL"}},
      {"windows directory in another case refused", "c:\\windows", true, {}, {"WINDOWS/W.INI"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    for (const char* f : {"APP/A.TXT", "APP/SUB/B.TXT", "OTHER/C.TXT", "WINDOWS/SYSTEM/S.DLL", "WINDOWS/W.INI"})
      m.makeFile(f, "x");
    std::filesystem::create_directories(m.hostC("APP/EMPTY"));
    remvex::RemoveDirectoryTree(c.directory, c.deleteFiles);
    for (const char* p : c.gone) EXPECT_FALSE(std::filesystem::exists(m.hostC(p))) << p;
    for (const char* p : c.kept) EXPECT_TRUE(std::filesystem::exists(m.hostC(p))) << p;
  }
}

TEST(FileRemovalTest, DeletingTheOwnFileIsNoted) {
  TestMachine m;
  m.makeFile("Program Files/APP/REMVEX32.EXE", "x");
  m.makeFile("Program Files/APP/OTHER.EXE", "x");
  remvex::Run() = remvex::RunState();
  remvex::Run().ownPath = "C:\\Program Files\\APP\\REMVEX32.EXE";
  EXPECT_EQ(remvex::DeleteOneFile("C:\\Program Files\\APP\\OTHER.EXE"), 0);
  EXPECT_FALSE(remvex::Run().ownExecutableDeleted);
  EXPECT_EQ(remvex::DeleteOneFile("C:\\NONE.EXE"), 1);
  EXPECT_EQ(remvex::DeleteOneFile("c:\\program files\\app\\.\\remvex32.exe"), 0);
  EXPECT_TRUE(remvex::Run().ownExecutableDeleted);
  remvex::Run() = remvex::RunState();
}

TEST(FileRemovalTest, DotsLinksAndAncestorsOfTheSystemAreGuarded) {
  struct Case {
    const char* name;
    const char* directory;
    std::vector<const char*> gone, kept;  // below drive C
  };
  const Case cases[] = {
      {"dots reaching the Windows directory", "C:\\APP\\..\\WINDOWS", {}, {"WINDOWS/W.INI", "WINDOWS/SYSTEM/S.DLL"}},
      {"dots reaching the drive root", "C:\\APP\\..", {}, {"APP/A.TXT", "OTHER/C.TXT"}},
      {"trailing backslash on the system directory", "C:\\WINDOWS\\SYSTEM\\", {}, {"WINDOWS/SYSTEM/S.DLL"}},
      {"a link is removed, not entered", "C:\\APP", {"APP/LINK", "APP/A.TXT", "APP"}, {"OTHER/C.TXT", "OTHER"}},
      {"dots inside the tree", "C:\\APP\\SUB\\..", {"APP/SUB/B.TXT", "APP"}, {"OTHER/C.TXT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    for (const char* f : {"APP/A.TXT", "APP/SUB/B.TXT", "OTHER/C.TXT", "WINDOWS/SYSTEM/S.DLL", "WINDOWS/W.INI"})
      m.makeFile(f, "x");
    std::filesystem::create_directory_symlink(m.hostC("OTHER"), m.hostC("APP/LINK"));
    remvex::RemoveDirectoryTree(c.directory, true);
    for (const char* p : c.gone) EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m.hostC(p)))) << p;
    for (const char* p : c.kept) EXPECT_TRUE(std::filesystem::exists(m.hostC(p))) << p;
  }
}

TEST(FileRemovalTest, PatternsInProtectedDirectoriesDeleteNothing) {
  struct Case {
    const char* pattern;
    int result;
    std::vector<const char*> gone;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\*.*", 0, {}},
      {"c:\\windows\\system\\*.DLL", 0, {}},
      {"C:\\APP\\..\\WINDOWS\\*.INI", 0, {}},
      {"C:\\*.*", 0, {}},
      {"*.*", 0, {}},
      {"C:\\APP\\*.HLP", 1, {"APP/HELP.HLP", "APP/HELP.GID", "APP/HELP.FTS"}},
      {"C:\\APP\\*.*", 1, {"APP/HELP.HLP", "APP/HELP.GID", "APP/HELP.FTS", "APP/A.TXT"}},
  };
  const std::vector<const char*> all = {"WINDOWS/W.INI", "WINDOWS/SYSTEM/S.DLL", "ROOT.TXT", "APP/HELP.HLP",
                                        "APP/HELP.GID", "APP/HELP.FTS", "APP/A.TXT", "APP/SUB/B.TXT"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    TestMachine m;
    for (const char* f : all) m.makeFile(f, "x");
    EXPECT_EQ(remvex::RemoveOrRestoreFile(c.pattern, "", false), c.result);
    for (const char* f : all) {
      bool gone = std::find_if(c.gone.begin(), c.gone.end(), [&](const char* g) { return std::string(g) == f; }) !=
                  c.gone.end();
      EXPECT_EQ(std::filesystem::exists(m.hostC(f)), !gone) << f;
    }
  }
}

TEST(FileRemovalTest, HelpFileTakesItsIndexesAlong) {
  TestMachine m;
  for (const char* f : {"APP/HELP.HLP", "APP/HELP.GID", "APP/HELP.FTS", "APP/HELP.TXT", "APP/X.HLP"}) m.makeFile(f, "x");
  remvex::DeleteFileWithHelpIndex("C:\\APP\\help.hlp");
  for (const char* f : {"APP/HELP.HLP", "APP/HELP.GID", "APP/HELP.FTS"}) EXPECT_FALSE(std::filesystem::exists(m.hostC(f))) << f;
  for (const char* f : {"APP/HELP.TXT", "APP/X.HLP"}) EXPECT_TRUE(std::filesystem::exists(m.hostC(f))) << f;
}

TEST(FileRemovalTest, BusyTargetIsRestoredAtTheNextRestart) {
  struct Case {
    const char* name;
    const char* ini;
    int platform;
  };
  const Case cases[] = {{"NT", "", 1}, {"9x", "[system]\nplatform = 9x\n", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(c.ini) + "[failures]\nbusy = C:\\APP\\DEMO.EXE\n");
    remvex::Run() = remvex::RunState();
    remvex::Run().platform = c.platform;
    m.makeFile("APP/DEMO.EXE", "new bytes");
    m.makeFile("APP/BACKUP/DEMO.EXE", "old bytes");
    EXPECT_EQ(remvex::RemoveOrRestoreFile("C:\\APP\\DEMO.EXE", "C:\\APP\\BACKUP\\DEMO.EXE", true), 1);
    EXPECT_EQ(TestMachine::readText(m.hostC("APP/~QDU0000.TMP")), "old bytes");
    EXPECT_EQ(TestMachine::readText(m.hostC("APP/DEMO.EXE")), "new bytes");
    EXPECT_FALSE(std::filesystem::exists(m.hostC("APP/BACKUP/DEMO.EXE")));
    EXPECT_TRUE(remvex::Run().restartNeeded);
    auto pending = win_testing::readPendingRenames();
    if (c.platform == 1) {
      ASSERT_EQ(pending.size(), 1u);
      EXPECT_EQ(pending[0].flags, 5u);
      EXPECT_EQ(pending[0].source, "C:\\APP\\~QDU0000.TMP");
      EXPECT_EQ(pending[0].target, "C:\\APP\\DEMO.EXE");
    } else {
      EXPECT_TRUE(pending.empty());
      char value[64] = {};
      win::GetPrivateProfileString("rename", "C:\\APP\\DEMO.EXE", "", value, sizeof value, "WININIT.INI");
      EXPECT_STREQ(value, "C:\\APP\\~QDU0000.TMP");
    }
    remvex::Run() = remvex::RunState();
  }
}

TEST(FileRemovalTest, RestoreOfAFreeTargetCopiesTheBackupAndDropsIt) {
  TestMachine m;
  remvex::Run() = remvex::RunState();
  m.makeFile("APP/DEMO.EXE", "new bytes");
  m.makeFile("APP/BACKUP/DEMO.EXE", "old bytes");
  m.makeFile("APP/~QDU0000.TMP", "someone else's");
  EXPECT_EQ(remvex::RemoveOrRestoreFile("C:\\APP\\DEMO.EXE", "C:\\APP\\BACKUP\\DEMO.EXE", true), 1);
  EXPECT_EQ(TestMachine::readText(m.hostC("APP/DEMO.EXE")), "old bytes");
  EXPECT_FALSE(std::filesystem::exists(m.hostC("APP/BACKUP/DEMO.EXE")));
  EXPECT_FALSE(remvex::Run().restartNeeded);
  EXPECT_EQ(remvex::MakeUniqueTempName("C:\\APP\\DEMO.EXE"), "C:\\APP\\~QDU0001.TMP");
  remvex::Run() = remvex::RunState();
}

}  // namespace
