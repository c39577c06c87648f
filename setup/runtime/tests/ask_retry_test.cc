// The in-use question: when it is asked, and what each answer does.
#include "files/ask_retry.h"

#include <string>

#include "files/restart_rename.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "ui/message_dlg.h"

namespace {

class AskRetryTest : public merl_testing::RuntimeTest {
 protected:
  void start(merl::DWORD abortFlag, merl::DWORD options, const std::string& answer) {
    scope_.reset();
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    machine().writeText(machine().stateDir() + "/answers.txt", answer.empty() ? "" : "114 " + answer + "\n");
    for (int k = 0; k < 45; ++k) texts_[k] = "M" + std::to_string(k);
    texts_[22] = "In use: %s";
    for (int k = 0; k < 45; ++k) table_[k] = texts_[k].c_str();
    setup_ = {};
    setup_.messageTable = table_;
    setup_.abortFlag = abortFlag;
    setup_.optionWord = options;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
  }
  // The texts of the message boxes shown.
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
      if (line["ev"].text() == "dialog") out.push_back(line["title"].text());
    return out;
  }

  std::string texts_[45];
  const char* table_[45] = {};
  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(AskRetryTest, WhenAskedAndWhatEachAnswerDoes) {
  struct Case {
    const char* name;
    bool failed;
    merl::DWORD abortFlag, options;
    const char* answer;
    int result;
    bool asked;
    merl::DWORD abortAfter;
    bool inUse;
  } cases[] = {
      {"not failed", false, 0, 0, "", merl::kGoOnWithoutFile, false, 0, false},
      {"abort flag set", true, 1, 0, "", merl::kGoOnWithoutFile, false, 1, false},
      {"restart support", true, 0, merl::kOptionRestartSupport, "", merl::kGoOnWithoutFile, false, 0, false},
      {"retry", true, 0, 0, "3", merl::kRetryFile, true, 0, false},
      {"stop", true, 0, 0, "1", merl::kGoOnWithoutFile, true, 1, false},
      {"go on", true, 0, 0, "2", merl::kGoOnWithoutFile, true, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(c.abortFlag, c.options, c.answer);
    merl::LogRecord record;
    record.opcode = merl::kOpInstallFile;
    EXPECT_EQ(merl::AskRetryFile("C:\\APP\\X.DLL", c.failed, &record), c.result);
    EXPECT_EQ(shown(), c.asked ? std::vector<std::string>{"M17"} : std::vector<std::string>{});
    EXPECT_EQ(setup_.abortFlag, c.abortAfter);
    EXPECT_EQ(merl::lastErrorText(), std::string(c.answer) == "1" ? "In use: C:\\APP\\X.DLL" : "");
    EXPECT_EQ(record.inUse, c.inUse);
  }
}

TEST_F(AskRetryTest, GoingOnLogsTheFileAsNotCopied) {
  start(0, 0, "2");
  machine().makeFile("TEMP/keep");
  ASSERT_TRUE(merl::OpenLog("C:\\TEMP\\LOG.TMP"));
  merl::LogRecord record;
  record.opcode = merl::kOpInstallFile;
  EXPECT_EQ(merl::AskRetryFile("C:\\APP\\X.DLL", true, &record), merl::kGoOnWithoutFile);
  merl::LogAction(record, "C:\\APP\\X.DLL");
  std::string log = machine().readText(machine().hostC("TEMP/LOG.TMP"));
  const std::string line = "In Use: C:\\APP\\X.DLL Not Copied\r\n";
  ASSERT_GE(log.size(), line.size());
  EXPECT_EQ(log.substr(log.size() - line.size()), line);
}

}  // namespace
