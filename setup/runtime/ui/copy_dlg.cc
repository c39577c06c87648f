// CopyDlg: the look and texts at WM_INITDIALOG, the bar painted twice (filled
// and unfilled part, each clipped to its side) with the percentage centred, and
// the cancel question on any command.
#include "ui/copy_dlg.h"

#include <cstdio>

#include "entry/copy_progress.h"
#include "entry/main_state.h"
#include "entry/screen_services.h"
#include "script/script_header.h"
#include "ui/dialog_look.h"
#include "ui/message_dlg.h"
#include "ui/path_name_dlg.h"
#include "ui/pump.h"
#include "win/dialog.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

bool ctl3dInUse() { return mainState().ctl3dLibrary != nullptr; }

win::COLORREF buttonFace() {
  return mainState().ctl3dRegistered ? win::GetSysColor(win::COLOR_BTNFACE) : kCopyPlainFace;
}

void setMessageText(HWND dialog, int id, int message) {
  if (const char* text = scriptMessage(message)) {
    if (id == 0) win::SetWindowText(dialog, text);
    else win::SetDlgItemText(dialog, id, text);
  }
}

void initDialog(HWND dialog) {
  SetupDialogLook(dialog);
  setMessageText(dialog, 0, kCopyCaptionMessage);
  setMessageText(dialog, 2, kCancelTextMessage);
  HWND bar = win::GetDlgItem(dialog, kCopyBarControl);
  if (!bar) return;
  win::RECT r{};
  GetChildRect(dialog, kCopyBarControl, &r);
  run().state<CopyDialogState>().inner = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  if (!ctl3dInUse()) win::ShowWindow(bar, win::SW_HIDE);
}

// The figures with done at most total and the percentage at most 100.
CopyProgressFigures clampedFigures() {
  CopyProgressFigures f = run().state<CopyDialogState>().getProgressFraction();
  if (f.total == 0) f.total = 1;
  if (f.done > f.total) f.done = f.total;
  if (f.percent < 0) f.percent = 0;
  if (f.percent > 100) f.percent = 100;
  return f;
}

void drawPart(win::HDC dc, const win::RECT& part, int x, int y, const char* text, int length, win::COLORREF back,
              win::COLORREF fore) {
  win::SetBkColor(dc, back);
  win::SetTextColor(dc, fore);
  win::ExtTextOut(dc, x, y, win::ETO_OPAQUE | win::ETO_CLIPPED, &part, text, static_cast<win::UINT>(length), nullptr);
}

void paintBar(HWND dialog) {
  win::PAINTSTRUCT paint;
  win::HDC dc = win::BeginPaint(dialog, &paint);
  if (!dc) return;
  const win::RECT& in = run().state<CopyDialogState>().inner;
  CopyProgressFigures f = clampedFigures();
  int width = in.right - in.left, height = in.bottom - in.top;
  int filled = in.left + static_cast<int>(static_cast<unsigned long long>(width > 0 ? width : 0) * f.done / f.total);
  char text[8];
  int length = std::snprintf(text, sizeof text, "%3d%%", f.percent);
  auto font = reinterpret_cast<win::HGDIOBJ>(win::SendMessage(dialog, win::WM_GETFONT, 0, 0));
  win::HGDIOBJ old = font ? win::SelectObject(dc, font) : nullptr;
  win::SIZE size{};
  win::GetTextExtentPoint32(dc, text, length, &size);
  int x = in.left + (width - size.cx) / 2, y = in.top + (height - size.cy) / 2;
  win::COLORREF face = buttonFace();
  drawPart(dc, {in.left, in.top, filled, in.bottom}, x, y, text, length, kCopyBarColour, face);
  drawPart(dc, {filled + 1, in.top, in.right, in.bottom}, x, y, text, length, face, kCopyBarColour);
  if (!ctl3dInUse()) {
    win::RECT frame{in.left - 1, in.top - 1, in.right + 1, in.bottom + 1};
    win::FrameRect(dc, &frame, static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
  }
  if (font) win::SelectObject(dc, old);
  win::EndPaint(dialog, &paint);
}

void askCancel(HWND dialog) {
  if (dialog != run().state<CopyProgressLink>().copyDialog) return;
  if (ConfirmCancel(dialog) && run().setup()) run().setup()->abortFlag = 1;
}

}  // namespace

CopyProgressFigures CopyDialogState::defaultFigures() {
  CopyProgressFigures f;
  f.percent = GetProgressFraction(f.done, f.total);
  return f;
}

win::INT_PTR CopyDlg(HWND dialog, win::UINT message, win::WPARAM, win::LPARAM) {
  switch (message) {
    case win::WM_INITDIALOG:
      initDialog(dialog);
      return win::TRUE;
    case win::WM_PAINT:
      paintBar(dialog);
      return win::TRUE;
    case win::WM_COMMAND:
      askCancel(dialog);
      return win::FALSE;
    default:
      return win::FALSE;
  }
}

}  // namespace merl

extern "C" win::INT_PTR CopyDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return merl::CopyDlg(dialog, message, wParam, lParam);
}
