// MessageBoxDlg: captions and buttons by the flags, the message font, the text
// measured and the box grown around it, the buttons spread below it.
#include "ui/message_box_dlg.h"

#include <algorithm>
#include <vector>

#include "ui/dialog_look.h"
#include "ui/message_dlg.h"
#include "ui/pump.h"
#include "win/controls.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

void setCaption(HWND dialog, int id, int message) {
  if (const char* text = scriptMessage(message)) win::SetDlgItemText(dialog, id, text);
}

// Captions and visibility of the buttons; the shown ones in the order 1, 3, 2.
std::vector<int> setButtons(HWND dialog, BYTE flags) {
  bool alternative = flags & kMsgAlternative;
  std::vector<int> shown{kAnswerFirst};
  if (flags & kMsgTwoChoices) {
    setCaption(dialog, kAnswerFirst, alternative ? 38 : 35);
    setCaption(dialog, kAnswerSecond, alternative ? 39 : 36);
    shown.push_back(kAnswerSecond);
  } else {
    if (scriptMessage(27)) setCaption(dialog, kAnswerFirst, 27);
    else win::SetDlgItemText(dialog, kAnswerFirst, "OK");
    win::ShowWindow(win::GetDlgItem(dialog, kAnswerSecond), win::SW_HIDE);
  }
  if (flags & kMsgNoCancel) {
    win::ShowWindow(win::GetDlgItem(dialog, kAnswerCancel), win::SW_HIDE);
  } else {
    setCaption(dialog, kAnswerCancel, alternative ? 40 : 28);
    shown.push_back(kAnswerCancel);
  }
  return shown;
}

// The system icon of the flags; null for none.
win::LPCSTR iconName(BYTE flags) {
  switch (flags & kMsgIconMask) {
    case kMsgIconInformation: return win::IDI_ASTERISK;
    case kMsgIconExclamation: return win::IDI_EXCLAMATION;
    case kMsgIconQuestion: return win::IDI_QUESTION;
    case kMsgIconStop: return win::IDI_HAND;
    default: return nullptr;
  }
}

bool hasIcon(BYTE flags) { return iconName(flags) != nullptr; }

void paintIcon(HWND dialog) {
  win::PAINTSTRUCT paint;
  win::HDC dc = win::BeginPaint(dialog, &paint);
  const MessageBoxCall& call = run().state<MessageBoxCall>();
  if (dc && call.icon) win::DrawIcon(dc, kIconX, kIconY, call.icon);
  win::EndPaint(dialog, &paint);
}

win::HFONT makeMessageFont(HWND dialog) {
  const DialogFontSettings& settings = run().state<DialogFontSettings>();
  win::LOGFONTA font{};
  auto dialogFont = reinterpret_cast<win::HGDIOBJ>(win::SendMessage(dialog, win::WM_GETFONT, 0, 0));
  if (dialogFont) win::GetObject(dialogFont, sizeof font, &font);
  win::HDC dc = win::GetDC(dialog);
  font.lfHeight = -(settings.pointSize * win::GetDeviceCaps(dc, win::LOGPIXELSY) / 72);
  win::ReleaseDC(dialog, dc);
  font.lfWeight = settings.light ? 300 : 700;
  font.lfCharSet = settings.charSet;
  std::size_t n = std::min(settings.face.size(), sizeof font.lfFaceName - 1);
  std::copy_n(settings.face.data(), n, font.lfFaceName);
  font.lfFaceName[n] = 0;
  return win::CreateFontIndirect(&font);
}

void moveBy(HWND control, const win::RECT& r, int dx, int dy, int width, int height) {
  win::MoveWindow(control, r.left + dx, r.top + dy, width, height, win::TRUE);
}

void layOut(HWND dialog, const MessageBoxCall& call, const std::vector<int>& shown) {
  HWND text = win::GetDlgItem(dialog, kMessageTextId);
  win::RECT textRect, buttonRect;
  GetChildRect(dialog, kMessageTextId, &textRect);
  GetChildRect(dialog, kAnswerFirst, &buttonRect);
  int width = textRect.right - textRect.left, height = textRect.bottom - textRect.top;
  int buttonWidth = buttonRect.right - buttonRect.left;
  int b = static_cast<int>(shown.size());

  win::RECT measured{0, 0, width, 0};
  win::HDC dc = win::GetDC(text);
  win::HGDIOBJ old = win::SelectObject(dc, call.font);
  win::DrawText(dc, call.text.c_str(), -1, &measured,
                win::DT_CALCRECT | win::DT_WORDBREAK | win::DT_EXPANDTABS | win::DT_NOPREFIX);
  win::SelectObject(dc, old);
  win::ReleaseDC(text, dc);
  int textWidth = std::max<int>(measured.right - measured.left, buttonWidth * b + buttonWidth / 2);
  int extraWidth = std::max(0, textWidth - width);
  int extraHeight = std::max(0, static_cast<int>(measured.bottom - measured.top) - height);
  int shift = hasIcon(call.flags) ? kIconShift : 0;

  moveBy(text, textRect, shift, 0, width + extraWidth, height + extraHeight);
  win::RECT frame;
  win::GetWindowRect(dialog, &frame);
  win::MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left + extraWidth + shift,
                  frame.bottom - frame.top + extraHeight, win::TRUE);

  win::RECT client;
  win::GetClientRect(dialog, &client);
  int part = (client.right - client.left) / (b + 1);
  for (int k = 1; k <= b; ++k) {
    int id = shown[k - 1];
    win::RECT r;
    GetChildRect(dialog, id, &r);
    int centre = k * part;
    if (b == 3 && k == 1) centre -= kOuterButtonShift;
    if (b == 3 && k == 3) centre += kOuterButtonShift;
    HWND button = win::GetDlgItem(dialog, id);
    win::MoveWindow(button, centre - buttonWidth / 2, r.top + extraHeight, buttonWidth, r.bottom - r.top, win::TRUE);
    win::SendMessage(button, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(call.font), win::TRUE);
  }
  win::SendMessage(text, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(call.font), win::TRUE);
}

void initDialog(HWND dialog) {
  MessageBoxCall& call = run().state<MessageBoxCall>();
  Ctl3dSubclassDialog(dialog);
  std::vector<int> shown = setButtons(dialog, call.flags);
  win::LPCSTR icon = iconName(call.flags);
  call.icon = icon ? win::LoadIcon(nullptr, icon) : nullptr;
  win::SetWindowText(dialog, call.title.c_str());
  win::SetDlgItemText(dialog, kMessageTextId, call.text.c_str());
  call.font = makeMessageFont(dialog);
  layOut(dialog, call, shown);
  bool noClose = call.flags & (kMsgNoClose | kMsgAlternative);
  win::EnableMenuItem(win::GetSystemMenu(dialog, win::FALSE), win::SC_CLOSE,
                      win::MF_BYCOMMAND | (noClose ? win::MF_GRAYED : win::MF_ENABLED));
  PlaceDialog(dialog, kPlaceByHeader);
}

}  // namespace

}  // namespace merl

extern "C" win::INT_PTR MessageBoxDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM) {
  using namespace merl;
  switch (message) {
    case win::WM_INITDIALOG:
      initDialog(dialog);
      return win::TRUE;
    case win::WM_COMMAND:
      win::EndDialog(dialog, win::LOWORD(wParam));
      return win::TRUE;
    case win::WM_PAINT:
      paintIcon(dialog);
      return win::TRUE;
    case win::WM_DESTROY: {
      MessageBoxCall& call = run().state<MessageBoxCall>();
      if (call.font) win::DeleteObject(call.font);
      call.font = nullptr;
      call.icon = nullptr;
      return win::FALSE;
    }
    default:
      return win::FALSE;
  }
}
