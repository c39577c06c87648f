// Windows of the emulated machine: classes, creation and destruction, styles,
// show state, texts, rectangles, parents and owners, child enumeration, focus,
// invalidation, FindWindow and the system menu. Headless: one window table per
// process, windows belong to the thread that made them.
#pragma once

#include "win/message.h"
#include "win/show_commands.h"
#include "win/types.h"

namespace win {

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr DWORD WS_POPUPWINDOW = 0x80880000;

inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);


// SetWindowPos.
inline HWND const HWND_TOP = handleFromValue<HWND>(0);
inline HWND const HWND_BOTTOM = handleFromValue<HWND>(1);
inline HWND const HWND_TOPMOST = handleFromValue<HWND>(static_cast<std::uintptr_t>(-1));
inline HWND const HWND_NOTOPMOST = handleFromValue<HWND>(static_cast<std::uintptr_t>(-2));
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOOWNERZORDER = 0x0200;

// GetWindow.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;

// GetWindowLong indexes (dialogs add DWLP_* in win/dialog.h; non-negative ones are the class's extra bytes).
inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_HINSTANCE = -6;
inline constexpr int GWLP_HWNDPARENT = -8;
inline constexpr int GWL_ID = -12;
inline constexpr int GWLP_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_USERDATA = -21;
inline constexpr int GWLP_USERDATA = -21;

// System menu commands and menu item flags.
inline constexpr UINT SC_SIZE = 0xF000;
inline constexpr UINT SC_MOVE = 0xF010;
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_RESTORE = 0xF120;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_BYPOSITION = 0x0400;

// System cursors (LoadCursor with no instance); their handles are these numbers.
inline LPCSTR const IDC_ARROW = MAKEINTRESOURCE(32512);
inline LPCSTR const IDC_IBEAM = MAKEINTRESOURCE(32513);
inline LPCSTR const IDC_WAIT = MAKEINTRESOURCE(32514);

// System icons (LoadIcon with no instance); their handles are these numbers.
inline LPCSTR const IDI_APPLICATION = MAKEINTRESOURCE(32512);
inline LPCSTR const IDI_HAND = MAKEINTRESOURCE(32513);
inline LPCSTR const IDI_QUESTION = MAKEINTRESOURCE(32514);
inline LPCSTR const IDI_EXCLAMATION = MAKEINTRESOURCE(32515);
inline LPCSTR const IDI_ASTERISK = MAKEINTRESOURCE(32516);

// WM_SETICON / WM_GETICON.
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;

// Registers a class for this process; 0 with ERROR_CLASS_ALREADY_EXISTS or ERROR_INVALID_PARAMETER.
ATOM RegisterClass(const WNDCLASSA* wc);
ATOM RegisterClassEx(const WNDCLASSEXA* wc);
// Removes a class that no window uses.
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
// Makes a window (WM_NCCREATE, WM_CREATE, then shown when WS_VISIBLE); null with the last error.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                         HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
// Destroys a window, its owned windows and its children (WM_DESTROY, WM_NCDESTROY).
BOOL DestroyWindow(HWND hwnd);
// The default handling of a message.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls proc with the message (as SendMessage would for a subclassed window).
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Shows or hides; returns TRUE when the window was visible before.
BOOL ShowWindow(HWND hwnd, int command);
// Enables or disables input; returns TRUE when the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
// TRUE when the window and all its parents have WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);

BOOL SetWindowText(HWND hwnd, LPCSTR text);
// Copies at most size - 1 characters and a NUL; returns the characters copied.
int GetWindowText(HWND hwnd, LPSTR buffer, int size);
int GetWindowTextLength(HWND hwnd);

// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// The client area: (0, 0, width, height).
BOOL GetClientRect(HWND hwnd, RECT* rect);
// Moves and sizes (the rectangle in the parent's client coordinates for a child, else the screen's).
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ScreenToClient(HWND hwnd, POINT* point);
BOOL ClientToScreen(HWND hwnd, POINT* point);
// Converts count points from one window's client coordinates to another's (null: the screen);
// returns the horizontal shift in the low word and the vertical in the high word.
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

// The parent of a child, the owner of a popup.
HWND GetParent(HWND hwnd);
HWND GetWindow(HWND hwnd, UINT command);
HWND GetDesktopWindow();
// Calls proc for every descendant of parent, depth first in z-order, until it returns FALSE.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
// A direct child by its id.
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);

// Focus of the calling thread.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);
BOOL SetForegroundWindow(HWND hwnd);

LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);

// Adds rect (client coordinates; null: the whole client area) to the part to repaint.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Sends WM_PAINT at once when part of the window needs repainting.
BOOL UpdateWindow(HWND hwnd);

// A top-level window by class and title (null: any): this process's own windows first, then
// the other programs' windows named in machine.ini's [windows] section.
HWND FindWindow(LPCSTR className, LPCSTR windowName);

// The window's system menu (revert TRUE: restored to the standard items, null returned).
HMENU GetSystemMenu(HWND hwnd, BOOL revert);
// Greys or enables an item; returns its previous MF_ state, or -1 when there is no such item.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);

// System cursors only (instance null); the cursor is kept, never drawn.
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);

// System icons only (instance null, one of the IDI_ numbers); the handle is the number, which
// DrawIcon traces.
HICON LoadIcon(HINSTANCE instance, LPCSTR name);

}  // namespace win
