// SetupDialogLook, WidenChildProc, PlaceDialog and the common dialog font.
#include "ui/dialog_look.h"

#include "script/script_header.h"
#include "text/copy_text.h"
#include "ui/message_box_dlg.h"
#include "ui/pump.h"
#include "win/message.h"
#include "win/system.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr DWORD kFontOptionShift = 9;
constexpr DWORD kFontOptionMask = 3;
constexpr int kPointsPerInch = 72;

// Both edges grow by a sixth of themselves (truncating toward zero).
win::LONG widened(win::LONG x) { return x + x / 6; }

// The common font from the dialog's own; null when the dialog has none.
win::HFONT makeCommonFont(HWND dialog) {
  auto own = reinterpret_cast<win::HGDIOBJ>(win::SendMessage(dialog, win::WM_GETFONT, 0, 0));
  win::LOGFONTA font{};
  if (!own || win::GetObject(own, sizeof font, &font) == 0) return nullptr;
  const DialogFontSettings& settings = run().state<DialogFontSettings>();
  font.lfWeight = settings.light ? kLightWeight : kBoldWeight;
  font.lfCharSet = settings.charSet;
  if (settings.charSet != 0) {
    win::HDC dc = win::GetDC(dialog);
    font.lfHeight = -win::MulDiv(settings.pointSize, win::GetDeviceCaps(dc, win::LOGPIXELSY), kPointsPerInch);
    win::ReleaseDC(dialog, dc);
    copyText(font.lfFaceName, sizeof font.lfFaceName, settings.face);
  }
  return win::CreateFontIndirect(&font);
}

int screenWidth() { return run().setup() ? static_cast<int>(run().setup()->screenWidth) : 0; }
int screenHeight() { return run().setup() ? static_cast<int>(run().setup()->screenHeight) : 0; }

}  // namespace

bool LightDialogFont(DWORD optionWord, bool majorAbove3) {
  DWORD style = (optionWord >> kFontOptionShift) & kFontOptionMask;
  return style == 2 || (style == 1 && majorAbove3);
}

void SetupDialogLook(HWND dialog) {
  win::RECT r{};
  win::GetWindowRect(dialog, &r);
  r.left = widened(r.left);
  r.right = widened(r.right);
  win::MoveWindow(dialog, r.left, r.top, r.right - r.left, r.bottom - r.top, win::FALSE);
  Ctl3dSubclassDialog(dialog);
  DialogLook& look = run().state<DialogLook>();
  if (!look.commonFont) look.commonFont = makeCommonFont(dialog);
  if (look.commonFont) win::EnumChildWindows(dialog, WidenChildProc, reinterpret_cast<win::LPARAM>(dialog));
}

win::BOOL WidenChildProc(HWND child, win::LPARAM dialogValue) {
  auto dialog = reinterpret_cast<HWND>(dialogValue);
  HWND parent = win::GetParent(child);
  win::RECT r{};
  win::GetWindowRect(child, &r);
  win::MapWindowPoints(nullptr, parent, reinterpret_cast<win::POINT*>(&r), 2);
  r.left = widened(r.left);
  r.right = widened(r.right);
  if (parent == dialog) win::MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, win::FALSE);
  win::SendMessage(child, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(run().state<DialogLook>().commonFont),
                   win::FALSE);
  return win::TRUE;
}

void PlaceDialog(HWND dialog, BYTE mode) {
  win::RECT r{};
  win::GetWindowRect(dialog, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int width = screenWidth(), height = screenHeight();
  const ScriptHeader& header = scriptHeader();
  int x, y;
  if ((mode != kPlaceCentred && header.placementMode) || mode == kPlaceByCode) {
    int code = header.dialogPosition & kDialogPositionMask;
    int column = code % 3, row = code / 3;
    x = (column + 1) * width / 4 - w / 2;
    y = (row + 1) * height / 4 - h / 2;
    if (x + w > width) x = width - w;
    if (y + h > height) y = height - h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
  } else {
    x = (width - w) / 2;
    y = (height - h) / 2;
  }
  win::MoveWindow(dialog, x, y, w, h, win::FALSE);
}

void DeleteDialogFont() {
  DialogLook& look = run().state<DialogLook>();
  if (look.commonFont) win::DeleteObject(look.commonFont);
  look.commonFont = nullptr;
}

}  // namespace merl
