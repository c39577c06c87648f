// Whole runs of the uninstaller over hand-written logs: rollback and full
// uninstall of a two-installation log, the restart after a busy file, and a
// log named relative to the current directory.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win/constants.h"
#include "win/process.h"
#include "win_testing/pending_renames.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using remvex_tests::kUiIni;
using remvex_tests::run;
using win_testing::TestMachine;

const std::string kFirst =
    "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nSource: C:\\INSTALL\\DISK1\\SETUP.EXE\r\n"
    "Made Dir: C:\\APP\r\nFile Copy: C:\\APP\\DEMO.EXE\r\n";
const std::string kSecond =
    "***  Installation Started 02/26/2003 09:30  ***\r\nTitle: Demo\r\nSource: C:\\DISK\\DISK0001\\SETUP.EXE\r\n"
    "File Overwrite: C:\\APP\\DEMO.EXE\r\nBackup Copy: C:\\APP\\BACKUP\\DEMO.EXE\r\n";
constexpr const char* kProgram = "C:\\UNINST\\REMVEX32.EXE";

class UndoRunTest : public ::testing::Test {
 protected:
  void use(const std::string& ini, const std::string& log, const std::string& answers = "") {
    machine_.reset();
    machine_ = std::make_unique<TestMachine>(std::string(kUiIni) + ini);
    TestMachine::writeText(machine_->stateDir() + "/answers.txt", answers);
    remvex_tests::install(REMVEX32_PROGRAM, machine_->hostC("UNINST/REMVEX32.EXE"));
    machine_->makeFile("APP/DEMO.EXE", "new bytes");
    machine_->makeFile("APP/BACKUP/DEMO.EXE", "old bytes");
    machine_->makeFile("APP/INSTALL.LOG", log);
  }
  bool exists(const std::string& relative) const { return std::filesystem::exists(machine_->hostC(relative)); }
  std::string host(const std::string& relative) const { return TestMachine::readText(machine_->hostC(relative)); }
  std::vector<std::string> reboots() const {
    std::vector<std::string> out;
    const std::string text = TestMachine::readText(machine_->stateDir() + "/" + win::kRebootsFileName);
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      out.push_back(text.substr(start, end - start));
    }
    return out;
  }
  std::size_t messageBoxes() const {
    return remvex_tests::transcriptLines(*machine_, {"\"ev\":\"messagebox\""}).size();
  }
  void TearDown() override { EXPECT_TRUE(win_testing::waitNoProcess()); }

  std::unique_ptr<TestMachine> machine_;
};

TEST_F(UndoRunTest, RollbackUndoesTheLastInstallationAndFullUninstallAll) {
  ASSERT_EQ(kFirst.size(), 144u);
  ASSERT_EQ(kSecond.size(), 168u);
  struct Case {
    const char* name;
    std::string log;
    const char* switches;
    const char* demo;        // DEMO.EXE's bytes afterwards, nullptr: gone
    bool backupKept;
    const char* logLeft;     // nullptr: deleted
  };
  const std::string first = kFirst;
  const Case cases[] = {
      {"rollback of two", kFirst + kSecond, "/S /R", "old bytes", false, first.c_str()},
      {"full uninstall of two", kFirst + kSecond, "/S", nullptr, true, nullptr},
      {"rollback of one", kFirst, "/S /R", nullptr, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use("", c.log);
    EXPECT_EQ(run(std::string(kProgram) + " " + c.switches + " C:\\APP\\INSTALL.LOG"), 0u);
    if (c.demo) EXPECT_EQ(host("APP/DEMO.EXE"), c.demo);
    else EXPECT_FALSE(exists("APP/DEMO.EXE"));
    EXPECT_EQ(exists("APP/BACKUP/DEMO.EXE"), c.backupKept);
    if (c.logLeft) EXPECT_EQ(host("APP/INSTALL.LOG"), c.logLeft);
    else EXPECT_FALSE(exists("APP/INSTALL.LOG"));
    EXPECT_TRUE(exists("APP"));
    EXPECT_EQ(messageBoxes(), 0u);
  }
}

TEST_F(UndoRunTest, BusyFileRestoredAtRestartEndsInOneReboot) {
  const std::string busy = "[failures]\nbusy = C:\\APP\\DEMO.EXE\n";
  struct Case {
    const char* name;
    std::string ini;
    const char* switches;
    const char* answers;
    bool restartProgram;   // _MSRSTRT.EXE written and started
    const char* reboot;    // the reboot line's start, nullptr: none
    std::size_t boxes;
  };
  const Case cases[] = {
      {"silent on NT", busy, "/S /R", "", true, "2\t", 0},
      {"asked and confirmed", busy, "/A /R", "\"Uninstall\" 1\n", true, "2\t", 1},
      {"asked and cancelled", busy, "/A /R", "\"Uninstall\" 2\n", false, nullptr, 1},
      {"restart program cannot be written", busy + "create = C:\\WINDOWS\\_MSRSTRT*\n", "/S /R", "", false, "2\t",
       0},
      {"other Windows", "[system]\nplatform = 9x\n" + busy, "/S /R", "", false, "2\t", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.ini, kFirst + kSecond, c.answers);
    machine_->makeFile("WINDOWS/_MSRSTRT.EXE", "an older restart program");
    EXPECT_EQ(run(std::string(kProgram) + " " + c.switches + " C:\\APP\\INSTALL.LOG"), 0u);
    ASSERT_TRUE(win_testing::waitNoProcess());
    EXPECT_EQ(host("APP/~QDU0000.TMP"), "old bytes");
    EXPECT_EQ(messageBoxes(), c.boxes);
    if (c.restartProgram)
      EXPECT_EQ(host("WINDOWS/_MSRSTRT.EXE"), TestMachine::readText(REMVEX_RESTART_PROGRAM));
    else
      EXPECT_EQ(host("WINDOWS/_MSRSTRT.EXE"), "an older restart program");
    const auto lines = reboots();
    if (!c.reboot) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].compare(0, 2, c.reboot), 0) << lines[0];
  }
}

TEST_F(UndoRunTest, RelativeLogPathNamesTheLogInTheCurrentDirectory) {
  use("", kFirst);
  machine_->makeFile("INSTALL.LOG", "someone else's log");
  std::string line = std::string(kProgram) + " /S INSTALL.LOG";
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  remvex_tests::Running r;
  r.ok = win::CreateProcess(nullptr, line.data(), nullptr, nullptr, win::FALSE, 0, nullptr, "C:\\APP", &startup,
                            &r.info);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.finish(), 0u);
  EXPECT_FALSE(exists("APP/INSTALL.LOG"));
  EXPECT_FALSE(exists("APP/DEMO.EXE"));
  EXPECT_EQ(host("INSTALL.LOG"), "someone else's log");
}

}  // namespace
