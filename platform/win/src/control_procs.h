// The window procedures of the built-in control classes and the small steps
// they share (fonts, quiet repaints, notifications to the parent).
#pragma once

#include <memory>
#include <optional>

#include "controls.h"

namespace win {

LRESULT buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT scrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT listBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Marks the control for repainting without a transcript line (owner-drawn content changed).
void repaintQuietly(HWND hwnd);
// Sends WM_COMMAND(id, code) from the control to its parent.
void notifyParent(Window& w, WORD code);
// The state of a built-in control window as T (null when it is not one).
template <typename T>
T* stateOf(Window& w) {
  return dynamic_cast<T*>(w.control.get());
}

// The control's state for its procedure, made at WM_NCCREATE (null before: DefWindowProc answers).
template <typename T, typename... Args>
T* controlState(Window& w, UINT message, Args... args) {
  if (message == WM_NCCREATE) w.control = std::make_unique<T>(args...);
  return stateOf<T>(w);
}

// What every built-in control does with WM_SETFONT, WM_GETFONT and WM_PAINT (owner-drawn lists
// and combo boxes send WM_DRAWITEM); true when the message was one of them.
bool handleCommonMessage(Window& w, UINT message, WPARAM wParam, LRESULT* result);

// A control's window procedure: its state made at WM_NCCREATE, then handle(window, state, message,
// wParam, lParam) for the class's own messages (nullopt: not one of them), then the common ones,
// then DefWindowProc.
template <typename T, typename Handler, typename... Args>
LRESULT runControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Handler handle, Args... args) {
  auto w = windowState().find(hwnd);
  if (!w) return 0;
  T* s = controlState<T>(*w, message, args...);
  if (!s) return DefWindowProc(hwnd, message, wParam, lParam);
  if (std::optional<LRESULT> r = handle(*w, *s, message, wParam, lParam)) return *r;
  LRESULT result = 0;
  if (handleCommonMessage(*w, message, wParam, &result)) return result;
  return DefWindowProc(hwnd, message, wParam, lParam);
}

// A button's kind (BS_TYPEMASK of its style) and what it is.
inline DWORD buttonType(const Window& w) { return w.style & BS_TYPEMASK; }
bool isCheckBox(const Window& w);
bool isRadioButton(const Window& w);
// Checks one radio button and clears the automatic radio buttons of its group.
void checkRadioInGroup(Window& w);

}  // namespace win
