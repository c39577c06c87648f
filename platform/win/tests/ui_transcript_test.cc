// Two runs of the same windows, timers, dialogs, message boxes, file dialog and
// paint give byte-identical transcripts.
#include <gtest/gtest.h>

#include "ui_test_support.h"
#include "win/common_dialogs.h"
#include "win/gdi.h"
#include "win/message_box.h"

namespace {

using namespace win;
using win_testing::TestMachine;

bool waiting = false;
bool finished = false;

// The uninstaller's background window: a banded gradient, and WM_TIMER clears the wait flag.
LRESULT background(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) waiting = false;
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefWindowProc(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT c;
  GetClientRect(hwnd, &c);
  for (int band = 0; band < 4; ++band) {
    HBRUSH b = CreateSolidBrush(RGB(0, 0, static_cast<BYTE>(255 - 60 * band)));
    HGDIOBJ old = SelectObject(dc, b);
    PatBlt(dc, 0, c.bottom * band / 4, c.right, c.bottom / 4, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(b);
  }
  EndPaint(hwnd, &ps);
  return 0;
}

INT_PTR wizard(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG)
    SendDlgItemMessage(dialog, 1003, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("C:\\APP\\A.DLL"));
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) finished = true;
  return message == WM_COMMAND;
}

INT_PTR prompt(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  if (GetWindowTextLength(GetDlgItem(dialog, 1000)) > 0) EndDialog(dialog, LOWORD(wParam));
  return TRUE;
}

void waitWithMessages(HWND main, UINT ms) {
  waiting = true;
  SetTimer(main, 8298, ms, nullptr);
  MSG msg;
  while (waiting)
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  KillTimer(main, 8298);
}

std::string runScenario() {
  TestMachine m(ui_test::kUiIni);
  m.machine().setModulePath("C:\\APP\\REMVEX32.EXE");
  m.makeFile("APP/INSTALL.LOG", "log");
  ui_test::writeAnswers(
      m,
      "open C:\\APP\\INSTALL.LOG\n106 1 check 1001=1 select 1003=0\n1539 1\n1539 1 set 1000=C:\\X\n\"Uninstall\" 7\n");
  ui_test::TemplateResources resources;
  resources.add(106, ui_test::wizardDialog106());
  resources.add(1539, ui_test::promptDialog1539());
  WNDCLASSA wc{};
  wc.lpfnWndProc = background;
  wc.lpszClassName = "QDTXUninstall";
  RegisterClass(&wc);
  HWND main = CreateWindowEx(0, "QDTXUninstall", " ", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 0,
                             640, 480, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(main, SW_SHOWMAXIMIZED);
  UpdateWindow(main);
  char file[260] = "INSTALL.LOG";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.Flags = OFN_FILEMUSTEXIST;
  GetOpenFileName(&ofn);
  finished = false;
  HWND w = CreateDialogParam(nullptr, MAKEINTRESOURCE(106), main, wizard, 0);
  MSG msg;
  while (!finished && GetMessage(&msg, nullptr, 0, 0))
    if (!IsDialogMessage(w, &msg)) DispatchMessage(&msg);
  waitWithMessages(main, 3500);
  DialogBoxParam(nullptr, MAKEINTRESOURCE(1539), w, prompt, 0);
  MessageBox(w, "Are you sure you want to cancel the uninstall?", "Uninstall", MB_YESNO);
  DestroyWindow(w);
  PostMessage(HWND_BROADCAST, WM_WININICHANGE, 0, 0);
  DestroyWindow(main);
  return ui_test::transcriptOf(m);
}

TEST(UiTranscriptTest, TwoRunsOfTheSameScenarioGiveIdenticalBytes) {
  std::string first = runScenario();
  for (const char* ev : {"\"ev\":\"window-create\"", "\"ev\":\"show\"", "\"ev\":\"gdi\"", "\"ev\":\"file-dialog\"",
                         "\"ev\":\"dialog\"", "\"ev\":\"answer\"", "\"ev\":\"timer-fired\"", "\"ev\":\"messagebox\"",
                         "\"ev\":\"broadcast\"", "\"ev\":\"window-destroy\""})
    EXPECT_NE(first.find(ev), std::string::npos) << ev;
  EXPECT_EQ(first.find("\"how\":\"unscripted\""), std::string::npos) << first;
  EXPECT_EQ(first, runScenario());
}

}  // namespace
