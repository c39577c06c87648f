// The start-up file edits (f0, f1, f2, f25, f3, f35, f21) on a 9x or NT machine:
// the edited bytes, the numbered backup and its log lines, RESTART, the edited-file
// flags, test runs and the failures that must leave a file as it was.
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "interp/action_params.h"
#include "merl/setup_interface.h"
#include "script/variables.h"
#include "action_call.h"
#include "script_run.h"
#include "win/registry.h"

namespace {

constexpr char kMachine9x[] = "[system]\nplatform = 9x\n[env]\nCOMSPEC = C:\\WINDOWS\\COMMAND.COM\n";
constexpr char kAutoexec[] = "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\n";
constexpr char kSystemIni[] = "[boot]\r\n[386Enh]\r\ndevice=C:\\OLD\\VXD.386\r\ndevice=*vmm\r\n[NonWindowsApp]\r\n";

class StartupEditTest : public merl_testing::ActionCallTest {
 protected:
  // A 9x machine (plus extra machine.ini text) with the log open and nothing else on it.
  void use(const std::string& extra = "", const char* machine = kMachine9x) {
    useScriptMachine(machine + extra);
    load("log text=\"\"\n");
  }
  void put(const std::string& relative, const std::string& bytes) { machine().makeFile(relative, bytes); }
  bool exists(const std::string& relative) { return std::filesystem::exists(machine().hostC(relative)); }
};

TEST_F(StartupEditTest, PathGoesIntoTheAutoexecPathLineOnceWithABackup) {
  use();
  put("AUTOEXEC.BAT", kAutoexec);
  EXPECT_EQ(call(f0, "C:\\APP"), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS;C:\\APP\r\n");
  EXPECT_EQ(file("AUTOEXEC.001"), kAutoexec);
  EXPECT_FALSE(exists("~QDTX382.TMP"));
  EXPECT_EQ(logged(), "File Edit: C:\\AUTOEXEC.BAT\r\nBackup Copy: C:\\AUTOEXEC.001\r\n");
  EXPECT_EQ(value("RESTART"), "S");
  EXPECT_EQ(block().editedFileFlags, 1);
  std::string after = file("AUTOEXEC.BAT");
  EXPECT_EQ(call(f0, "c:\\dos"), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), after);
  EXPECT_FALSE(exists("~QDTX382.TMP"));
  EXPECT_FALSE(exists("AUTOEXEC.002"));
}

TEST_F(StartupEditTest, PathEntriesAreFoundOnlyAsWholeEntries) {
  struct Case {
    const char* autoexec;
    const char* after;  // null: unchanged
  } cases[] = {
      {"SET PATH=%PATH%;c:\\app\r\n", nullptr},
      {"  @path=C:\\APP\r\n", nullptr},
      {"PATH C:\\APPS;C:\\APP2\r\n", "PATH C:\\APPS;C:\\APP2;C:\\APP\r\n"},
      {"set  path = C:\\X\r\n", "set  path = C:\\X;C:\\APP\r\n"},
      {"PATHS=C:\\X\r\nREM C:\\APP\r\n", "PATHS=C:\\X\r\nREM C:\\APP\r\nSET PATH=C:\\APP;%PATH%\r\n"},
      {"", "SET PATH=C:\\APP;%PATH%\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.autoexec);
    use();
    put("AUTOEXEC.BAT", c.autoexec);
    EXPECT_EQ(call(f0, "C:\\APP"), 0);
    EXPECT_EQ(file("AUTOEXEC.BAT"), c.after ? c.after : c.autoexec);
    EXPECT_EQ(exists("AUTOEXEC.001"), c.after != nullptr);
    EXPECT_FALSE(exists("~QDTX382.TMP"));
  }
}

TEST_F(StartupEditTest, AMissingAutoexecIsCreatedWithoutBackupOrEditLines) {
  use();
  EXPECT_EQ(call(f0, "C:\\APP"), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), "SET PATH=C:\\APP;%PATH%\r\n");
  EXPECT_EQ(logged(), "");
  EXPECT_FALSE(exists("AUTOEXEC.001"));
  EXPECT_EQ(block().editedFileFlags, 0);
}

TEST_F(StartupEditTest, TheBootDriveComesFromComspecThenTheSystemDirectoryThenC) {
  std::filesystem::path root = std::filesystem::temp_directory_path() / ("startup-drives-" + std::to_string(::getpid()));
  struct Case {
    std::string comspec;
    const char* existing;  // the drive that holds AUTOEXEC.BAT before, or null
    const char* drive;     // the drive whose AUTOEXEC.BAT is edited or made
  } cases[] = {{"d:\\COMMAND.COM", nullptr, "D"}, {"D:\\COMMAND.COM", "C", "C"}, {"E:\\COMMAND.COM", nullptr, "C"},
               {"COMMAND.COM", nullptr, "C"},      {"", nullptr, "C"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.comspec);
    std::filesystem::remove_all(root);
    for (const char* drive : {"C", "D"}) std::filesystem::create_directories(root / drive);
    if (c.existing) machine().writeText((root / c.existing / "AUTOEXEC.BAT").string(), "PATH C:\\DOS\r\n");
    std::string env = c.comspec.empty() ? "" : "[env]\nCOMSPEC = " + c.comspec + "\n";
    use("[drives]\nC = " + (root / "C").string() + "\nD = " + (root / "D").string() + "\n" + env,
        "[system]\nplatform = 9x\n");
    EXPECT_EQ(call(f0, "C:\\APP"), 0);
    for (const char* drive : {"C", "D"}) {
      std::string text = machine().readText((root / drive / "AUTOEXEC.BAT").string());
      EXPECT_EQ(text.find("C:\\APP") != std::string::npos, std::string(drive) == c.drive) << drive << ": " << text;
    }
  }
  std::filesystem::remove_all(root);
}

TEST_F(StartupEditTest, OnNtTheRegistryPathGainsTheDirectory) {
  struct Case {
    const char* restart;
    const char* path;
    const char* after;
    const char* restartAfter;
  } cases[] = {{"", "C:\\WINNT", "C:\\WINNT;C:\\APP", "W"},
               {"S", "C:\\WINNT", "C:\\WINNT;C:\\APP", "S"},
               {"", "C:\\WINNT;c:\\app", "C:\\WINNT;c:\\app", ""}};
  for (const Case& c : cases) {
    use("", "[system]\nplatform = nt\n");
    merl::SetVar("RESTART", c.restart);
    win::UniqueKey key;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE,
                                  "System\\CurrentControlSet\\Control\\Session Manager\\Environment", 0, nullptr, 0,
                                  win::KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              win::ERROR_SUCCESS);
    win::RegSetValueEx(key.get(), "Path", 0, win::REG_EXPAND_SZ, reinterpret_cast<const win::BYTE*>(c.path),
                       static_cast<win::DWORD>(std::strlen(c.path) + 1));
    EXPECT_EQ(call(f0, "C:\\APP"), 0);
    char text[256] = {};
    win::DWORD type = 0, size = sizeof text;
    ASSERT_EQ(win::RegQueryValueEx(key.get(), "Path", nullptr, &type, reinterpret_cast<win::BYTE*>(text), &size),
              win::ERROR_SUCCESS);
    EXPECT_EQ(type, win::REG_EXPAND_SZ);
    EXPECT_STREQ(text, c.after);
    EXPECT_EQ(size, std::strlen(c.after) + 1);
    EXPECT_EQ(value("RESTART"), c.restartAfter);
    EXPECT_FALSE(exists("AUTOEXEC.BAT"));
  }
}

TEST_F(StartupEditTest, InsertTextLinePlacesMatchesAndFallsBackToTheLineNumber) {
  const std::string file3 = "ONE\r\nrem old\r\nTHREE  \r\n";
  struct Case {
    int flags;
    const char* search;
    const char* prefix;
    int number;
    const char* after;
  } cases[] = {
      {0x00, "REM", "REM ", 0, "ONE\r\nNEW\r\nREM rem old\r\nTHREE  \r\n"},
      {0x10, "REM", "", 0, "ONE\r\nrem old\r\nNEW\r\nTHREE  \r\n"},
      {0x08, "REM", "", 0, "ONE\r\nNEW\r\nTHREE  \r\n"},
      {0x01, "REM", "", 2, "ONE\r\nNEW\r\nrem old\r\nTHREE  \r\n"},  // with case: no match, line 2
      {0x20, "OL", "", 0, "ONE\r\nNEW\r\nrem old\r\nTHREE  \r\n"},
      {0x40, "THREE", "", 0, "ONE\r\nrem old\r\nTHREE  \r\nNEW\r\n"},  // trailing blanks: no match, end
      {0x42, "THREE", "", 0, "ONE\r\nrem old\r\nNEW\r\nTHREE  \r\n"},
      {0x08, "", "", 1, "NEW\r\nrem old\r\nTHREE  \r\n"},
      {0x00, "", "", 0, "ONE\r\nrem old\r\nTHREE  \r\nNEW\r\n"},
      {0x00, "", "", -3, "ONE\r\nrem old\r\nTHREE  \r\nNEW\r\n"},
      {0x00, "", "", 99999, "ONE\r\nrem old\r\nTHREE  \r\nNEW\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + c.search + " " + std::to_string(c.number));
    use();
    put("APP/T.TXT", file3);
    std::string params = std::to_string(c.flags) + "\x7F" "C:\\APP\\T.TXT\x7F" "NEW\x7F" + c.search + "\x7F" + c.prefix +
                         "\x7F" + std::to_string(c.number);
    EXPECT_EQ(call(f25, params), 0);
    EXPECT_EQ(file("APP/T.TXT"), c.after);
    EXPECT_FALSE(exists("APP/~QDTX383.TMP"));
    EXPECT_FALSE(exists("APP/T.001"));
    EXPECT_EQ(logged(), "");
  }
}

TEST_F(StartupEditTest, NamedFileBackupOnlyWithFlag4AndOnlyWhenItExisted) {
  use();
  put("APP/T.TXT", "A\r\n");
  EXPECT_EQ(call(f25, "4\x7F" "C:\\APP\\T.TXT\x7F" "B"), 0);
  EXPECT_EQ(file("APP/T.001"), "A\r\n");
  EXPECT_EQ(logged(), "File Edit: C:\\APP\\T.TXT\r\nBackup Copy: C:\\APP\\T.001\r\n");
  std::string before = logged();
  EXPECT_EQ(call(f25, "4\x7F" "C:\\APP\\NEW.TXT\x7F" "FIRST"), 0);
  EXPECT_EQ(file("APP/NEW.TXT"), "FIRST\r\n");
  EXPECT_EQ(logged(), before);
  EXPECT_FALSE(exists("APP/NEW.001"));
  EXPECT_EQ(value("RESTART"), "");
  EXPECT_EQ(block().editedFileFlags, 0);
}

TEST_F(StartupEditTest, AStartupLineThatExistsChangesNothing) {
  use();
  put("AUTOEXEC.BAT", "  Set Blaster=A220  \r\n");
  EXPECT_EQ(call(f1, "4\x7F\x7FSET BLASTER=A220\x7FSET\x7F\x7F"), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), "  Set Blaster=A220  \r\n");
  EXPECT_FALSE(exists("~QDTX382.TMP"));
  EXPECT_EQ(value("RESTART"), "");
}

TEST_F(StartupEditTest, ConfigSysGetsOneBackupPerRun) {
  use();
  put("CONFIG.SYS", "FILES=20\r\n");
  EXPECT_EQ(call(f2, "4\x7F\x7F" "DEVICE=A.SYS"), 0);
  EXPECT_EQ(call(f21, "30\x7F" "15"), 0);
  EXPECT_EQ(call(f2, "4\x7F\x7F" "DEVICE=B.SYS"), 0);
  EXPECT_EQ(file("CONFIG.SYS"), "Buffers=15\r\nFILES=30\r\nDEVICE=A.SYS\r\nDEVICE=B.SYS\r\n");
  EXPECT_EQ(file("CONFIG.001"), "FILES=20\r\n");
  EXPECT_FALSE(exists("CONFIG.002"));
  EXPECT_EQ(logged(), "File Edit: C:\\CONFIG.SYS\r\nBackup Copy: C:\\CONFIG.001\r\n");
  EXPECT_EQ(block().editedFileFlags, 2);
  EXPECT_EQ(value("RESTART"), "S");
}

TEST_F(StartupEditTest, AnEditWithoutBackupLeavesTheBackupToALaterOne) {
  use();
  put("CONFIG.SYS", "FILES=20\r\n");
  EXPECT_EQ(call(f2, "0\x7F\x7F" "DEVICE=A.SYS"), 0);
  EXPECT_FALSE(exists("CONFIG.001"));
  EXPECT_EQ(block().editedFileFlags, 0);
  EXPECT_EQ(call(f21, "30"), 0);
  EXPECT_EQ(file("CONFIG.001"), "FILES=20\r\nDEVICE=A.SYS\r\n");
  EXPECT_EQ(file("CONFIG.SYS"), "FILES=30\r\nDEVICE=A.SYS\r\n");
}

TEST_F(StartupEditTest, FilesAndBuffersAreRaisedToTheirMinimums) {
  struct Case {
    const char* params;
    const char* config;  // null: no CONFIG.SYS
    const char* after;   // null: no file / unchanged
  } cases[] = {
      {"30\x7F" "15", "DEVICE=C:\\DOS\\HIMEM.SYS\r\nFILES=20 REM old\r\n",
       "Buffers=15\r\nDEVICE=C:\\DOS\\HIMEM.SYS\r\nFILES=30\r\n"},
      {"30\x7F" "15", "files=40\r\n BUFFERS = 20,0\r\n", nullptr},
      {"30\x7F" "15", nullptr, "Files=30\r\nBuffers=15\r\n"},
      {"0\x7F" "-5", nullptr, nullptr},
      {"", "FILES=1\r\n", nullptr},
      {"99999999999", "FILES=5\r\n", "FILES=2147483647\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    use();
    if (c.config) put("CONFIG.SYS", c.config);
    EXPECT_EQ(call(f21, c.params), 0);
    if (c.after) {
      EXPECT_EQ(file("CONFIG.SYS"), c.after);
    } else {
      EXPECT_EQ(exists("CONFIG.SYS"), c.config != nullptr);
      EXPECT_EQ(file("CONFIG.SYS"), c.config ? c.config : "");
    }
    EXPECT_FALSE(exists("~QDTX382.TMP"));
  }
}

TEST_F(StartupEditTest, DeviceLinesAreAddedOrCommentedOutInTheEnhancedSection) {
  use();
  put("WINDOWS/SYSTEM.INI", kSystemIni);
  EXPECT_EQ(call(f3, "device=C:\\WINDOWS\\SYSTEM\\VXD.386"), 0);
  const std::string added =
      "[boot]\r\n[386Enh]\r\n;device=C:\\OLD\\VXD.386\r\ndevice=*vmm\r\ndevice=C:\\WINDOWS\\SYSTEM\\VXD.386\r\n"
      "[NonWindowsApp]\r\n";
  EXPECT_EQ(file("WINDOWS/SYSTEM.INI"), added);
  EXPECT_EQ(file("WINDOWS/SYSTEM.001"), kSystemIni);
  EXPECT_EQ(logged(),
            "Add Device: C:\\WINDOWS\\SYSTEM\\VXD.386\r\nFile Edit: C:\\WINDOWS\\SYSTEM.INI\r\n"
            "Backup Copy: C:\\WINDOWS\\SYSTEM.001\r\n");
  EXPECT_EQ(value("RESTART"), "W");
  EXPECT_EQ(block().editedFileFlags, 4);
  EXPECT_EQ(call(f3, "DEVICE=c:\\windows\\system\\vxd.386"), 0);
  EXPECT_EQ(file("WINDOWS/SYSTEM.INI"), added);
  EXPECT_FALSE(exists("WINDOWS/~QDTX382.TMP"));
  EXPECT_FALSE(exists("WINDOWS/SYSTEM.002"));
}

TEST_F(StartupEditTest, DeviceEditCases) {
  struct Case {
    merl::NumberedAction action;
    const char* line;
    const char* ini;
    const char* after;  // null: unchanged
    const char* log;
  } cases[] = {
      {f35, "device=MY.386", "[386Enh]\r\ndevice=C:\\X\\MY.386\r\n", "[386Enh]\r\n;device=C:\\X\\MY.386\r\n",
       "Remove Device: C:\\WINDOWS\\SYSTEM\\MY.386\r\n"},
      {f35, "device=MY.386", "[386Enh]\r\n;device=C:\\X\\MY.386\r\n", nullptr, ""},
      {f35, "device=MY.386", "[boot]\r\ndevice=MY.386\r\n", nullptr, ""},
      {f3, "device=A.386", "[386Enh]\r\nother=1\r\n", "[386Enh]\r\nother=1\r\ndevice=A.386\r\n",
       "Add Device: C:\\WINDOWS\\SYSTEM\\A.386\r\n"},
      {f3, "device=A.386", "[boot]\r\n", nullptr, ""},
      {f3, ";device=A.386", "[386Enh]\r\ndevice=D:\\A.386\r\n", "[386Enh]\r\n;device=D:\\A.386\r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " on " + c.ini);
    use();
    put("WINDOWS/SYSTEM.INI", c.ini);
    EXPECT_EQ(call(c.action, c.line), 0);
    EXPECT_EQ(file("WINDOWS/SYSTEM.INI"), c.after ? c.after : c.ini);
    std::string log = logged();
    EXPECT_EQ(log.substr(0, std::strlen(c.log)), c.log);
    EXPECT_EQ(value("RESTART"), c.after ? "W" : "");
  }
}

TEST_F(StartupEditTest, ATestRunChangesNoFile) {
  use();
  put("AUTOEXEC.BAT", kAutoexec);
  put("CONFIG.SYS", "FILES=1\r\n");
  put("WINDOWS/SYSTEM.INI", kSystemIni);
  block().runState = merl::kStateTest;
  run_().runState = merl::kStateTest;
  for (auto [action, params] : std::initializer_list<std::pair<merl::NumberedAction, const char*>>{
           {f0, "C:\\APP"}, {f1, "0\x7F\x7FNEW"}, {f2, "0\x7F\x7FNEW"}, {f25, "0\x7F" "C:\\N.TXT\x7FNEW"},
           {f3, "device=A.386"}, {f35, "device=*vmm"}, {f21, "30\x7F" "30"}})
    EXPECT_EQ(call(action, params), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), kAutoexec);
  EXPECT_EQ(file("CONFIG.SYS"), "FILES=1\r\n");
  EXPECT_EQ(file("WINDOWS/SYSTEM.INI"), kSystemIni);
  EXPECT_FALSE(exists("N.TXT"));
  EXPECT_EQ(value("RESTART"), "");
}

TEST_F(StartupEditTest, AFailedCopyLeavesTheFileAndReportsIt) {
  struct Case {
    const char* failure;
  } cases[] = {{"short-write = C:\\~QDTX382.TMP 10\n"},
               {"read-error = C:\\AUTOEXEC.BAT\n"},
               {"busy = C:\\AUTOEXEC.BAT\n"},
               {"create = C:\\AUTOEXEC.001\n"},
               {"create = C:\\~QDTX382.TMP\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    use(std::string("[failures]\n") + c.failure);
    put("AUTOEXEC.BAT", kAutoexec);
    EXPECT_EQ(call(f0, "C:\\APP"), 1);
    EXPECT_EQ(file("AUTOEXEC.BAT"), kAutoexec);
    EXPECT_FALSE(exists("~QDTX382.TMP"));
    EXPECT_FALSE(exists("AUTOEXEC.001"));
    EXPECT_EQ(aborts(), std::vector<std::string>{"M26: C:\\AUTOEXEC.BAT"});
    EXPECT_EQ(logged(), "");
    EXPECT_EQ(value("RESTART"), "");
    EXPECT_EQ(block().editedFileFlags, 0);
  }
}

TEST_F(StartupEditTest, LineEndsBecomeCrLfAndLongLinesStayWhole) {
  const std::string longLine(2000, 'x');
  struct Case {
    std::string before, after;
  } cases[] = {{"A\nB\n", "A\r\nB\r\nNEW\r\n"},
               {"A\rB", "A\r\nB\r\nNEW\r\n"},
               {longLine + "\r\n", longLine + "\r\nNEW\r\n"}};
  for (const Case& c : cases) {
    use();
    put("APP/T.TXT", c.before);
    EXPECT_EQ(call(f25, "0\x7F" "C:\\APP\\T.TXT\x7FNEW"), 0);
    EXPECT_EQ(file("APP/T.TXT"), c.after);
  }
}

TEST_F(StartupEditTest, BadInputGivesDefinedResults) {
  use("", "[system]\nplatform = 9x\n");  // no COMSPEC: the system directory's drive
  EXPECT_EQ(call(f0, ""), 0);
  EXPECT_EQ(call(f25, ""), 1);
  EXPECT_EQ(call(f3, ""), 0);
  EXPECT_EQ(call(f1, std::string(40000, '\x7F')), 0);
  EXPECT_EQ(file("AUTOEXEC.BAT"), "\r\n");
  EXPECT_EQ(call(f2, "0\x7F\x7F" + std::string(300, 'y')), 0);
  EXPECT_EQ(file("CONFIG.SYS"), std::string(255, 'y') + "\r\n");
}

}  // namespace
