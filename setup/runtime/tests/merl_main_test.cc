// MerlMain through the stand-in: the plain run, its log, the switches and the
// script's sections.
#include <filesystem>

#include "whole_run.h"

namespace merl_testing {

std::vector<std::string> WholeRunTest::tempFiles(const std::string& prefix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(kit_->hostPath("C:\\TEMP"), ec)) {
    std::string name = e.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  return names;
}

namespace {

const std::string kSection =
    "***  Installation Started 2/25/2003 14:05  ***\r\nTitle: Demo Setup\r\nSource: C:\\SETUP\\SETUP.EXE\r\n"
    "Hello\r\nInstallation complete.\r\n";

TEST_F(WholeRunTest, APlainRunEndsWithItsLogSectionAndLeavesNothingBehind) {
  machine().assemble(demoHeader() + "log text=\"Hello\\r\\n\"\n");
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  EXPECT_EQ(r.line["exit_code"].integer(), 1);
  EXPECT_EQ(r.line["program"].text(), "");
  EXPECT_EQ(r.line["arguments"].text(), "");
  EXPECT_TRUE(r.line["wm_quit"].boolean());
  EXPECT_GE(r.line["virtual_ms"].integer(), 250);
  EXPECT_EQ(kit().installLog(), kSection);
  EXPECT_TRUE(tempFiles().empty());

  runOk({"--silent"});
  EXPECT_EQ(kit().installLog(), kSection + kSection);
  runOk({"--silent"}, "/T");
  EXPECT_EQ(kit().installLog(), kSection + kSection);
}

TEST_F(WholeRunTest, SwitchesSetTheRunStateTheActionSees) {
  struct Case {
    std::string commandLine;
    int state;
  } cases[] = {{"/T", 1}, {"  /m=cfg.txt /t", 1}, {"/M1", 2}, {"foo /T", 0}, {"/Qjunk /t", 1}, {"/Q junk /t", 0}};
  for (const Case& c : cases) {
    machine().assemble(demoHeader() + actionCall("CMD=%CMDLINE%"));
    runOk({"--silent"}, c.commandLine);
    auto calls = kit().doubleLog("action", "SetVars");
    ASSERT_EQ(calls.size(), 1u) << c.commandLine;
    EXPECT_EQ(calls[0]["run_state"].integer(), c.state) << c.commandLine;
    EXPECT_EQ(calls[0]["parameter_text"].text(), "CMD=" + c.commandLine) << c.commandLine;
  }
}

TEST_F(WholeRunTest, ALongCommandLineIsCutInItsSlotOnly) {
  machine().assemble(demoHeader() + actionCall("C=%CMDLINE%\x7FL=%LANGUAGES%"));
  std::string line(300, 'x');
  runOk({"--silent"}, line);
  auto calls = kit().doubleLog("action", "SetVars");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["parameter_text"].text(), "C=" + line.substr(0, 255) + "\x7FL=English");
}

TEST_F(WholeRunTest, SectionsRunOnceAndDecideTheResult) {
  struct Case {
    const char* name;
    std::string body;
    bool onExit, onCancel;
    std::string answers;
    int result;
    std::string lastLine;
  } cases[] = {
      {"exit runs on-exit once", "exit\nbye: log text=\"Bye\\r\\n\"\n", true, false, "", 0, "Bye\r\nInstallation complete.\r\n"},
      {"cancel runs on-cancel", "msgbox flags=0 title=\"T\" text=\"Go?\"\nend\nbye: log text=\"Bye\\r\\n\"\n", false, true,
       "114 2\n114 1\n", 1, "Bye\r\nInstallation Aborted!\r\n"},
      {"skip into the end mark", "if variable=\"%NONE%\" text=\"x\"\nlog text=\"no\"\n", false, false, "", 1,
       "Source: C:\\SETUP\\SETUP.EXE\r\n"},
  };
  for (const Case& c : cases) {
    std::string ini = machineIni("9x", c.answers.empty() ? "" : "[ui]\nanswers = $STATE/answers.txt\n");
    machine(ini);
    if (!c.answers.empty()) kit().machine().writeText(kit().stateDir() + "/answers.txt", c.answers);
    std::string sections = std::string(c.onExit ? "on_exit = bye\n" : "") + (c.onCancel ? "on_cancel = bye\n" : "");
    kit().assemble(demoHeader() + sections + c.body);
    merl_kit::StandinResult r = runOk({});
    EXPECT_EQ(r.line["result"].integer(), c.result) << c.name;
    std::string log = kit().installLog();
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), c.lastLine.size())), c.lastLine) << c.name << "\n" << log;
  }
}

TEST_F(WholeRunTest, TheRestartVariableDecidesWhatTheSetupProgramIsToDo) {
  struct Case {
    std::string restart;
    const char* answers;
    std::string program, arguments;
    int exitCode;
  } cases[] = {{"", "", "", "", 1},
               {"E  cmd /k x", "", "C:\\COMMAND.COM", "/C cmd /k x", 1},
               {"W", "114 1\n", "", "", 0x42},
               {"W", "114 2\n", "", "", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.restart + " " + c.answers);
    machine(machineIni("9x", "[env]\nCOMSPEC = C:\\COMMAND.COM\n[ui]\nanswers = $STATE/answers.txt\n"));
    kit().machine().writeText(kit().stateDir() + "/answers.txt", c.answers);
    kit().assemble(demoHeader() + actionCall("RESTART=" + c.restart));
    merl_kit::StandinResult r = runOk({"--silent"});
    EXPECT_EQ(r.line["result"].integer(), 0);
    EXPECT_EQ(r.line["program"].text(), c.program);
    EXPECT_EQ(r.line["arguments"].text(), c.arguments);
    EXPECT_EQ(r.line["exit_code"].integer(), c.exitCode);
  }
}

}  // namespace
}  // namespace merl_testing
