// Message boxes, file dialogs, help, sounds and beeps: answers by caption or
// default button, file choices checked as the dialogs would, every call in the
// transcript.
#include "win/message_box.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui_test_support.h"
#include "win/common_dialogs.h"
#include "win/dialog.h"
#include "win/help_sound.h"
#include "win/machine.h"

namespace {

using namespace win;
using win_testing::TestMachine;

struct Boxes {
  explicit Boxes(const std::string& answers) : m(ui_test::kUiIni) {
    m.machine().setModulePath("C:\\WINDOWS\\REMVEX32.EXE");
    ui_test::writeAnswers(m, answers);
  }
  TestMachine m;
};

TEST(MessageBoxTest, AnswersComeFromTheCaptionsLineOrTheDefaultButton) {
  Boxes b("\"Uninstall\" 6\n\"Uninstall\" until:/:1\n");
  struct Case {
    const char* caption;
    UINT type;
    int answer;
  } cases[] = {
      {"Uninstall", MB_YESNO, IDYES},                   // line 1
      {"Uninstall", MB_OKCANCEL, IDOK},                 // line 2: / exists, so the hold ends at once
      {"Multiple Instance", MB_ICONINFORMATION, IDOK},  // no line left: the default
      {"Uninstall", MB_YESNO | MB_DEFBUTTON2, IDNO},
      {"Uninstall", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {nullptr, MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY},  // no third button: the first
  };
  for (const auto& c : cases) EXPECT_EQ(MessageBox(nullptr, "text", c.caption, c.type), c.answer) << c.caption;
  EXPECT_EQ(MessageBox(nullptr, "x", "y", 6), 0);  // no such button set
  auto lines = ui_test::events(b.m, "messagebox");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_NE(lines[0].find("\"prog\":\"REMVEX32.EXE\",\"ev\":\"messagebox\",\"key\":\"\\\"Uninstall\\\"\",\"owner\":0,"
                          "\"caption\":\"Uninstall\",\"text\":\"text\",\"style\":\"0x00000004\",\"icon\":\"none\","
                          "\"buttons\":[6,7],\"answer\":6,\"how\":\"line\",\"line\":1}"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[2].find("\"icon\":\"information\",\"buttons\":[1],\"answer\":1,\"how\":\"unscripted\""),
            std::string::npos);
  EXPECT_NE(lines[5].find("\"caption\":\"Error\""), std::string::npos);
}

TEST(MessageBoxTest, AButtonTheBoxHasNotEndsTheProcessNamingTheLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Boxes b("\"Uninstall\" 1\n");
  EXPECT_EXIT(MessageBox(nullptr, "Are you sure?", "Uninstall", MB_YESNO), ::testing::ExitedWithCode(3),
              "answers line 1 \\(\"\"Uninstall\" 1\"\\): button 1 is not one of the message box's \\(6, 7\\)");
  Boxes w("\"Uninstall\" wait\n");
  EXPECT_EXIT(MessageBox(nullptr, "?", "Uninstall", MB_OK), ::testing::ExitedWithCode(3), "cannot end itself");
}

struct FileDialog {
  FileDialog(bool save = false) {
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
    std::strcpy(file, "INSTALL.LOG");
  }
  OPENFILENAMEA ofn{};
  char file[256] = "";
  char title[16] = "";
};

TEST(FileDialogTest, AChosenFileFillsTheCallersBuffersAndBecomesTheCurrentDirectory) {
  Boxes b("open C:\\App\\install.log\nsave \"C:\\Out Dir\\page.doc\"\n");
  b.m.makeFile("App/install.log", "log");
  b.m.makeFile("Out Dir/keep", "");
  FileDialog open;
  ASSERT_TRUE(GetOpenFileName(&open.ofn));
  EXPECT_STREQ(open.file, "C:\\App\\install.log");
  EXPECT_EQ(open.ofn.nFileOffset, 7);
  EXPECT_EQ(open.ofn.nFileExtension, 15);
  EXPECT_STREQ(open.title, "install.log");
  EXPECT_EQ(b.m.machine().currentDirectory().text(), "C:\\App");
  FileDialog save(true);
  ASSERT_TRUE(GetSaveFileName(&save.ofn));
  EXPECT_STREQ(save.file, "C:\\Out Dir\\page.doc");
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST(FileDialogTest, ARefusedFileKeepsTheDialogOpenForTheNextLine) {
  Boxes b("open C:\\Nowhere\\INSTALL.LOG\ncancel\n");
  FileDialog open;
  EXPECT_FALSE(GetOpenFileName(&open.ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);  // cancelled, not failed
  auto lines = ui_test::events(b.m, "file-dialog");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"answer\":\"refused: C:\\\\Nowhere\\\\INSTALL.LOG does not exist\""), std::string::npos);
  EXPECT_NE(lines[1].find("\"answer\":\"cancel\""), std::string::npos);
}

TEST(FileDialogTest, ASmallBufferFailsAndWithoutALineTheNameInTheBufferIsTaken) {
  Boxes b("open C:\\INSTALL.LOG\n");
  b.m.makeFile("INSTALL.LOG", "log");
  FileDialog small;
  small.ofn.nMaxFile = 8;
  EXPECT_FALSE(GetOpenFileName(&small.ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  WORD needed;
  std::memcpy(&needed, small.file, sizeof needed);
  EXPECT_EQ(needed, 15);
  FileDialog open;
  ASSERT_TRUE(GetOpenFileName(&open.ofn));  // "INSTALL.LOG" in the current directory C:\ .
  EXPECT_STREQ(open.file, "C:\\INSTALL.LOG");
  FileDialog bad;
  bad.ofn.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileName(&bad.ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

TEST(RecordedCallsTest, HelpSoundAndBeepsAreRecordedOnly) {
  Boxes b("");
  EXPECT_TRUE(WinHelp(nullptr, "C:\\APP\\APP.HLP", HELP_CONTEXT, 42));
  EXPECT_TRUE(sndPlaySound("C:\\APP\\TADA.WAV", SND_ASYNC | SND_NODEFAULT | SND_LOOP));
  EXPECT_TRUE(sndPlaySound(nullptr, 0));
  EXPECT_TRUE(MessageBeep(0));
  EXPECT_TRUE(Beep(440, 100));
  std::string t = ui_test::transcriptOf(b.m);
  for (const char* part : {"\"ev\":\"help\",\"hwnd\":0,\"file\":\"C:\\\\APP\\\\APP.HLP\",\"command\":1,\"data\":42",
                           "\"ev\":\"sound\",\"file\":\"C:\\\\APP\\\\TADA.WAV\",\"flags\":\"0x0000000B\"",
                           "\"ev\":\"sound\",\"stop\":true", "\"ev\":\"beep\",\"type\":\"0x00000000\"",
                           "\"ev\":\"beep\",\"frequency\":440,\"duration\":100"})
    EXPECT_NE(t.find(part), std::string::npos) << part;
}

}  // namespace
