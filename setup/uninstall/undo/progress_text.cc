#include "undo/progress_text.h"

#include "constants.h"
#include "run_state.h"
#include "start/main_window.h"
#include "string_table.h"
#include "win/dialog.h"
#include "win/message.h"
#include "win/show_commands.h"
#include "win/window.h"

namespace remvex {

namespace {

constexpr int kActionControl = 1004;
constexpr int kPageText = 1002;
constexpr int kProgressArea = 3830;
constexpr int kNextButton = 1;
constexpr int kBackButton = 5;

void repaintBar(win::HWND wizard) {
  win::HWND area = win::GetDlgItem(wizard, kProgressArea);
  if (!area) return;
  win::RECT rect{};
  win::GetWindowRect(area, &rect);
  win::MapWindowPoints(nullptr, wizard, reinterpret_cast<win::POINT*>(&rect), 2);
  win::InvalidateRect(wizard, &rect, win::FALSE);
}

}  // namespace

UndoProgress& Progress() {
  static UndoProgress progress;
  return progress;
}

void SetProgressText(const std::optional<std::string>& text) {
  win::HWND wizard = Run().wizard;
  if (!wizard) return;
  if (text) win::SetDlgItemText(wizard, kActionControl, ("\r\n\r\n" + *text).c_str());
  repaintBar(wizard);
  WaitWithMessages(kProgressWaitMs);
}

void ShowProgressPage(const std::string& title) {
  Progress().shown = true;
  win::HWND wizard = Run().wizard;
  if (!wizard) return;
  win::SetDlgItemText(wizard, kPageText, FormatMessage1(LoadMessage(Run().iniPath, 45), title).c_str());
  for (int id : {kNextButton, kBackButton})
    if (win::HWND button = win::GetDlgItem(wizard, id)) win::EnableWindow(button, win::FALSE);
  if (Run().dialogLibrary)
    if (win::HWND area = win::GetDlgItem(wizard, kProgressArea)) win::ShowWindow(area, win::SW_SHOW);
}

void WaitWithMessages(unsigned ms) {
  win::HWND window = Run().mainWindow;
  if (ms != 0 && window) {
    WaitOnTimer(window, kUndoTimerId, ms);
    return;
  }
  WaitFlag() = false;
  win::MSG msg{};
  while (win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
    if (msg.message == win::WM_QUIT) {
      win::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

}  // namespace remvex
