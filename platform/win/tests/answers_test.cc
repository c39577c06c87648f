// The answers file: the forms of a line, the refusal of a bad line (status 2,
// naming it), and lines shared by the processes of one machine, each taken once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <set>

#include "answers_file.h"
#include "ui_test_support.h"
#include "win/dialog.h"
#include "win/message_box.h"

namespace {

using namespace win;
using win_testing::TestMachine;
using Key = AnswerLine::Key;
using Answer = AnswerLine::Answer;
using Kind = AnswerAction::Kind;

TEST(AnswersFileTest, ReadsEveryFormOfALine) {
  struct Case {
    const char* text;
    const char* program;
    Key key;
    const char* keyText;
    int number;
    Answer answer;
    int button;
    const char* untilFile;
    std::size_t actions;
  } cases[] = {
      {"114 2", "", Key::Template, "114", -1, Answer::Button, 2, "", 0},
      {"  0114\t2  ", "", Key::Template, "114", -1, Answer::Button, 2, "", 0},
      {"REMVEX32.EXE: 106 1", "REMVEX32.EXE", Key::Template, "106", -1, Answer::Button, 1, "", 0},
      {"#3 7", "", Key::Number, "", 3, Answer::Button, 7, "", 0},
      {"\"Uninstall\" 6", "", Key::Caption, "Uninstall", -1, Answer::Button, 6, "", 0},
      {"\"Say \"\"hi\"\"\" 1", "", Key::Caption, "Say \"hi\"", -1, Answer::Button, 1, "", 0},
      {"103 wait", "", Key::Template, "103", -1, Answer::Wait, 0, "", 0},
      {"1538 until:/tmp/go:2", "", Key::Template, "1538", -1, Answer::Until, 2, "/tmp/go", 0},
      {"open C:\\APP\\INSTALL.LOG", "", Key::Open, "C:\\APP\\INSTALL.LOG", -1, Answer::File, 0, "", 0},
      {"save \"C:\\Program Files\\a.txt\"", "", Key::Save, "C:\\Program Files\\a.txt", -1, Answer::File, 0, "", 0},
      {"CANCEL", "", Key::Cancel, "", -1, Answer::File, 0, "", 0},
      {"1539 1 set 1000= set 1000=\"C:\\A B\" select 1008=0,2 check 1001=1 notify 1008=2", "", Key::Template, "1539",
       -1, Answer::Button, 1, "", 5},
  };
  for (const auto& c : cases) {
    std::string error;
    auto lines = parseAnswers(c.text, &error);
    ASSERT_TRUE(lines) << c.text << ": " << error;
    ASSERT_EQ(lines->size(), 1u);
    const auto& a = (*lines)[0];
    EXPECT_EQ(a.program, c.program) << c.text;
    EXPECT_EQ(a.key, c.key) << c.text;
    EXPECT_EQ(a.keyText, c.keyText) << c.text;
    EXPECT_EQ(a.number, c.number) << c.text;
    EXPECT_EQ(a.answer, c.answer) << c.text;
    EXPECT_EQ(a.button, c.button) << c.text;
    EXPECT_EQ(a.untilFile, c.untilFile) << c.text;
    EXPECT_EQ(a.actions.size(), c.actions) << c.text;
  }
  auto lines = parseAnswers(
      "; comment\r\n\r\n1539 1 set 1000=\"C:\\A B\" select 1008=0,2 check 1001=1 notify 1008=2\r\n", nullptr);
  ASSERT_TRUE(lines);
  const auto& a = (*lines)[0];
  EXPECT_EQ(a.line, 3);
  EXPECT_EQ(a.raw, "1539 1 set 1000=\"C:\\A B\" select 1008=0,2 check 1001=1 notify 1008=2");
  ASSERT_EQ(a.actions.size(), 4u);
  EXPECT_EQ(a.actions[0].kind, Kind::Set);
  EXPECT_EQ(a.actions[0].text, "C:\\A B");
  EXPECT_EQ(a.actions[1].indexes, (std::vector<int>{0, 2}));
  EXPECT_EQ(a.actions[2].value, 1);
  EXPECT_EQ(a.actions[3].id, 1008);
  EXPECT_EQ(a.actions[3].value, 2);
}

TEST(AnswersFileTest, RefusesABadLineNamingIt) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"114", "answers:1: no answer after the key"},
      {"; ok\n114 2\nhello 1", "answers:3: unknown key \"hello\""},
      {"114 0", "answers:1: bad answer \"0\""},
      {"114 yes", "answers:1: bad answer \"yes\""},
      {"114 1 press 2=1", "answers:1: unknown action \"press\""},
      {"114 1 set 1000", "answers:1: set needs <id>=<value>"},
      {"114 1 check", "answers:1: check needs <id>=<value>"},
      {"114 1 check 1001=2", "answers:1: bad value \"2\" for check"},
      {"114 1 select 1008=1,,2", "answers:1: bad value \"1,,2\" for select"},
      {"114 1 notify 1008=x", "answers:1: bad value \"x\" for notify"},
      {"\"open 1", "answers:1: a quoted text is not closed"},
      {"114 until:relative:1", "answers:1: bad \"until:relative:1\""},
      {"114 until:/tmp/x", "answers:1: bad \"until:/tmp/x\""},
      {"open", "answers:1: open needs a path"},
      {"open C:\\X 1", "answers:1: nothing may follow a file dialog's answer"},
      {"#x 1", "answers:1: bad dialog number \"#x\""},
      {"SETUP.EXE:", "answers:1: no key after the program"},
      {"70000 1", "answers:1: unknown key \"70000\""},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseAnswers(c.text, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave " << error;
  }
}

INT_PTR endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) EndDialog(dialog, LOWORD(wParam));
  return message == WM_COMMAND;
}

TEST(AnswersFileTest, AMalformedFileEndsTheProcessWithStatusTwoNamingTheLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TestMachine m(ui_test::kUiIni);
  ui_test::TemplateResources resources;
  resources.add(114, ui_test::messageDialog114());
  ui_test::writeAnswers(m, "114 1\n\n114 1 chek 1001=1\n");
  EXPECT_EXIT(DialogBoxParam(nullptr, MAKEINTRESOURCE(114), nullptr, endOnCommand, 0), ::testing::ExitedWithCode(2),
              "answers:3: unknown action \"chek\"");
  TestMachine missing("[ui]\nanswers = $STATE/none.txt\n");
  EXPECT_EXIT(MessageBox(nullptr, "x", "y", MB_OK), ::testing::ExitedWithCode(2), "answers: cannot read");
}

TEST(AnswersFileTest, ProcessesOfOneMachineTakeEachLineOnce) {
  constexpr int kChildren = 4, kEach = 10;
  TestMachine m(ui_test::kUiIni);
  std::string lines;
  for (int i = 0; i < kChildren * kEach; ++i) lines += "\"Retry?\" " + std::to_string(3 + i % 3) + "\n";
  ui_test::writeAnswers(m, lines);
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = ::fork();
    if (pid == 0) {
      win::MachineScope own(m.stateDir());
      for (int i = 0; i < kEach; ++i) MessageBox(nullptr, "again", "Retry?", MB_ABORTRETRYIGNORE);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::multiset<int> taken;
  std::regex number("\"line\":([0-9]+)");
  for (const auto& line : ui_test::events(m, "messagebox")) {
    std::smatch match;
    ASSERT_TRUE(std::regex_search(line, match, number)) << line;
    taken.insert(std::stoi(match[1]));
  }
  ASSERT_EQ(taken.size(), static_cast<std::size_t>(kChildren * kEach));
  for (int n = 1; n <= kChildren * kEach; ++n) EXPECT_EQ(taken.count(n), 1u) << n;
}

}  // namespace
