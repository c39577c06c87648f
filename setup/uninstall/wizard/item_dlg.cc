#include "wizard/item_dlg.h"

#include <algorithm>
#include <string>
#include <vector>

#include "constants.h"
#include "run_state.h"
#include "start/main_window.h"
#include "string_table.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/message_box.h"
#include "win/show_commands.h"
#include "win/window.h"
#include "wizard/page_table.h"
#include "wizard/paging.h"
#include "wizard/progress_bar.h"
#include "wizard/widen.h"
#include "wizard/wizard_state.h"

namespace remvex {

namespace {

constexpr int kNext = 1, kCancel = 2, kSelectAll = 3, kBack = 5, kSelectNone = 77;
constexpr int kFirstChoice = 1000, kSecondChoice = 1001;
constexpr int kPageText = 1002, kList = 1003, kSecondText = 1004, kTitle = 1005, kProgressArea = 3830;

std::string message(int n) { return LoadMessage(Wizard().iniPath, n); }

void setText(int id, const std::string& text) { win::SetDlgItemText(Run().wizard, id, text.c_str()); }

void centreOnScreen(win::HWND dialog) {
  win::RECT r{};
  if (!win::GetWindowRect(dialog, &r)) return;
  const int width = r.right - r.left, height = r.bottom - r.top;
  win::MoveWindow(dialog, (Screen().width - width) / 2, (Screen().height - height) / 2, width, height, win::FALSE);
}

void selectAll(win::HWND dialog, bool on) {
  win::SendDlgItemMessage(dialog, kList, win::LB_SETSEL, on ? win::TRUE : win::FALSE, static_cast<win::LPARAM>(-1));
}

void fillList(const std::vector<std::string>& lines, const std::vector<std::uint32_t*>& selections) {
  win::HWND list = win::GetDlgItem(Run().wizard, kList);
  win::SendMessage(list, win::LB_RESETCONTENT, 0, 0);
  win::SendMessage(list, win::WM_SETREDRAW, win::FALSE, 0);
  win::HDC dc = win::GetDC(list);
  win::HGDIOBJ oldFont = nullptr;
  if (dc) {
    if (auto font = reinterpret_cast<win::HGDIOBJ>(win::SendMessage(list, win::WM_GETFONT, 0, 0)))
      oldFont = win::SelectObject(dc, font);
  }
  int widest = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    win::SendMessage(list, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(lines[i].c_str()));
    if (i < selections.size() && *selections[i])
      win::SendMessage(list, win::LB_SETSEL, win::TRUE, static_cast<win::LPARAM>(i));
    win::SIZE size{};
    if (dc && win::GetTextExtentPoint(dc, lines[i].c_str(), static_cast<int>(lines[i].size()), &size))
      widest = std::max<int>(widest, size.cx);
  }
  if (dc) {
    if (oldFont) win::SelectObject(dc, oldFont);
    win::ReleaseDC(list, dc);
  }
  win::SendMessage(list, win::LB_SETHORIZONTALEXTENT, static_cast<win::WPARAM>(widest), 0);
  win::SendMessage(list, win::LB_SETTOPINDEX, 0, 0);
  win::SendMessage(list, win::WM_SETREDRAW, win::TRUE, 0);
  win::InvalidateRect(list, nullptr, win::TRUE);
  Wizard().itemCount = static_cast<int>(lines.size());
}

void showChoicePage(const PageTexts& texts, bool firstChecked, bool backOn) {
  for (int id : {kList, kSelectAll, kSelectNone}) ShowDlgItem(id, false);
  for (int id : {kFirstChoice, kSecondChoice, kSecondText}) ShowDlgItem(id, true);
  ShowDlgItem(kBack, backOn);
  setText(kFirstChoice, message(texts.firstChoice));
  setText(kSecondChoice, message(texts.secondChoice));
  win::CheckRadioButton(Run().wizard, kFirstChoice, kSecondChoice, firstChecked ? kFirstChoice : kSecondChoice);
}

void recordProgressArea(win::HWND dialog) {
  win::HWND area = win::GetDlgItem(dialog, kProgressArea);
  win::RECT r{};
  if (!area || !win::GetWindowRect(area, &r)) return;
  win::MapWindowPoints(nullptr, dialog, reinterpret_cast<win::POINT*>(&r), 2);
  Wizard().progress = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void initDialog(win::HWND dialog) {
  WizardState& w = Wizard();
  Run().wizard = dialog;
  WidenDialog(dialog);
  win::SendDlgItemMessage(dialog, kTitle, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(Screen().titleFont), 0);
  const std::pair<int, int> buttons[] = {{kBack, 47}, {kCancel, 48}, {kSelectAll, 49}, {kSelectNone, 50}};
  for (auto [id, n] : buttons) win::SetDlgItemText(dialog, id, message(n).c_str());
  char title[256] = {};
  win::GetWindowText(w.owner, title, sizeof title);
  win::SetWindowText(dialog, title);
  centreOnScreen(dialog);
  FillWizardPage();
  recordProgressArea(dialog);
  ShowDlgItem(kProgressArea, false);
}

void paint(win::HWND dialog) {
  const WizardState& w = Wizard();
  win::PAINTSTRUCT ps{};
  win::HDC dc = win::BeginPaint(dialog, &ps);
  if (!dc) return;
  if (w.bitmap) {
    win::HDC memory = win::CreateCompatibleDC(dc);
    win::HGDIOBJ old = win::SelectObject(memory, w.bitmap);
    win::BitBlt(dc, 12, 12, kWizardBitmapWidth, kWizardBitmapHeight, memory, 0, 0, win::SRCCOPY);
    win::SelectObject(memory, old);
    win::DeleteDC(memory);
  }
  if (Progress().shown) PaintProgressBar(dc, w.progress, Progress(), w.dialogLibrary);
  win::EndPaint(dialog, &ps);
}

void command(win::HWND dialog, int id) {
  WizardState& w = Wizard();
  switch (id) {
    case kNext:
      if (w.page == kPerformPage) {
        w.finish = true;
        return;
      }
      ReadPageSelection(dialog);
      StepWizardPage(true);
      FillWizardPage();
      return;
    case kBack:
      ReadPageSelection(dialog);
      StepWizardPage(false);
      FillWizardPage();
      return;
    case kCancel:
      if (win::MessageBox(dialog, message(59).c_str(), message(25).c_str(), win::MB_YESNO) == win::IDYES) {
        Run().cancel = true;
        win::EndDialog(dialog, 0);
      }
      return;
    case kSelectAll:
    case kSelectNone:
      selectAll(dialog, id == kSelectAll);
      return;
    default:
      return;
  }
}

}  // namespace

void ShowDlgItem(int id, bool on) {
  win::HWND control = win::GetDlgItem(Run().wizard, id);
  if (!control) return;
  win::EnableWindow(control, on ? win::TRUE : win::FALSE);
  win::ShowWindow(control, on ? win::SW_SHOW : win::SW_HIDE);
}

void ReadPageSelection(win::HWND dialog) {
  WizardState& w = Wizard();
  if (w.page == kMethodPage) {
    Run().uninstallMode = win::IsDlgButtonChecked(dialog, kFirstChoice) ? kAutomaticMode : kCustomMode;
  } else if (w.page == kRollbackPage) {
    if (w.rollback) *w.rollback = win::IsDlgButtonChecked(dialog, kFirstChoice) != 0;
  } else if (IsListPage(w.page) && w.log) {
    const std::vector<std::uint32_t*> selections = PageSelections(w.page, *w.log);
    for (int i = 0; i < w.itemCount && i < static_cast<int>(selections.size()); ++i)
      *selections[i] = win::SendDlgItemMessage(dialog, kList, win::LB_GETSEL, static_cast<win::WPARAM>(i), 0) > 0;
  }
}

void FillWizardPage() {
  WizardState& w = Wizard();
  const PageTexts texts = TextsOfPage(w.page);
  setText(kNext, message(w.page == kPerformPage ? 63 : 46));
  if (w.page == kMethodPage) {
    showChoicePage(texts, Run().uninstallMode != kCustomMode, false);
  } else if (w.page == kRollbackPage) {
    showChoicePage(texts, w.rollback && *w.rollback, true);
  } else if (w.page == kPerformPage) {
    for (int id : {kList, kSelectAll, kSelectNone, kFirstChoice, kSecondChoice}) ShowDlgItem(id, false);
    ShowDlgItem(kSecondText, true);
    // An automatic run shows only the progress: Next and Back stay hidden.
    ShowDlgItem(kBack, !Run().automatic);
    if (Run().automatic) ShowDlgItem(kNext, false);
  } else {
    for (int id : {kList, kSelectAll, kSelectNone}) ShowDlgItem(id, true);
    for (int id : {kFirstChoice, kSecondChoice, kSecondText}) ShowDlgItem(id, false);
    ShowDlgItem(kBack, true);
  }
  const std::string title = w.log ? w.log->title : std::string();
  setText(kTitle, message(texts.title));
  setText(kPageText, texts.textWithTitle ? FormatMessage1(message(texts.text), title) : message(texts.text));
  setText(kSecondText, texts.second ? message(texts.second) : std::string());
  if (IsListPage(w.page) && w.log) fillList(PageLines(w.page, *w.log), PageSelections(w.page, *w.log));
  win::SetFocus(win::GetDlgItem(Run().wizard, kNext));
}

win::INT_PTR ItemDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM) {
  switch (message) {
    case win::WM_INITDIALOG:
      initDialog(dialog);
      return win::FALSE;  // the focus is on button 1
    case win::WM_COMMAND:
      command(dialog, win::LOWORD(wParam));
      return win::TRUE;
    case win::WM_PAINT:
      paint(dialog);
      return win::TRUE;
    default:
      return win::FALSE;
  }
}

}  // namespace remvex
