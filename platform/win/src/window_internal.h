// The window layer's internal steps shared by windows, messages, dialogs,
// controls and painting: frame sizes, coordinates, creation, showing, moving.
#pragma once

#include <memory>
#include <string>

#include "window_state.h"

namespace win::detail {

// Pixels the frame, caption and edges take on each side of the client area.
struct Insets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
Insets frameInsets(DWORD style, DWORD exStyle);

// (0, 0, client width, client height).
RECT clientRectOf(const Window& window);
// Screen coordinates of the client area's top left corner.
POINT clientOriginOnScreen(const Window& window);
// The window rectangle in screen coordinates.
RECT screenRectOf(const Window& window);

struct CreateParams {
  DWORD exStyle = 0;
  LPCSTR className = nullptr;  // a name or MAKEINTRESOURCE(atom)
  std::string text;
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  LPVOID param = nullptr;
  bool trace = true;    // a program's own CreateWindowEx (controls of a template are not traced)
  bool showNow = true;  // show at once when WS_VISIBLE (a dialog shows after WM_INITDIALOG)
};
// Makes a window; null with the last error.
HWND createWindow(const CreateParams& params);

// Shows or hides; returns whether it was visible. trace: a program's own call.
bool showWindow(HWND hwnd, int command, bool trace);
// True when the window and all its parents are visible.
bool isVisible(HWND hwnd);
// Moves a window (rect in its parent's client coordinates, or the screen's).
void setWindowRect(Window& window, const RECT& rect, bool repaint, bool trace);
// Marks the whole window and its visible descendants for repainting.
void invalidateTree(HWND hwnd, bool erase);
// Clears the update region without painting.
void validateSilently(HWND hwnd);
// The window's top-level ancestor (itself for a top-level window).
HWND topLevelOf(HWND hwnd);
// Descendants of parent in depth-first z-order.
std::vector<HWND> descendantsOf(HWND parent);

// a * b / c rounded half away from zero (MulDiv), for dialog units.
int mulDiv(int a, int b, int c);

// Calls the window's procedure on the calling thread (no thread check).
LRESULT callProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win::detail
