// The wizard in whole runs of C:\APP\REMVEX32.EXE: dialog 106 as it is first
// shown, the automatic run on the perform page, the silent run without it, the
// background window's showing, the cancelled run and the dialog library.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win/registry.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

const std::string kLog = "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nMade Dir: C:\\APP\r\n";
const char* kWizard = "\"ev\":\"dialog\",\"hwnd\":65540,\"key\":\"106\"";
const char* kBroadcast = "\"name\":\"WM_WININICHANGE\"";
const char* kMainShown = "\"ev\":\"show\",\"hwnd\":65536,\"cmd\":3";

std::string control(int id, const std::string& rest) {
  return "{\"id\":" + std::to_string(id) + "," + rest;
}

struct Case {
  const char* name;
  const char* ini;         // machine.ini lines besides the transcript and answers
  const char* programIni;  // REMVEX32.INI, "" for none
  const char* switches;
  const char* answers;
  std::vector<std::vector<std::string>> present;  // each: parts of one transcript line
  std::vector<std::vector<std::string>> absent;
  std::vector<std::string> doubles;  // parts of the doubles' log
  std::vector<std::string> noDoubles;  // parts the doubles' log lacks
  bool dialogLibrary = false;
  bool logKept = false;  // nothing was undone, or the undo keeps the log
};

TEST(WizardRunTest, Table) {
  const Case cases[] = {
      {"dialog 106 on the method page, centred, captioned like the main window",
       "",
       "",
       "",
       "",
       {{kWizard, "\"title\":\"Uninstall Demo\"", "\"modal\":false", "\"rect\":[82,61,557,419]",
         control(5, "\"class\":\"Button\",\"text\":\"< &Back\""), control(2, "\"class\":\"Button\",\"text\":\"Cancel\""),
         control(3, "\"class\":\"Button\",\"text\":\"Select &All\""),
         control(77, "\"class\":\"Button\",\"text\":\"&Select None\""),
         // 85, 6, 172 x 30 units are 128 to 386 pixels, widened by a sixth of each.
         control(1005, "\"class\":\"Static\",\"text\":\"Select Uninstall Method\",\"style\":\"0x50000080\","
                       "\"visible\":true,\"enabled\":true,\"rect\":[149,10,450,59]"),
         control(1002, "\"class\":\"Static\",\"text\":\"Welcome to the Demo uninstall program.\\u000a\\u000aYou can "
                       "choose to automatically uninstall this software or to choose exactly which changes will be "
                       "made to your system.\""),
         control(1000, "\"class\":\"Button\",\"text\":\"&Automatic\""), "\"checked\":1}",
         control(1003, "\"class\":\"ListBox\",\"text\":\"\",\"style\":\"0x48A10109\",\"visible\":false")},
        {kMainShown},
        {kBroadcast},
        {"\"ev\":\"window-destroy\",\"hwnd\":65540"}},
       {},
       {}},
      {"/A opens on the perform page with Next and Back hidden",
       "",
       "",
       "/A ",
       "",
       {{kWizard, control(1005, "\"class\":\"Static\",\"text\":\"Perform Uninstall\""),
         control(1002, "\"class\":\"Static\",\"text\":\"You are now ready to uninstall the Demo from your system.\""),
         control(5, "\"class\":\"Button\",\"text\":\"< &Back\",\"style\":\"0x48010000\",\"visible\":false"),
         control(1, "\"class\":\"Button\",\"text\":\"&Finish\",\"style\":\"0x48010001\",\"visible\":false")},
        {"\"ev\":\"window-destroy\",\"hwnd\":65540"},
        {kBroadcast}},
       {{"\"ev\":\"answer\""}},
       {}},
      {"/S shows neither the window nor the wizard", "", "", "/S ", "", {{kBroadcast}}, {{"\"ev\":\"dialog\""}, {"\"ev\":\"show\""}}, {}},
      {"No Background keeps the window hidden",
       "",
       "[Settings]\r\nNo Background=1\r\n",
       "",
       "",
       {{kWizard}},
       {{kMainShown}},
       {}},
      {"custom pages under the program's pump",
       "",
       "",
       "",
       "106 1 check 1001=1\n106 3\n106 1\n106 1\n",
       {{"\"ev\":\"text\"", "\"id\":1005,\"text\":\"Select Directories to Remove\""},
        {"\"ev\":\"answer\"", "\"how\":\"line\"", "\"button\":3"},
        {"\"ev\":\"text\"", "\"id\":1,\"text\":\"&Finish\""},
        {kBroadcast}},
       {{"\"how\":\"unscripted\""}},
       {}},
      {"a confirmed Cancel undoes nothing",
       "",
       "",
       "",
       "106 2\n\"Uninstall\" 6\n",
       {{"\"ev\":\"messagebox\"", "\"caption\":\"Uninstall\""}},
       {{kBroadcast}},
       {},
       {},
       false,
       true},
      {"the dialog library subclasses the wizard with the new shell",
       "",
       "",
       "",
       "",
       {{kWizard}},
       {},
       {"\"call\":\"Ctl3dSubclassDlgEx\",\"hwnd\":65540,\"flags\":56"},
       {},
       true},
      {"no subclassing without the new shell",
       "[system]\nshell4 = 0\nversion = 3.51\n",
       "",
       "",
       "",
       {{kWizard}},
       {},
       {"\"call\":\"Ctl3dRegister\""},
       {"Ctl3dSubclassDlgEx"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(remvex_tests::kUiIni) + c.ini +
                  "[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
    TestMachine::writeText(m.stateDir() + "/answers.txt", c.answers);
    TestMachine::writeText(m.stateDir() + "/doubles.ini", "");
    remvex_tests::install(REMVEX32_PROGRAM, m.hostC("APP/REMVEX32.EXE"));
    if (c.dialogLibrary) remvex_tests::install(REMVEX_CTL3D_DOUBLE, m.hostC("WINDOWS/SYSTEM/CTL3D32.DLL"));
    m.makeFile("APP/INSTALL.LOG", kLog);
    if (*c.programIni) m.makeFile("APP/REMVEX32.INI", c.programIni);
    EXPECT_EQ(remvex_tests::run(std::string("C:\\APP\\REMVEX32.EXE ") + c.switches + "C:\\APP\\INSTALL.LOG"), 0u);
    const std::string all = TestMachine::readText(m.stateDir() + "/t.jsonl");
    for (const auto& parts : c.present)
      EXPECT_EQ(remvex_tests::transcriptLines(m, parts).size(), 1u) << parts[0] << " " << parts.back() << "\n" << all;
    for (const auto& parts : c.absent)
      EXPECT_TRUE(remvex_tests::transcriptLines(m, parts).empty()) << parts[0] << "\n" << all;
    const std::string doubles = TestMachine::readText(m.stateDir() + "/doubles.log");
    for (const auto& p : c.doubles) EXPECT_NE(doubles.find(p), std::string::npos) << p << "\n" << doubles;
    for (const auto& p : c.noDoubles) EXPECT_EQ(doubles.find(p), std::string::npos) << p << "\n" << doubles;
    EXPECT_EQ(std::filesystem::exists(m.hostC("APP/INSTALL.LOG")), c.logKept);
    EXPECT_TRUE(win_testing::waitNoProcess());
  }
}

// An automatic interactive run shows the undo's action texts on the perform page, in step
// order, and removes what the log names.
TEST(WizardRunTest, AutomaticRunShowsTheActionsOnThePerformPage) {
  TestMachine m(std::string(remvex_tests::kUiIni));
  TestMachine::writeText(m.stateDir() + "/answers.txt", "");
  remvex_tests::install(REMVEX32_PROGRAM, m.hostC("APP/REMVEX32.EXE"));
  m.makeFile("APP/README.TXT", "read me");
  m.makeFile("APP/INSTALL.LOG", kLog + "File Copy: C:\\APP\\README.TXT\r\n");
  EXPECT_EQ(remvex_tests::run("C:\\APP\\REMVEX32.EXE /A C:\\APP\\INSTALL.LOG"), 0u);
  const std::vector<std::string> texts = remvex_tests::transcriptLines(m, {"\"ev\":\"text\"", "\"id\":1004"});
  std::size_t file = std::string::npos, directory = std::string::npos;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (file == std::string::npos && texts[i].find("README.TXT") != std::string::npos) file = i;
    if (directory == std::string::npos && texts[i].find("Directory") != std::string::npos) directory = i;
  }
  ASSERT_NE(file, std::string::npos) << TestMachine::readText(m.stateDir() + "/t.jsonl");
  if (directory != std::string::npos) {
    EXPECT_LT(file, directory);
  }
  EXPECT_FALSE(std::filesystem::exists(m.hostC("APP/README.TXT")));
  EXPECT_TRUE(win_testing::waitNoProcess());
}

// The shared-file question in an interactive run: "&Yes" deletes a file whose count ends,
// "No to &All" keeps it and every later one without asking again.
TEST(WizardRunTest, SharedFileQuestionDecidesInAnInteractiveRun) {
  struct Case {
    const char* answers;
    bool deleted;
    std::size_t questions;
  } cases[] = {{"104 1007\n104 1007\n", true, 2}, {"104 1\n", false, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    TestMachine m(std::string(remvex_tests::kUiIni));
    TestMachine::writeText(m.stateDir() + "/answers.txt", c.answers);
    remvex_tests::install(REMVEX32_PROGRAM, m.hostC("APP/REMVEX32.EXE"));
    std::string log = kLog;
    for (const char* name : {"ONE.DLL", "TWO.DLL"}) {
      m.makeFile(std::string("WINDOWS/SYSTEM/") + name, "dll");
      const std::string path = std::string("C:\\WINDOWS\\SYSTEM\\") + name;
      log += "File Copy: " + path + "\r\n";
      win::HKEY key = nullptr;
      ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                                    0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &key, nullptr),
                win::ERROR_SUCCESS);
      const win::DWORD one = 1;
      win::RegSetValueEx(key, path.c_str(), 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&one), sizeof one);
      win::RegCloseKey(key);
    }
    m.makeFile("APP/INSTALL.LOG", log);
    EXPECT_EQ(remvex_tests::run("C:\\APP\\REMVEX32.EXE /A C:\\APP\\INSTALL.LOG"), 0u);
    EXPECT_EQ(remvex_tests::transcriptLines(m, {"\"ev\":\"dialog\"", "\"key\":\"104\""}).size(), c.questions)
        << TestMachine::readText(m.stateDir() + "/t.jsonl");
    EXPECT_EQ(std::filesystem::exists(m.hostC("WINDOWS/SYSTEM/ONE.DLL")), !c.deleted);
    EXPECT_EQ(std::filesystem::exists(m.hostC("WINDOWS/SYSTEM/TWO.DLL")), !c.deleted);
    EXPECT_TRUE(win_testing::waitNoProcess());
  }
}

}  // namespace
