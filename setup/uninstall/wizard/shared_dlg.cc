#include "wizard/shared_dlg.h"

#include "constants.h"
#include "start/main_window.h"
#include "string_table.h"
#include "win/dialog.h"
#include "win/library.h"
#include "win/message.h"
#include "win/window.h"
#include "wizard/widen.h"
#include "wizard/wizard_state.h"

namespace remvex {

namespace {

void initDialog(win::HWND dialog, const std::string* text) {
  const std::string& ini = Wizard().iniPath;
  WidenDialog(dialog);
  win::SetDlgItemText(dialog, 1002, text ? text->c_str() : "");
  win::SetWindowText(dialog, LoadMessage(ini, 62).c_str());
  win::SetDlgItemText(dialog, kSharedYes, LoadMessage(ini, 51).c_str());
  win::SetDlgItemText(dialog, kSharedNo, LoadMessage(ini, 52).c_str());
  win::SetDlgItemText(dialog, kSharedNoToAll, LoadMessage(ini, 53).c_str());
  win::RECT r{};
  if (win::GetWindowRect(dialog, &r)) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    win::MoveWindow(dialog, (Screen().width - width) / 2, (Screen().height - height) / 2, width, height, win::FALSE);
  }
}

}  // namespace

win::INT_PTR SharedDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  switch (message) {
    case win::WM_INITDIALOG:
      initDialog(dialog, reinterpret_cast<const std::string*>(lParam));
      return win::TRUE;
    case win::WM_COMMAND: {
      const int id = win::LOWORD(wParam);
      // Closing the window (Cancel) keeps the file, as No does.
      win::EndDialog(dialog, id == win::IDCANCEL ? kSharedNo : id);
      return win::TRUE;
    }
    default:
      return win::FALSE;
  }
}

std::string SharedQuestionText(const std::string& iniPath, const std::string& path) {
  std::string text = FormatMessage1(LoadMessage(iniPath, 38), path) + LoadMessage(iniPath, 39);
  if (text.size() > kMessageSize - 1) text.resize(kMessageSize - 1);
  return text;
}

int AskSharedFile(const std::string& path) {
  const std::string text = SharedQuestionText(Wizard().iniPath, path);
  const win::INT_PTR pressed =
      win::DialogBoxParam(win::GetModuleHandle(nullptr), win::MAKEINTRESOURCE(kSharedDialogId), MainWindow(),
                          SharedDlg, reinterpret_cast<win::LPARAM>(&text));
  return pressed == kSharedYes || pressed == kSharedNoToAll ? static_cast<int>(pressed) : kSharedNo;
}

}  // namespace remvex
