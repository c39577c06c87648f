// Dialogs: the documented layout of a template, and modal and modeless dialogs
// answered from the answers file: buttons, typed texts, checks, notifications,
// waits, holds, program prefixes, unscripted defaults, mismatches and stuck dialogs.
#include "win/dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ui_test_support.h"
#include "win/answers.h"
#include "win/clock.h"
#include "win/error.h"
#include "win/gdi.h"

namespace {

using namespace win;
using win_testing::TestMachine;

HINSTANCE const kModule = handleFromValue<HINSTANCE>(0x400000);

std::vector<std::string> log;

std::string commandText(WPARAM wParam) {
  std::string s = "command " + std::to_string(LOWORD(wParam));
  if (HIWORD(wParam)) s += "/" + std::to_string(HIWORD(wParam));
  return s;
}

// Ends with the command's id (114-like).
INT_PTR endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) log.push_back("initdialog");
  if (message != WM_COMMAND) return FALSE;
  log.push_back(commandText(wParam));
  EndDialog(dialog, LOWORD(wParam));
  return TRUE;
}

// The text prompt: OK with an empty field keeps the dialog open.
std::string answer;
INT_PTR prompt(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) return FALSE;
  char text[256];
  GetDlgItemText(dialog, 1000, text, sizeof text);
  answer = text;
  log.push_back(commandText(wParam) + " text=" + answer);
  if (!answer.empty() || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
  return TRUE;
}

// The list dialog: a double-click in 1008 counts as OK; OK takes the selected line.
int chosen = -2;
INT_PTR listDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const char* name : {"English", "Deutsch",
                             "Fran\xe7"
                             "ais"})
      SendDlgItemMessage(dialog, 1008, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ShowWindow(GetDlgItem(dialog, 1010), SW_HIDE);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  log.push_back(commandText(wParam));
  WORD id = LOWORD(wParam);
  if (id == 1008 && HIWORD(wParam) == LBN_DBLCLK) id = IDOK;
  if (id == IDOK || id == IDCANCEL) {
    chosen = static_cast<int>(SendDlgItemMessage(dialog, 1008, LB_GETCURSEL, 0, 0));
    EndDialog(dialog, id);
  }
  return TRUE;
}

// The busy dialog: ends itself on its own 250 ms timer and ignores every command.
INT_PTR busy(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) SetTimer(dialog, 3825, 250, nullptr);
  if (message == WM_TIMER && wParam == 3825) {
    KillTimer(dialog, 3825);
    log.push_back("timer at " + std::to_string(GetTickCount()));
    EndDialog(dialog, 1);
  }
  return message == WM_COMMAND;
}

// Ends itself while it starts (the language matched) and takes no line.
INT_PTR endsAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) EndDialog(dialog, 1);
  return FALSE;
}

// Never ends (every command ignored).
INT_PTR neverEnds(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) log.push_back(commandText(wParam));
  return message == WM_COMMAND;
}

struct DialogFixture {
  explicit DialogFixture(const std::string& answers, const std::string& ini = ui_test::kUiIni) : m(ini) {
    m.machine().setModulePath("C:\\SETUP.EXE");
    ui_test::writeAnswers(m, answers);
    resources.add(114, ui_test::messageDialog114());
    resources.add(1539, ui_test::promptDialog1539());
    resources.add(107, ui_test::listDialog107());
    resources.add(103, ui_test::busyDialog103());
    resources.add(106, ui_test::wizardDialog106());
    log.clear();
    answer.clear();
    chosen = -2;
  }
  TestMachine m;
  ui_test::TemplateResources resources;
};

INT_PTR run(WORD id, DLGPROC proc) { return DialogBoxParam(kModule, MAKEINTRESOURCE(id), nullptr, proc, 0); }

TEST(DialogTest, TemplateUnitsGiveTheDocumentedRectangles) {
  struct Case {
    const char* ini;
    RECT window;
    RECT edit1000;
    RECT button2;
  } cases[] = {
      // MS Sans Serif 8 at 96 dpi: base units 6 x 13.
      {"", {155, 59, 398, 302}, {6, 111, 228, 131}, {153, 187, 228, 210}},
      // At 120 dpi the font is 15 pixels high: base units 7 x 15.
      {"[ui]\nlogpixelsy = 120\n", {181, 72, 464, 348}, {7, 128, 266, 151}, {179, 216, 267, 242}},
  };
  for (const auto& c : cases) {
    DialogFixture f("", c.ini);
    HWND dialog = CreateDialogParam(kModule, MAKEINTRESOURCE(1539), nullptr, neverEnds, 0);
    ASSERT_NE(dialog, nullptr);
    RECT r, e, b;
    GetWindowRect(dialog, &r);
    HWND edit = GetDlgItem(dialog, 1000), cancel = GetDlgItem(dialog, 2);
    GetWindowRect(edit, &e);
    GetWindowRect(cancel, &b);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    auto client = [&](RECT s) {
      return RECT{s.left - origin.x, s.top - origin.y, s.right - origin.x, s.bottom - origin.y};
    };
    auto same = [](RECT a, RECT x) {
      return a.left == x.left && a.top == x.top && a.right == x.right && a.bottom == x.bottom;
    };
    EXPECT_TRUE(same(r, c.window)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_TRUE(same(client(e), c.edit1000));
    EXPECT_TRUE(same(client(b), c.button2));
    DestroyWindow(dialog);
  }
  TestMachine m;
  EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
}

TEST(DialogTest, ButtonLineDeliversInitDialogThenTheCommand) {
  DialogFixture f("114 2\n");
  EXPECT_EQ(run(114, endOnCommand), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"initdialog", "command 2"}));
  auto answers = ui_test::events(f.m, "answer");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_NE(answers[0].find("\"key\":\"114\",\"how\":\"line\",\"button\":2,\"line\":1"), std::string::npos);
}

TEST(DialogTest, ADialogThatStaysOpenTakesItsNextLine) {
  DialogFixture f("1539 1 set 1000=\n1539 1 set 1000=C:\\X\n");
  EXPECT_EQ(run(1539, prompt), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"command 1 text=", "command 1 text=C:\\X"}));
  EXPECT_EQ(answer, "C:\\X");
}

TEST(DialogTest, QuotedTextsKeepTheirBlanks) {
  DialogFixture f("1539 1 set 1000=\"C:\\Program Files\\App\"\n");
  EXPECT_EQ(run(1539, prompt), 1);
  EXPECT_EQ(answer, "C:\\Program Files\\App");
}

bool customChosen = false;
INT_PTR radios(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) CheckRadioButton(dialog, 1000, 1001, 1000);
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    customChosen = IsDlgButtonChecked(dialog, 1001) == BST_CHECKED && IsDlgButtonChecked(dialog, 1000) == BST_UNCHECKED;
    EndDialog(dialog, IDOK);
  }
  return message == WM_COMMAND;
}

TEST(DialogTest, CheckMarksARadioButtonAndClearsItsGroup) {
  DialogFixture f("106 1 check 1001=1\n");
  customChosen = false;
  EXPECT_EQ(run(106, radios), IDOK);
  EXPECT_TRUE(customChosen);
}

TEST(DialogTest, NotifySendsTheControlsNotificationAndADoubleClickEndsTheDialog) {
  DialogFixture f("107 2 select 1008=1 notify 1008=2\n");
  EXPECT_EQ(run(107, listDialog), IDOK);  // the double-click ended it; Cancel was never pressed
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"command 1008/2"}));
}

TEST(DialogTest, WaitLetsTheDialogEndOnItsOwnTimer) {
  DialogFixture f("103 wait\n");
  EXPECT_EQ(run(103, busy), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"timer at 250"}));
}

TEST(DialogTest, UntilHoldsTheDialogUntilItsFileAppears) {
  DialogFixture f("");
  std::string flag = f.m.stateDir() + "/release";
  ui_test::writeAnswers(f.m, "114 until:" + flag + ":3\n");
  auto start = std::chrono::steady_clock::now();
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    TestMachine::writeText(flag, "");
  });
  EXPECT_EQ(run(114, endOnCommand), 3);
  releaser.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(GetTickCount(), 0u);  // a hold does not move the virtual clock
  EXPECT_EQ(log, (std::vector<std::string>{"initdialog", "command 3"}));
}

TEST(DialogTest, AProgramPrefixedLineIsTakenOnlyByThatProgram) {
  DialogFixture f("REMVEX32.EXE: 114 3\n114 1\n");
  EXPECT_EQ(run(114, endOnCommand), 1);  // SETUP.EXE passes over the uninstaller's line
  {
    win::MachineScope second(f.m.stateDir());
    second.machine().setModulePath("C:\\WINDOWS\\REMVEX32.EXE");
    EXPECT_EQ(run(114, endOnCommand), 3);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"initdialog", "command 1", "initdialog", "command 3"}));
}

TEST(DialogTest, WithoutALineTheDefaultButtonIsPressedAndMarkedUnscripted) {
  DialogFixture f("");
  EXPECT_EQ(run(114, endOnCommand), 1);
  auto answers = ui_test::events(f.m, "answer");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_NE(answers[0].find("\"how\":\"unscripted\",\"button\":1"), std::string::npos);
}

TEST(DialogTest, ADialogThatEndsWhileStartingTakesNoLine) {
  DialogFixture f("114 2\n");
  EXPECT_EQ(run(1539, endsAtOnce), 1);
  EXPECT_EQ(run(114, endOnCommand), 2);  // the line is still there for the next dialog
}

TEST(DialogTest, MismatchedAndStuckDialogsExitWithStatusThreeNamingTheLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  {
    DialogFixture f("1539 1\n");
    EXPECT_EXIT(run(114, endOnCommand), ::testing::ExitedWithCode(3),
                "answers line 1 \\(\"1539 1\"\\): it is not for dialog 114");
  }
  {
    DialogFixture f("114 1\n");
    EXPECT_EXIT(run(114, neverEnds), ::testing::ExitedWithCode(3), "dialog 114 waiting to end itself waits for ever");
  }
  {
    DialogFixture f("114 3 set 1005=x\n");
    EXPECT_EXIT(run(114, endOnCommand), ::testing::ExitedWithCode(3), "answers line 1 .*takes no typed text");
  }
  {
    DialogFixture f("107 1 select 1010=0\n");
    EXPECT_EXIT(run(107, listDialog), ::testing::ExitedWithCode(3), "control 1010 is hidden");
  }
}

// The uninstaller's wizard: Next moves through two pages, then Finish.
int page = 0;
bool finished = false;
INT_PTR wizard(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  log.push_back(commandText(wParam) + " on page " + std::to_string(page));
  if (LOWORD(wParam) == IDOK && ++page == 2) finished = true;
  if (LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
  return TRUE;
}

LRESULT mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) log.push_back("posted work");
  return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND makeMain() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = mainProc;
  wc.lpszClassName = "QDTXUninstall";
  RegisterClass(&wc);
  return CreateWindowEx(0, "QDTXUninstall", " ", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

TEST(DialogTest, AModelessDialogTakesItsLineWhenTheQueueIsEmpty) {
  DialogFixture f("106 1\n106 1 select 1003=\n");
  HWND main = makeMain();
  page = 0;
  finished = false;
  HWND w = CreateDialogParam(kModule, MAKEINTRESOURCE(106), main, wizard, 0);
  ASSERT_NE(w, nullptr);
  PostMessage(main, WM_USER, 0, 0);
  MSG msg;
  while (!finished && GetMessage(&msg, nullptr, 0, 0))
    if (!IsDialogMessage(w, &msg)) DispatchMessage(&msg);
  EXPECT_EQ(log, (std::vector<std::string>{"posted work", "command 1 on page 0", "command 1 on page 1"}));
  DestroyWindow(w);
}

TEST(DialogTest, AModelessDialogWithNoLineForItIsStuck) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  DialogFixture f("104 1007\n");
  HWND main = makeMain();
  HWND w = CreateDialogParam(kModule, MAKEINTRESOURCE(106), main, wizard, 0);
  ASSERT_NE(w, nullptr);
  MSG msg;
  EXPECT_EXIT(
      for (;;) {
        GetMessage(&msg, nullptr, 0, 0);
        DispatchMessage(&msg);
      },
      ::testing::ExitedWithCode(3),
      "dialog 106 \\(\"\"\\) is open and answers line 1 \\(\"104 1007\"\\) is not for it");
}

TEST(DialogTest, CallersNameInMemoryDialogsAndCaptionsNameThemToo) {
  DialogFixture f("#3 2\n\"Welcome\" 1\n");
  std::string bytes = ui_test::messageDialog114();
  auto* tmpl = reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
  nameNextDialog(3);
  EXPECT_EQ(DialogBoxIndirectParam(kModule, tmpl, static_cast<DWORD>(bytes.size()), nullptr, endOnCommand, 0), 2);
  struct Titled {
    static INT_PTR proc(HWND d, UINT m, WPARAM w, LPARAM l) {
      if (m == WM_INITDIALOG) SetWindowText(d, "Welcome");
      return endOnCommand(d, m, w, l);
    }
  };
  EXPECT_EQ(DialogBoxIndirectParam(kModule, tmpl, static_cast<DWORD>(bytes.size()), nullptr, Titled::proc, 0), 1);
  EXPECT_EQ(DialogBoxIndirectParam(kModule, tmpl, 20, nullptr, endOnCommand, 0), -1);  // cut short
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(DialogBoxParam(kModule, MAKEINTRESOURCE(999), nullptr, endOnCommand, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST(DialogTest, TheDialogLineShowsKeyTitleFontCloseAndControls) {
  DialogFixture f("114 1\n");
  struct Greyed {
    static INT_PTR proc(HWND d, UINT m, WPARAM w, LPARAM l) {
      if (m == WM_INITDIALOG) {
        SetWindowText(d, "Question");
        SetDlgItemText(d, 1005, "Remove it?");
        ShowWindow(GetDlgItem(d, 2), SW_HIDE);
        EnableMenuItem(GetSystemMenu(d, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
      }
      return endOnCommand(d, m, w, l);
    }
  };
  EXPECT_EQ(run(114, Greyed::proc), 1);
  auto dialogs = ui_test::events(f.m, "dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  const std::string& d = dialogs[0];
  for (const char* part :
       {"\"key\":\"114\",\"title\":\"Question\",\"modal\":true", "\"font\":{\"face\":\"MS Sans Serif\",\"size\":8}",
        "\"close\":false",
        "{\"id\":1005,\"class\":\"Static\",\"text\":\"Remove it?\",\"style\":\"0x50000000\",\"visible\":true,"
        "\"enabled\":true,\"rect\":[26,10,248,28]}",
        "{\"id\":2,\"class\":\"Button\",\"text\":\"Cancel\",\"style\":\"0x40010000\",\"visible\":false"})
    EXPECT_NE(d.find(part), std::string::npos) << part << "\n" << d;
  EXPECT_EQ(ui_test::events(f.m, "dialog-end").size(), 1u);
}

}  // namespace

namespace {

TEST(DialogTest, TheDialogLineShowsAControlsOwnFontAndAListsTabStops) {
  DialogFixture f("107 1\n");
  static HFONT given = nullptr;
  struct Styled {
    static INT_PTR proc(HWND d, UINT m, WPARAM w, LPARAM l) {
      if (m == WM_INITDIALOG) {
        LOGFONTA font{};
        font.lfHeight = -15;
        font.lfWeight = 700;
        std::strncpy(font.lfFaceName, "Arial", LF_FACESIZE - 1);
        given = CreateFontIndirect(&font);
        SendDlgItemMessage(d, 1001, WM_SETFONT, reinterpret_cast<WPARAM>(given), FALSE);
        const int stops[] = {64, 98, 140};
        SendDlgItemMessage(d, 1010, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops));
      }
      return endOnCommand(d, m, w, l);
    }
  };
  EXPECT_EQ(run(107, Styled::proc), 1);
  DeleteObject(given);
  auto dialogs = ui_test::events(f.m, "dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  const std::string& d = dialogs[0];
  EXPECT_NE(d.find("\"font\":{\"face\":\"Arial\",\"height\":-15,\"weight\":700}"), std::string::npos) << d;
  EXPECT_EQ(d.find("\"weight\":400"), std::string::npos) << "the dialog's own font is not repeated\n" << d;
  EXPECT_NE(d.find("\"tabstops\":[64,98,140]"), std::string::npos) << d;
}

}  // namespace
