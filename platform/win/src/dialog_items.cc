// The dialog manager's calls on controls by id, and dialog units.
#include <charconv>
#include <string>

#include "dialog_state.h"
#include "win/error.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (buffer && size > 0) buffer[0] = 0;
    return 0;
  }
  return static_cast<UINT>(GetWindowText(control, buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  char buffer[64];
  if (!GetDlgItemText(dialog, id, buffer, sizeof buffer)) return 0;
  std::string_view text(buffer);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;
  if (isSigned ? (value < INT32_MIN || value > INT32_MAX) : (value < 0 || value > UINT32_MAX)) return 0;
  if (translated) *translated = TRUE;
  return static_cast<UINT>(value);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessage(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessage(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessage(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  if (!windowOf(dialog)) return FALSE;
  for (int id = firstId; id <= lastId; ++id)
    if (HWND control = GetDlgItem(dialog, id))
      SendMessage(control, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  auto w = windowOf(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d || !rect) return FALSE;
  rect->left = detail::mulDiv(rect->left, d->baseX, 4);
  rect->right = detail::mulDiv(rect->right, d->baseX, 4);
  rect->top = detail::mulDiv(rect->top, d->baseY, 8);
  rect->bottom = detail::mulDiv(rect->bottom, d->baseY, 8);
  return TRUE;
}

LONG GetDialogBaseUnits() { return MAKELONG(kSystemBaseUnitX, kSystemBaseUnitY); }

}  // namespace win
