// Deleting files and removing directory trees: what goes, what is refused, and
// the note that the program's own file was deleted.
#include "system/file_removal.h"

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "run_state.h"
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

}  // namespace
