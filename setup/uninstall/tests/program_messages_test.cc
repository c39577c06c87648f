// The program's messages and dialogs as the transcript shows them, run as
// C:\APP\REMVEX32.EXE: the reader's refusals with their texts and captions,
// [Language] overrides, the file dialog and the log beside the program.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

const std::string kHeader = "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\n";
const char* kBox = "\"ev\":\"messagebox\"";
const char* kPlexa = "\"caption\":\"Plexa Installer Uninstall\"";
// A text given to the main window, the first window of the run.
const char* kMainText = "\"ev\":\"text\",\"hwnd\":65536,";

struct Case {
  const char* name;
  const char* ini;  // machine.ini lines besides the transcript and answers
  std::vector<std::pair<const char*, std::string>> files;  // below drive C
  std::string arguments;
  const char* answers;
  std::vector<std::vector<std::string>> present;  // each: parts of one transcript line
  std::vector<std::vector<std::string>> absent;
};

TEST(ProgramMessagesTest, Table) {
  const std::string admin67 =
      "\"text\":\"This software was installed under an account with administrator rights. You should log on with an "
      "account with administrator rights to uninstall this software.\"";
  std::string bars;
  for (int i = 0; i < 300; ++i) bars += "\\u000d\\u000a";
  const Case cases[] = {
      {"no log", "", {}, "C:\\APP\\NONE.LOG", "", {{kBox, kPlexa, "\"text\":\"Could not open INSTALL.LOG file.\""}}, {}},
      {"no header line",
       "",
       {{"APP/INSTALL.LOG", "Title: Demo\r\n"}},
       "C:\\APP\\INSTALL.LOG",
       "",
       {{kBox, kPlexa, "\"text\":\"Invalid INSTALL.LOG file.\""}},
       {}},
      {"no title line",
       "",
       {{"APP/INSTALL.LOG", "***  Installation\r\nSource: X\r\n"}},
       "C:\\APP\\INSTALL.LOG",
       "",
       {{kBox, kPlexa, "\"text\":\"Invalid INSTALL.LOG file.\""}},
       {}},
      {"administrator rights not held",
       "[system]\nadmin = 0\n",
       {{"APP/INSTALL.LOG", kHeader + "User Rights: Admin\r\nMade Dir: C:\\APP\r\n"}},
       "C:\\APP\\INSTALL.LOG",
       "",
       {{kBox, "\"caption\":\"Uninstall\"", admin67}},
       {{"\"prog\":\"REMVEX32.EXE\"", "\"ev\":\"process-start\""}, {"\"ev\":\"text\"", "Uninstall Demo"}}},
      {"an override keeps its %s literally",
       "",
       {{"APP/REMVEX32.INI", "[Language]\r\nMsg76=%s%n\r\n"}},
       "C:\\APP\\NONE.LOG",
       "",
       {{kBox, kPlexa, "\"text\":\"%s%n\""}},
       {}},
      {"300 bars in an override",
       "",
       {{"APP/REMVEX32.INI", "[Language]\r\nMsg4=" + std::string(300, '|') + "\r\n"},
        {"APP/INSTALL.LOG", "Title: Demo\r\n"}},
       "C:\\APP\\INSTALL.LOG",
       "",
       {{kBox, "\"text\":\"" + bars + "\""}},
       {}},
      {"a 2000-character command line",
       "",
       {},
       "/S C:\\APP\\" + std::string(2000, 'x') + " " + std::string(100, 'T'),
       "",
       {{kBox, kPlexa, "\"text\":\"Could not open INSTALL.LOG file.\""}},
       {}},
      {"empty command line takes the log beside the program",
       "",
       {{"APP/INSTALL.LOG", kHeader}},
       "",
       "",
       {{kMainText, "\"text\":\"Uninstall Demo\""}},
       {{"\"ev\":\"file-dialog\""}, {kBox}}},
      {"switches alone ask for the log; Cancel ends the run",
       "",
       {{"APP/INSTALL.LOG", kHeader}},
       "/S",
       "cancel\n",
       {{"\"ev\":\"file-dialog\"", "\"kind\":\"open\"", "\"file\":\"INSTALL.LOG\"", "\"answer\":\"cancel\""}},
       {{kBox}, {"\"ev\":\"text\""}}},
      {"the file dialog's choice is read",
       "",
       {{"DATA/INSTALL.LOG", kHeader}},
       "/a",
       "open C:\\DATA\\INSTALL.LOG\n",
       {{"\"ev\":\"file-dialog\"", "\"answer\":\"C:\\\\DATA\\\\INSTALL.LOG\""},
        {kMainText, "\"text\":\"Uninstall Demo\""}},
       {{kBox}}},
      {"a title argument names the window",
       "",
       {{"APP/INSTALL.LOG", kHeader}},
       "/a /r C:\\APP\\INSTALL.LOG My Product",
       "",
       {{"\"ev\":\"window-create\"", "\"title\":\" \""}, {kMainText, "\"text\":\"My Product\""}},
       {{kMainText, "Uninstall Demo"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(remvex_tests::kUiIni) + c.ini);
    TestMachine::writeText(m.stateDir() + "/answers.txt", c.answers);
    remvex_tests::install(REMVEX32_PROGRAM, m.hostC("APP/REMVEX32.EXE"));
    for (const auto& [path, text] : c.files) m.makeFile(path, text);
    std::string line = "C:\\APP\\REMVEX32.EXE";
    if (!c.arguments.empty()) line += " " + c.arguments;
    EXPECT_EQ(remvex_tests::run(line), 0u);
    const std::string all = TestMachine::readText(m.stateDir() + "/t.jsonl");
    for (const auto& parts : c.present)
      EXPECT_EQ(remvex_tests::transcriptLines(m, parts).size(), 1u) << parts[0] << " " << parts.back() << "\n" << all;
    for (const auto& parts : c.absent)
      EXPECT_TRUE(remvex_tests::transcriptLines(m, parts).empty()) << parts[0] << "\n" << all;
    EXPECT_TRUE(win_testing::waitNoProcess());
  }
}

}  // namespace
