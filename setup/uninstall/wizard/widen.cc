#include "wizard/widen.h"

#include "constants.h"
#include "start/main_window.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/window.h"
#include "wizard/wizard_state.h"

namespace remvex {

namespace {

win::HFONT& dialogFont() {
  static win::HFONT font = nullptr;
  return font;
}

void makeDialogFont(win::HWND dialog) {
  auto font = reinterpret_cast<win::HFONT>(win::SendMessage(dialog, win::WM_GETFONT, 0, 0));
  win::LOGFONTA log{};
  if (!font || win::GetObject(font, sizeof log, &log) != static_cast<int>(sizeof log)) return;
  log.lfWeight = win::FW_LIGHT;
  log.lfCharSet = Screen().charSet;
  dialogFont() = win::CreateFontIndirect(&log);
}

}  // namespace

win::RECT Widened(const win::RECT& r) { return {r.left + r.left / 6, r.top, r.right + r.right / 6, r.bottom}; }

void WidenDialog(win::HWND dialog) {
  win::RECT r{};
  if (win::GetWindowRect(dialog, &r)) {
    const win::RECT w = Widened(r);
    win::MoveWindow(dialog, w.left, w.top, w.right - w.left, w.bottom - w.top, win::FALSE);
  }
  const WizardState& wizard = Wizard();
  if (wizard.newShell && wizard.subclassDialog) wizard.subclassDialog(dialog, kCtl3dDialogFlags);
  if (!dialogFont()) makeDialogFont(dialog);
  if (dialogFont())
    win::EnumChildWindows(dialog, WidenControlProc, reinterpret_cast<win::LPARAM>(dialogFont()));
}

win::BOOL WidenControlProc(win::HWND control, win::LPARAM font) {
  win::RECT r{};
  if (win::GetWindowRect(control, &r)) {
    win::MapWindowPoints(nullptr, win::GetParent(control), reinterpret_cast<win::POINT*>(&r), 2);
    const win::RECT w = Widened(r);
    win::MoveWindow(control, w.left, w.top, w.right - w.left, w.bottom - w.top, win::FALSE);
  }
  win::SendMessage(control, win::WM_SETFONT, static_cast<win::WPARAM>(font), 0);
  return win::TRUE;
}

win::HFONT DialogFont() { return dialogFont(); }

void FreeDialogFont() {
  if (dialogFont()) win::DeleteObject(dialogFont());
  dialogFont() = nullptr;
}

}  // namespace remvex
