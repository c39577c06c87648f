// Records run in place that change the machine: INI edits, directories, renames,
// deleted files and started programs, and what test state leaves out.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/variables.h"
#include "script_run.h"
#include "win/constants.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

namespace fs = std::filesystem;
using merl_testing::ScriptRunTest;

class InterpRecordsTest : public ScriptRunTest {
 protected:
  void loadWithWin(const std::string& body) {
    load(body);
    merl::SetVar("WIN", "C:\\WINDOWS");
    merl::SetVar("SYS", "C:\\WINDOWS\\SYSTEM");
  }
  std::string iniText() { return machine().readText(machine().hostC("WINDOWS/DEMO.INI")); }
};

TEST_F(InterpRecordsTest, IniRecordCreatesChangesAndDeletes) {
  loadWithWin("ini file=\"DEMO.INI\" section=\"Opts\" entries=\"Mode=fast\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(iniText(), "[Opts]\r\nMode=fast\r\n");
  EXPECT_EQ(logged(),
            "INI New: Created INI\r\nINI File: C:\\WINDOWS\\DEMO.INI\r\nINI Sect: Opts\r\nINI Item: Mode\r\n"
            "INI Val: fast\r\n");

  loadWithWin("ini file=\"DEMO.INI\" section=\"Opts\" entries=\"Mode=slow\\r\\nKeep=1\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(logged().find("INI New"), std::string::npos);
  EXPECT_NE(logged().find("INI Item: Mode\r\nINI Val: slow\r\nINI Old: fast\r\n"), std::string::npos) << logged();
  EXPECT_EQ(iniText(), "[Opts]\r\nMode=slow\r\nKeep=1\r\n");

  load("ini file=\"%WIN%\\\\DEMO.INI\" section=\"Opts\" entries=\"Keep\"\n");
  merl::SetVar("WIN", "C:\\WINDOWS");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(iniText(), "[Opts]\r\nMode=slow\r\n");

  loadWithWin("ini file=\"DEMO.INI\" section=\"Opts\" entries=\"\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(logged(), "");
  EXPECT_EQ(iniText().find("Opts"), std::string::npos);
}

TEST_F(InterpRecordsTest, IniWriteFailureSetsInstallResultE) {
  loadWithWin("ini file=\"RO.INI\" section=\"S\" entries=\"a=1\"\n");
  machine().makeFile("WINDOWS/RO.INI", "[S]\r\n");
  ASSERT_TRUE(win::SetFileAttributes("C:\\WINDOWS\\RO.INI", win::FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(runAll(), merl::kExit);
  char result[8];
  merl::GetVar("INSTALL_RESULT", result, sizeof result);
  EXPECT_STREQ(result, "E");
}

TEST_F(InterpRecordsTest, TestStateSkipsMachineChangesButNotDialogsOrPrograms) {
  useActionDouble("");
  loadWithWin(R"(ini file="DEMO.INI" section="Opts" entries="Mode=fast"
mkdir path="C:\\NEWDIR"
log text="logged"
rename old="C:\\A.TXT" new="B.TXT"
msgbox title="t" text="m"
call library="C:\\APP\\ACT.DLL" function="SetVars" params="CALLED=1"
exec program="C:\\NONE\\MISSING.EXE" arguments="" directory=""
log text="after"
)");
  machine().makeFile("A.TXT", "a");
  run_().runState = merl::kStateTest;
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_FALSE(fs::exists(machine().hostC("WINDOWS/DEMO.INI")));
  EXPECT_FALSE(fs::exists(machine().hostC("NEWDIR")));
  EXPECT_TRUE(fs::exists(machine().hostC("A.TXT")));
  EXPECT_EQ(logged(), "");
  EXPECT_EQ(boxes(), (std::vector<std::string>{"t|m", "Aborted|M5: C:\\NONE\\MISSING.EXE"}));
  char called[8];
  merl::GetVar("CALLED", called, sizeof called);
  EXPECT_STREQ(called, "1");
}

TEST_F(InterpRecordsTest, MakeDirectoryAndRenameInNormalState) {
  load(R"(mkdir path="C:\\NEW\\DEEP"
rename old="C:\\A.TXT" new="B.TXT"
)");
  machine().makeFile("A.TXT", "a");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_TRUE(fs::is_directory(machine().hostC("NEW/DEEP")));
  EXPECT_TRUE(fs::exists(machine().hostC("B.TXT")));
  EXPECT_FALSE(fs::exists(machine().hostC("A.TXT")));
}

TEST_F(InterpRecordsTest, MissingProgramAbortsWithMessage5ShownLiterallyAfterItsFirstArgument) {
  load("exec program=\"C:\\\\NONE\\\\MISSING.EXE\" arguments=\"\" directory=\"\"\nlog text=\"after\"\n");
  setMessage(5, "%s%s%n");
  EXPECT_EQ(runAll(), merl::kAbort);
  EXPECT_EQ(aborts(), std::vector<std::string>{"C:\\NONE\\MISSING.EXE%s%n"});
  EXPECT_EQ(logged(), "");
}

TEST_F(InterpRecordsTest, DeleteFilesKeepsRootsAndSystemDirectories) {
  struct Case {
    const char* pattern;
    int flags;
    const char* kept;
    const char* deleted;
  } cases[] = {
      {"%UNSET%\\\\*.*", 0x04, "ROOT.TXT", nullptr},
      {"C:\\\\WINDOWS\\\\*.*", 0x08, "WINDOWS/W.TXT", nullptr},
      {"C:\\\\APP\\\\..\\\\WINDOWS\\\\*.*", 0x08, "WINDOWS/W.TXT", nullptr},
      {"C:\\\\*.*", 0x00, "ROOT.TXT", nullptr},
      {"C:\\\\APP\\\\*.TXT", 0x00, "APP/A.DOC", "APP/A.TXT"},
      {"C:\\\\APP\\\\*.TXT", 0x08 | 0x04, "APP/A.DOC", "APP/SUB/S.TXT"},
  };
  for (const Case& c : cases) {
    loadWithWin("delete flags=" + std::to_string(c.flags) + " pattern=\"" + c.pattern + "\"\n");
    for (const char* f : {"ROOT.TXT", "WINDOWS/W.TXT", "APP/A.TXT", "APP/A.DOC", "APP/SUB/S.TXT"}) {
      fs::create_directories(fs::path(machine().hostC(f)).parent_path());
      machine().makeFile(f, "x");
    }
    ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\A.TXT", win::FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(runAll(), merl::kExit) << c.pattern;
    EXPECT_TRUE(fs::exists(machine().hostC(c.kept))) << c.pattern;
    if (c.deleted) {
      EXPECT_FALSE(fs::exists(machine().hostC(c.deleted))) << c.pattern;
    }
    EXPECT_TRUE(fs::exists(machine().hostC("ROOT.TXT"))) << c.pattern;
    EXPECT_TRUE(fs::exists(machine().hostC("WINDOWS/W.TXT"))) << c.pattern;
  }
}

TEST_F(InterpRecordsTest, DeleteWithTheTreeFlagRemovesOnlyWhatItEmptied) {
  struct Case {
    const char* pattern;
    int flags;
    std::vector<const char*> kept, gone;
  } cases[] = {
      {"C:\\\\APP\\\\*.TXT", 0x0C, {"APP/SUB/D.DAT", "APP/KEEP.DOC"}, {"APP/A.TXT", "APP/SUB/S.TXT", "APP/ONLY"}},
      {"C:\\\\APP\\\\ONLY\\\\*.TXT", 0x0C, {"APP/SUB/S.TXT"}, {"APP/ONLY"}},
      {"C:\\\\APP\\\\*.TXT", 0x04, {"APP/SUB/S.TXT", "APP/ONLY/O.TXT", "APP/EMPTY"}, {"APP/A.TXT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    load("delete flags=" + std::to_string(c.flags) + " pattern=\"" + c.pattern + "\"\n");
    fs::remove_all(machine().hostC("APP"));
    for (const char* f : {"APP/A.TXT", "APP/KEEP.DOC", "APP/SUB/S.TXT", "APP/SUB/D.DAT", "APP/ONLY/O.TXT"}) {
      fs::create_directories(fs::path(machine().hostC(f)).parent_path());
      machine().makeFile(f, "x");
    }
    fs::create_directories(machine().hostC("APP/EMPTY"));
    EXPECT_EQ(runAll(), merl::kExit);
    for (const char* f : c.kept) EXPECT_TRUE(fs::exists(machine().hostC(f))) << f;
    for (const char* f : c.gone) EXPECT_FALSE(fs::exists(machine().hostC(f))) << f;
  }
}

TEST_F(InterpRecordsTest, ExecuteHandsTheProgramItsArgumentsAndDirectoryAndWaits) {
  struct Case {
    const char* file;     // under C:\APP
    const char* program;  // as written in the script
  } cases[] = {{"probe.exe", "C:\\\\APP\\\\probe.exe"}, {"my probe.exe", "C:\\\\APP\\\\my probe.exe"}};
  // A version-4 shell starts it with ShellExecuteEx, an older one with CreateProcess.
  for (const Case& c : cases) {
    for (bool shell : {true, false}) {
      useScriptMachine(std::string("[env]\nPROBE_OUT = $STATE/") + win::kDrivesDirName + "/C/APP/OUT.TXT\n");
      fs::create_directories(machine().hostC("APP/WORK"));
      fs::copy_file(MERL_WIN_PROBE, machine().hostC(std::string("APP/") + c.file));
      load(std::string("exec flags=2 program=\"") + c.program +
           "\" arguments=\"one \\\"two words\\\"\" directory=\"C:\\\\APP\\\\WORK\"\n"
           "rename old=\"C:\\\\APP\\\\OUT.TXT\" new=\"SEEN.TXT\"\n");
      run_().platform.majorAbove3 = shell;
      EXPECT_EQ(runAll(), merl::kExit) << c.file << " shell " << shell;
      // The record after the waiting start finds the probe's output complete.
      std::string out = machine().readText(machine().hostC("APP/SEEN.TXT"));
      EXPECT_NE(out.find("argv=one\nargv=two words\n"), std::string::npos) << out;
      EXPECT_NE(out.find("cwd=C:\\APP\\WORK\n"), std::string::npos) << out;
      EXPECT_TRUE(aborts().empty());
    }
  }
}

}  // namespace
