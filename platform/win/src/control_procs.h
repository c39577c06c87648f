// The window procedures of the built-in control classes and the small steps
// they share (fonts, quiet repaints, notifications to the parent).
#pragma once

#include <memory>

#include "controls.h"

namespace win {

LRESULT buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT scrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT listBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// WM_SETFONT / WM_GETFONT for any control; true when the message was one of them.
bool handleFontMessage(Window& w, UINT message, WPARAM wParam, LRESULT* result);
// Marks the control for repainting without a transcript line (owner-drawn content changed).
void repaintQuietly(HWND hwnd);
// Sends WM_COMMAND(id, code) from the control to its parent.
void notifyParent(Window& w, WORD code);
// The state of a built-in control window as T (null when it is not one).
template <typename T>
T* stateOf(Window& w) {
  return dynamic_cast<T*>(w.control.get());
}

// A button's kind (BS_TYPEMASK of its style) and what it is.
inline DWORD buttonType(const Window& w) { return w.style & BS_TYPEMASK; }
bool isCheckBox(const Window& w);
bool isRadioButton(const Window& w);
// Checks one radio button and clears the automatic radio buttons of its group.
void checkRadioInGroup(Window& w);

}  // namespace win
