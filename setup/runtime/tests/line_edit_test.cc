// Line-by-line edits (f33) called in a loop as a script's loop would: every line
// delivered in order, changed lines written back through the edited copy, the
// numbered backup, open files at the end of the run, and the failures.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "action_call.h"

namespace {

class LineEditTest : public merl_testing::ActionCallTest {
 protected:
  // Calls f33 until it returns 0 (bounded), changing each line with f16 when change is given.
  std::vector<std::string> loop(const std::string& params, const char* change = nullptr) {
    std::vector<std::string> lines;
    for (int k = 0; k < 100 && call(f33, params) == 1; ++k) {
      lines.push_back(value("LINE"));
      if (change) call(f16, change);
    }
    return lines;
  }
  // Side files left in C:\APP.
  int sideFiles() {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(machine().hostC("APP")))
      n += e.path().filename().string().rfind("~QDH", 0) == 0;
    return n;
  }
};

using Lines = std::vector<std::string>;

TEST_F(LineEditTest, EveryLineIsDeliveredInOrderAndOnlyCrLfIsOneLineEnd) {
  struct Case {
    std::string text;
    Lines lines;
  } cases[] = {
      {"L1\r\nL2\r\n\r\nL3", {"L1", "L2", "", "L3"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"", {}},
      {std::string(300, 'x') + "\r\ny", {std::string(255, 'x'), std::string(45, 'x'), "y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    machine().makeFile("APP/F.TXT", c.text);
    EXPECT_EQ(loop("0\x7FLINE\x7F" "C:\\APP\\F.TXT\x7F "), c.lines);
    EXPECT_EQ(file("APP/F.TXT"), c.text);
    EXPECT_EQ(sideFiles(), 0);
  }
}

TEST_F(LineEditTest, ChangedLinesReplaceTheFileAfterTheLastLine) {
  struct Case {
    const char* mode;
    bool backup;
  } cases[] = {{"1", false}, {"3", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    load("log text=\"\"\n");
    std::filesystem::remove_all(machine().hostC("APP"));
    machine().makeFile("APP/F.TXT", "l1\r\nl2\r\n\r\nl3");
    Lines lines = loop(std::string(c.mode) + "\x7FLINE\x7F" "C:\\APP\\F.TXT\x7F ", "25\x7FLINE\x7F");
    EXPECT_EQ(lines, (Lines{"l1", "l2", "", "l3"}));
    EXPECT_EQ(file("APP/F.TXT"), "L1\r\nL2\r\n\r\nL3\r\n");
    EXPECT_EQ(std::filesystem::exists(machine().hostC("APP/F.001")), c.backup);
    if (c.backup) {
      EXPECT_EQ(file("APP/F.001"), "l1\r\nl2\r\n\r\nl3");
    }
    EXPECT_EQ(logged(), c.backup ? "File Edit: C:\\APP\\F.TXT\r\nBackup Copy: C:\\APP\\F.001\r\n" : "");
    EXPECT_EQ(sideFiles(), 0);
  }
}

TEST_F(LineEditTest, AnEditStillOpenWhenTheRunEndsLeavesTheFileAndNoCopy) {
  machine().makeFile("APP/F.TXT", "a\r\nb\r\n");
  EXPECT_EQ(call(f33, "1\x7FLINE\x7F" "C:\\APP\\F.TXT\x7F "), 1);
  EXPECT_EQ(sideFiles(), 1);
  load("log text=\"\"\n");
  EXPECT_EQ(sideFiles(), 0);
  EXPECT_EQ(file("APP/F.TXT"), "a\r\nb\r\n");
}

TEST_F(LineEditTest, AScriptLoopOverTheRecordEditsEveryLine) {
  machine().makeFile("APP/F.TXT", "l1\r\nl2\r\n\r\nl3");
  load("call flags=0x0B library=\"\" function=\"f33\" params=\"3\\x7FLINE\\x7FC:\\\\APP\\\\F.TXT\\x7F \"\n"
       "call flags=8 library=\"\" function=\"f16\" params=\"25\\x7FLINE\\x7F\"\n"
       "end flags=1\nlog text=\"E\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(file("APP/F.TXT"), "L1\r\nL2\r\n\r\nL3\r\n");
  EXPECT_EQ(file("APP/F.001"), "l1\r\nl2\r\n\r\nl3");
  EXPECT_EQ(logged(), "File Edit: C:\\APP\\F.TXT\r\nBackup Copy: C:\\APP\\F.001\r\nE");
  EXPECT_EQ(sideFiles(), 0);
}

TEST_F(LineEditTest, AMissingFileIsAnAbortMessageAndSetsTheAbortFlag) {
  std::filesystem::create_directories(machine().hostC("APP"));
  EXPECT_EQ(call(f33, "1\x7FLINE\x7F" "C:\\APP\\NONE.TXT\x7F "), 0);
  EXPECT_EQ(aborts(), std::vector<std::string>{"M26: C:\\APP\\NONE.TXT"});
  EXPECT_NE(setup_.abortFlag, 0u);
  EXPECT_EQ(sideFiles(), 0);
}

}  // namespace
