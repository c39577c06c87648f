// The program's stages, run as C:\APP\REMVEX32.EXE on an emulated drive: the
// temporary copy and its deletion at restart, the instance guard, the /Z run,
// the second stage and the restart program.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win/constants.h"
#include "win_testing/pending_renames.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using remvex_tests::kUiIni;
using remvex_tests::run;
using win_testing::TestMachine;

const std::string kLog = "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nMade Dir: C:\\APP\r\n";

class StagesTest : public ::testing::Test {
 protected:
  void use(const std::string& ini) {
    machine_.reset();
    machine_ = std::make_unique<TestMachine>(std::string(kUiIni) + ini);
    answers("");
    remvex_tests::install(REMVEX32_PROGRAM, machine_->hostC("APP/REMVEX32.EXE"));
    machine_->makeFile("APP/INSTALL.LOG", kLog);
  }
  void answers(const std::string& text) { TestMachine::writeText(machine_->stateDir() + "/answers.txt", text); }
  std::string host(const std::string& relative) const { return TestMachine::readText(machine_->hostC(relative)); }
  std::size_t count(const std::vector<std::string>& parts) const {
    return remvex_tests::transcriptLines(*machine_, parts).size();
  }
  void TearDown() override { EXPECT_TRUE(win_testing::waitNoProcess()); }

  std::unique_ptr<TestMachine> machine_;
};

TEST_F(StagesTest, FirstStageLeavesACopyScheduledForDeletion) {
  use("[dirs]\ntemp = C:\\WINDOWS\\TEMP\n");
  machine_->makeFile("WINDOWS/TEMP/QDB1A2B.EXE", "an older copy");
  EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
  EXPECT_EQ(host("WINDOWS/TEMP/QDB1A2B.EXE"), TestMachine::readText(REMVEX32_PROGRAM));
  auto pending = win_testing::readPendingRenames();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].flags, 4u);
  EXPECT_EQ(pending[0].source, "C:\\WINDOWS\\TEMP\\QDB1A2B.EXE");
  EXPECT_EQ(pending[0].target, "");
  EXPECT_EQ(host("APP/REMVEX32.INI"), "");
}

TEST_F(StagesTest, WininitLinesLandInTheRenameSection) {
  const std::string line = "NUL=C:\\WINDOWS\\TEMP\\QDB1A2B.EXE\r\n";
  struct Case {
    const char* name;
    const char* before;  // nullptr: no WININIT.INI
    std::string after;
  };
  const Case cases[] = {
      {"no file", nullptr, "[rename]\r\n" + line},
      {"rename section last", "[rename]\r\nA=B\r\n", "[rename]\r\nA=B\r\n" + line},
      {"no final line end", "[rename]\r\nA=B", "[rename]\r\nA=B\r\n" + line},
      {"another section last", "[rename]\r\nA=B\r\n[boot]\r\nx=1\r\n",
       "[rename]\r\nA=B\r\n[boot]\r\nx=1\r\n[rename]\r\n" + line},
      {"empty file", "", "[rename]\r\n" + line},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use("[system]\nplatform = 9x\n[dirs]\ntemp = C:\\WINDOWS\\TEMP\n");
    if (c.before) machine_->makeFile("WINDOWS/WININIT.INI", c.before);
    EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
    EXPECT_EQ(host("WINDOWS/WININIT.INI"), c.after);
    EXPECT_TRUE(win_testing::readPendingRenames().empty());
  }
}

TEST_F(StagesTest, SlashZRunMakesNoCopyAndDeletesItsIni) {
  use("");
  machine_->makeFile("APP/REMVEX32.INI", "[Settings]\r\nNo Background=1\r\n");
  EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE /Z C:\\APP\\INSTALL.LOG"), 0u);
  EXPECT_FALSE(std::filesystem::exists(machine_->hostC("TEMP/QDB1A2B.EXE")));
  EXPECT_FALSE(std::filesystem::exists(machine_->hostC("APP/REMVEX32.INI")));
  EXPECT_TRUE(win_testing::readPendingRenames().empty());
}

TEST_F(StagesTest, SecondStartOfTheSameFileEndsWithItsMessage) {
  use("");
  const std::string release = machine_->stateDir() + "/release";
  // The first run is held in its message box about a log that does not open.
  answers("REMVEX32.EXE: \"Plexa Installer Uninstall\" until:" + release + ":1\n");
  remvex_tests::install(REMVEX32_PROGRAM, machine_->hostC("OTHER/REMVEX32.EXE"));
  auto first = remvex_tests::start("C:\\APP\\REMVEX32.EXE C:\\NONE.LOG");
  ASSERT_TRUE(remvex_tests::waitForContent(machine_->stateDir() + "/answers.used"));
  const std::string multiple = "\"caption\":\"Multiple Instance\"";
  EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
  EXPECT_EQ(count({"\"ev\":\"messagebox\"", multiple,
                   "\"text\":\"Application is already running - Terminating this instance\""}),
            1u);
  // Silent runs, and another copy of the program, are not counted.
  EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE /S C:\\APP\\INSTALL.LOG"), 0u);
  machine_->makeFile("APP/INSTALL.LOG", kLog);  // the silent run undid it and deleted it
  EXPECT_EQ(run("C:\\OTHER\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
  EXPECT_EQ(count({multiple}), 1u);
  TestMachine::writeText(release, "");
  EXPECT_EQ(first.finish(), 0u);
  EXPECT_EQ(count({"\"ev\":\"messagebox\"", "\"text\":\"Could not open INSTALL.LOG file.\""}), 1u);
  EXPECT_EQ(run("C:\\APP\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
  EXPECT_EQ(count({multiple}), 1u);
}

TEST_F(StagesTest, SecondStageDeletesTheProgramAndEmptiedDirectory) {
  // The machine keeps no 8.3 names: the short directory is a directory of that name.
  struct Case {
    const char* name;
    const char* arguments;
    const char* directory;  // below drive C
    bool otherFile;         // another file stays in the directory
  };
  const Case cases[] = {
      {"emptied directory", "C:\\PROGRA~1\\APP\\REMVEX32.EXE C:\\PROGRA~1\\APP\\", "PROGRA~1/APP", false},
      {"another file remains", "C:\\PROGRA~1\\APP\\REMVEX32.EXE C:\\PROGRA~1\\APP\\", "PROGRA~1/APP", true},
      {"quoted path with a blank", "\"C:\\Program Files\\APP\\REMVEX32.EXE\" \"C:\\Program Files\\APP\\\"",
       "Program Files/APP", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use("");
    remvex_tests::install(REMVEX32_PROGRAM, machine_->hostC("TEMP/QDB1A2B.EXE"));
    const std::string directory = c.directory;
    machine_->makeFile(directory + "/REMVEX32.EXE", "first stage");
    machine_->makeFile("Program", "a file named by the text before the blank");
    if (c.otherFile) machine_->makeFile(directory + "/README.TXT", "kept");
    EXPECT_EQ(run(std::string("C:\\TEMP\\QDB1A2B.EXE /z ") + c.arguments), 0u);
    EXPECT_FALSE(std::filesystem::exists(machine_->hostC(directory + "/REMVEX32.EXE")));
    EXPECT_EQ(std::filesystem::exists(machine_->hostC(directory)), c.otherFile);
    EXPECT_EQ(host("Program"), "a file named by the text before the blank");
    EXPECT_TRUE(std::filesystem::exists(machine_->hostC(directory.substr(0, directory.find('/')))));
    auto set = remvex_tests::transcriptLines(*machine_, {"\"ev\":\"timer-set\"", "\"id\":8298"});
    auto fired = remvex_tests::transcriptLines(*machine_, {"\"ev\":\"timer-fired\"", "\"id\":8298"});
    ASSERT_EQ(set.size(), 1u);
    ASSERT_EQ(fired.size(), 1u);
    auto time = [](const std::string& line) { return std::stol(line.substr(line.find("\"t\":") + 4)); };
    EXPECT_GE(time(fired[0]) - time(set[0]), 1000);
  }
}

TEST_F(StagesTest, SecondStageWaitsForTheFirstStageToEnd) {
  use("");
  const std::string release = machine_->stateDir() + "/release";
  answers("REMVEX32.EXE: \"Plexa Installer Uninstall\" until:" + release + ":1\n");
  remvex_tests::install(REMVEX32_PROGRAM, machine_->hostC("TEMP/QDB1A2B.EXE"));
  auto first = remvex_tests::start("C:\\APP\\REMVEX32.EXE C:\\NONE.LOG");
  ASSERT_TRUE(remvex_tests::waitForContent(machine_->stateDir() + "/answers.used"));
  auto second = remvex_tests::start("C:\\TEMP\\QDB1A2B.EXE /z C:\\APP\\REMVEX32.EXE C:\\APP\\");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(std::filesystem::exists(machine_->hostC("APP/REMVEX32.EXE")));
  TestMachine::writeText(release, "");
  EXPECT_EQ(first.finish(), 0u);
  EXPECT_EQ(second.finish(), 0u);
  EXPECT_FALSE(std::filesystem::exists(machine_->hostC("APP/REMVEX32.EXE")));
  EXPECT_TRUE(std::filesystem::exists(machine_->hostC("APP/INSTALL.LOG")));
}

TEST_F(StagesTest, RestartProgramSchedulesItsDeletionAndOneReboot) {
  use("");
  remvex_tests::install(REMVEX_RESTART_PROGRAM, machine_->hostC("WINDOWS/_MSRSTRT.EXE"));
  EXPECT_EQ(run("C:\\WINDOWS\\_MSRSTRT.EXE"), 0u);
  auto pending = win_testing::readPendingRenames();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].flags, 5u);
  EXPECT_EQ(pending[0].source, "C:\\WINDOWS\\_MSRSTRT.EXE");
  const std::string reboots = TestMachine::readText(machine_->stateDir() + "/" + win::kRebootsFileName);
  EXPECT_EQ(std::count(reboots.begin(), reboots.end(), '\n'), 1) << reboots;
  // The uninstaller carries these very bytes as its resource.
  EXPECT_NE(TestMachine::readText(REMVEX32_PROGRAM).find(TestMachine::readText(REMVEX_RESTART_PROGRAM)),
            std::string::npos);
}

}  // namespace
