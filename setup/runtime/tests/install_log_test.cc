// The installation log: the section header, the lines of each record family,
// and the close that appends one section per run to INSTALL.LOG.
#include "log/install_log.h"

#include <filesystem>
#include <string>

#include "files/file_utils.h"
#include "log/log_sink.h"
#include "runtime_test.h"
#include "script/variables.h"

namespace {

using merl::LogRecord;

constexpr const char* kClock = "[clock]\nstart = 2003-02-25T14:05:09\n";
constexpr const char* kHeader =
    "***  Installation Started 2/25/2003 14:05  ***\r\nTitle: Demo Setup\r\nSource: C:\\SETUP\\SETUP.EXE\r\n";

class InstallLogTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override { useMachine(kClock); }

  merl::LogSettings settings(const std::string& logPath = "C:\\APP\\INSTALL.LOG") {
    merl::LogSettings s;
    s.title = "Demo Setup";
    s.source = "C:\\SETUP\\SETUP.EXE";
    s.logPath = logPath;
    return s;
  }
  std::string host(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  // What the temporary log holds so far.
  std::string tempLog() {
    std::string path = merl::TempLogPath();
    return host("TEMP/" + path.substr(path.rfind('\\') + 1));
  }
  std::size_t tempFiles() { return entriesIn(machine().hostC("TEMP")); }
};

TEST_F(InstallLogTest, HeaderAndProductLines) {
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  EXPECT_EQ(std::string(merl::TempLogPath()).rfind("C:\\TEMP\\QDG", 0), 0u);
  EXPECT_EQ(tempLog(), kHeader);
  merl::CloseLog();

  auto s = settings();
  merl::SetVar("MIFNAME", "DEMO");
  s.uninstallMif = "%MIFNAME%.MIF";
  s.manufacturer = "Acme";
  s.product = "Demo";
  s.version = "1.0";
  s.serial = "S1\r\nFile Copy: C:\\X";
  ASSERT_TRUE(merl::StartInstallLog(s));
  EXPECT_EQ(tempLog(), std::string(kHeader) +
                           "Uninstall MIF: DEMO.MIF\r\nManufacturer: Acme\r\nProduct: Demo\r\n"
                           "Version Number: 1.0\r\nSerial Number: S1  File Copy: C:\\X\r\n");
}

TEST_F(InstallLogTest, ActionLines) {
  const std::string threeOlds("a\0b\0c\0\0", 7);
  struct Case {
    LogRecord record;
    std::string a, b, c, d, e;
    std::string lines;
  } cases[] = {
      {{0}, "C:\\APP\\A.EXE", "", "", "", "", "File Copy: C:\\APP\\A.EXE\r\n"},
      {{18, 0, false, true}, "C:\\APP\\A.EXE", "", "", "", "", "File Overwrite: C:\\APP\\A.EXE\r\n"},
      {{0}, "C:\\APP\\BACKUP.001", "backup", "", "", "", "Backup Copy: C:\\APP\\BACKUP.001\r\n"},
      {{0, 0, true}, "C:\\APP\\A.DLL", "", "", "", "", "In Use: C:\\APP\\A.DLL Not Copied\r\n"},
      {{5}, "C:\\WIN\\DEMO.INI", "Main", "Path", "C:\\APP", "",
       "INI File: C:\\WIN\\DEMO.INI\r\nINI Sect: Main\r\nINI Item: Path\r\nINI Val: C:\\APP\r\n"},
      {{5}, "C:\\WIN\\DEMO.INI", "Main", "Path", "C:\\APP", "C:\\OLD",
       "INI File: C:\\WIN\\DEMO.INI\r\nINI Sect: Main\r\nINI Item: Path\r\nINI Val: C:\\APP\r\nINI Old: C:\\OLD\r\n"},
      {{10, 0x02}, "Software\\Acme\\Demo", "C:\\APP", "Path", "2", threeOlds,
       "RegDB Key: Software\\Acme\\Demo\r\nRegDB Val: C:\\APP\r\nRegDB Name: Path\r\nRegDB Type: 2\r\n"
       "RegDB Root: 2\r\nRegDB Old: a\r\nRegDB Old: b\r\nRegDB Old: c\r\n"},
      {{10, 0x02}, "K", "V", "", "1", threeOlds, "RegDB Key: K\r\nRegDB Val: V\r\nRegDB Type: 1\r\nRegDB Root: 2\r\nRegDB Old: a\r\n"},
      {{10}, "Software\\Acme", "x", "", "0", std::string("\0", 1), "RegDB Key: Software\\Acme\r\nRegDB Val: x\r\n"},
      {{10, 0x02, false, false, true}, "K", "V", "N", "0", "", ""},
      {{10, 0x82}, "Software\\Acme", "", "", "", "", "Remove Key: Software\\Acme\r\n"},
      {{10}, "K", "a\r\nFile Copy: C:\\X", "", "0", "", "RegDB Key: K\r\nRegDB Val: a  File Copy: C:\\X\r\n"},
      {{10, 0x02}, "K", "V", "", "2", std::string("a\0b", 3),
       "RegDB Key: K\r\nRegDB Val: V\r\nRegDB Type: 2\r\nRegDB Root: 2\r\nRegDB Old: a\r\nRegDB Old: b\r\n"},
      {{4}, "[CreateGroup(Demo)]", "", "", "", "", "Icon Group: Demo\r\n"},
      {{4}, "[CreateGroup(Demo,1)]", "", "", "", "", "Icon Group: Demo\r\n"},
      {{4}, "[AddItem(C:\\APP\\DEMO.EXE,Demo App,C:\\APP\\DEMO.EXE,0)]", "", "", "", "",
       "Icon Name: Demo App\r\nIcon Cmd: C:\\APP\\DEMO.EXE\r\n"},
      {{4}, "[AddItem(C:\\APP\\DEMO.EXE,Demo App)]", "", "", "", "", ""},
      {{4}, "[AddItem(C:\\APP\\DEMO.EXE)]", "", "", "", "", ""},
      {{4}, "[CreateGroup Demo]", "", "", "", "", ""},
      {{4}, "[CreateGroup(Demo]", "", "", "", "", ""},
      {{4}, "[ShowGroup(Demo,1)]", "", "", "", "", ""},
      {{4}, "[", "", "", "", "", ""},
      {{7}, "C:\\X", "", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    useMachine(kClock);
    ASSERT_TRUE(merl::StartInstallLog(settings()));
    merl::LogAction(c.record, c.a, c.b, c.c, c.d, c.e);
    EXPECT_EQ(tempLog(), kHeader + c.lines);
  }
}

TEST_F(InstallLogTest, SuspendedLogWritesNothingNewButIsStillAppended) {
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  merl::writeLogLine("Made Dir: C:\\APP");
  merl::SwitchLog(1, "");
  merl::LogLine("Add Device: lost");
  merl::LogAction({0}, "C:\\APP\\LOST.EXE");
  merl::SwitchLog(0, "");
  merl::LogText("Script text");
  merl::SwitchLog(1, "");
  merl::CloseLog();
  EXPECT_EQ(host("APP/INSTALL.LOG"), std::string(kHeader) + "Made Dir: C:\\APP\r\nScript text");
  EXPECT_EQ(tempFiles(), 0u);
}

TEST_F(InstallLogTest, TwoRunsLeaveTwoSectionsInOneFile) {
  machine().makeFile("APP/INSTALL.LOG", "earlier\r\n");
  for (const char* file : {"C:\\APP\\A.EXE", "C:\\APP\\B.EXE"}) {
    merl::RunScope scope;
    ASSERT_TRUE(merl::StartInstallLog(settings()));
    merl::LogAction({0}, file);
    merl::CloseLog();
  }
  EXPECT_EQ(host("APP/INSTALL.LOG"), std::string("earlier\r\n") + kHeader + "File Copy: C:\\APP\\A.EXE\r\n" + kHeader +
                                         "File Copy: C:\\APP\\B.EXE\r\n");
  EXPECT_EQ(tempFiles(), 0u);
}

TEST_F(InstallLogTest, NoSectionInTestStateWithNoLogFlagOrWithoutPath) {
  struct Case {
    bool test, noLog;
    std::string path;
  } cases[] = {{true, false, "C:\\APP\\INSTALL.LOG"}, {false, true, "C:\\APP\\INSTALL.LOG"}, {false, false, "%NONE%"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    useMachine(kClock);
    if (c.test) run().runState = merl::kStateTest;
    auto s = settings(c.path);
    s.noLog = c.noLog;
    merl::StartInstallLog(s);
    merl::LogAction({0}, "C:\\APP\\A.EXE");
    merl::SwitchLog(2, "C:\\OTHER\\INSTALL.LOG");
    if (c.test || c.noLog) {
      EXPECT_STREQ(merl::LogPath(), "C:\\OTHER\\INSTALL.LOG");
    }
    merl::CloseLog();
    EXPECT_FALSE(std::filesystem::exists(machine().hostC("APP/INSTALL.LOG")));
    EXPECT_EQ(tempFiles(), 0u);
  }
}

TEST_F(InstallLogTest, SwitchGivesEachPathItsOwnSection) {
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  merl::LogAction({0}, "C:\\APP\\A.EXE");
  merl::SwitchLog(2, "C:\\NEW\\INSTALL.LOG");
  EXPECT_EQ(std::string(merl::TempLogPath()).rfind("C:\\TEMP\\QDI", 0), 0u);
  merl::LogAction({0}, "C:\\NEW\\B.EXE");
  merl::CloseLog();
  EXPECT_EQ(host("APP/INSTALL.LOG"), std::string(kHeader) + "File Copy: C:\\APP\\A.EXE\r\n");
  EXPECT_EQ(host("NEW/INSTALL.LOG"), std::string(kHeader) + "File Copy: C:\\NEW\\B.EXE\r\n");
  EXPECT_EQ(tempFiles(), 0u);
}

TEST_F(InstallLogTest, FailedAppendKeepsTheEarlierBytesAndTheTemporaryLog) {
  useMachine(std::string(kClock) + "[failures]\nshort-write = C:\\APP\\INSTALL.LOG 20\n");
  machine().makeFile("APP/INSTALL.LOG", "earlier\r\n");
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  merl::LogAction({0}, "C:\\APP\\A.EXE");
  merl::CloseLog();
  EXPECT_EQ(host("APP/INSTALL.LOG"), "earlier\r\n");
  EXPECT_EQ(tempFiles(), 1u);
}

TEST_F(InstallLogTest, AdministratorOnNtEndsTheSection) {
  machine().makeFile("TEMP/ADMIN.DLL");
  std::filesystem::copy_file(MERL_ADMIN_DOUBLE, machine().hostC("TEMP/ADMIN.DLL"),
                             std::filesystem::copy_options::overwrite_existing);
  run().platform.windowsNt = true;
  merl::SetVar("TEMP", "C:\\TEMP");
  merl::SetVar("W32INST_PATH_", "ADMIN.DLL");
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  merl::CloseLog();
  EXPECT_EQ(host("APP/INSTALL.LOG"), std::string(kHeader) + "User Rights: Admin\r\n");

  merl::SetVar("W32INST_PATH_", "MISSING.DLL");
  ASSERT_TRUE(merl::StartInstallLog(settings("C:\\B\\INSTALL.LOG")));
  merl::CloseLog();
  EXPECT_EQ(host("B/INSTALL.LOG"), kHeader);
}

TEST_F(InstallLogTest, FinalLineHasNoLineBreaksOfItsOwn) {
  ASSERT_TRUE(merl::StartInstallLog(settings()));
  merl::LogFinalLine("Cannot run\r\nFile Copy: C:\\X");
  EXPECT_EQ(tempLog(), std::string(kHeader) + "Cannot run  File Copy: C:\\X\r\n");
}

TEST_F(InstallLogTest, NoTemporaryFileMeansNoLog) {
  useMachine(std::string(kClock) + "[failures]\ncreate = C:\\TEMP\\*\n");
  EXPECT_FALSE(merl::StartInstallLog(settings()));
  merl::LogLine("nothing");
  merl::CloseLog();
  EXPECT_FALSE(std::filesystem::exists(machine().hostC("APP/INSTALL.LOG")));
}

}  // namespace
