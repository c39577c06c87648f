// The "Button" class: push buttons, check boxes, radio buttons and group boxes,
// their check state and BM_CLICK (automatic kinds toggle, then BN_CLICKED).
#include <algorithm>

#include "control_procs.h"
#include "window_internal.h"

namespace win {

bool isCheckBox(const Window& w) {
  DWORD t = buttonType(w);
  return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}

bool isRadioButton(const Window& w) {
  DWORD t = buttonType(w);
  return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}

void checkRadioInGroup(Window& w) {
  auto& state = windowState();
  std::vector<HWND> siblings;
  {
    std::lock_guard lock(state.mutex);
    if (auto parent = state.find(w.parent)) siblings = parent->children;
  }
  // The group runs from the nearest WS_GROUP control at or before w to the next one after it.
  auto at = std::find(siblings.begin(), siblings.end(), w.hwnd);
  if (at == siblings.end()) return;
  auto begin = at;
  while (begin != siblings.begin()) {
    auto c = state.find(*begin);
    if (c && (c->style & WS_GROUP)) break;
    --begin;
  }
  auto end = at + 1;
  while (end != siblings.end()) {
    auto c = state.find(*end);
    if (c && (c->style & WS_GROUP)) break;
    ++end;
  }
  for (auto it = begin; it != end; ++it) {
    auto c = state.find(*it);
    auto* b = c ? stateOf<ButtonState>(*c) : nullptr;
    if (!b) continue;
    if (*it == w.hwnd)
      b->check = BST_CHECKED;
    else if (buttonType(*c) == BS_AUTORADIOBUTTON)
      b->check = BST_UNCHECKED;
  }
}

namespace {

void click(Window& w, ButtonState& s) {
  DWORD t = buttonType(w);
  if (t == BS_AUTOCHECKBOX)
    s.check = s.check ? BST_UNCHECKED : BST_CHECKED;
  else if (t == BS_AUTO3STATE)
    s.check = (s.check + 1) % 3;
  else if (t == BS_AUTORADIOBUTTON)
    checkRadioInGroup(w);
  notifyParent(w, BN_CLICKED);
}

UINT checkValue(const Window& w, WPARAM value) {
  DWORD t = buttonType(w);
  if (t == BS_3STATE || t == BS_AUTO3STATE) return value > BST_INDETERMINATE ? BST_CHECKED : static_cast<UINT>(value);
  return value ? BST_CHECKED : BST_UNCHECKED;
}

std::optional<LRESULT> buttonMessage(Window& w, ButtonState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = w.hwnd;
  switch (message) {
    case BM_GETCHECK:
      return isCheckBox(w) || isRadioButton(w) ? s.check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (isCheckBox(w) || isRadioButton(w)) s.check = checkValue(w, wParam);
      return 0;
    case BM_GETSTATE:
      return s.check | (s.pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
      s.pushed = wParam != 0;
      return 0;
    case BM_SETSTYLE:
      w.style = (w.style & 0xFFFF0000u) | static_cast<DWORD>(wParam & 0xFFFF);
      return 0;
    case BM_CLICK:
      click(w, s);
      return 0;
    case BM_SETIMAGE: {
      HANDLE old = s.image;
      s.image = reinterpret_cast<HANDLE>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
      return reinterpret_cast<LRESULT>(s.image);
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<ButtonState>(hwnd, message, wParam, lParam, buttonMessage);
}

}  // namespace win
