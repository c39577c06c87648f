// Messages, per-thread queues and timers of the emulated machine: SendMessage,
// PostMessage, GetMessage, PeekMessage, WaitMessage, SetTimer... Timers and waits
// run on the process's virtual clock; a wait that nothing can end exits with status 3.
#pragma once

#include "win/types.h"

namespace win {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

inline constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline constexpr LONG MAKELONG(WORD low, WORD high) {
  return static_cast<LONG>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// HWND_BROADCAST: SendMessage and PostMessage reach every top-level window.
inline HWND const HWND_BROADCAST = handleFromValue<HWND>(0xFFFF);

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETREDRAW = 0x000B;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_WININICHANGE = 0x001A;
inline constexpr UINT WM_SETTINGCHANGE = WM_WININICHANGE;
inline constexpr UINT WM_FONTCHANGE = 0x001D;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_MOUSEACTIVATE = 0x0021;
inline constexpr UINT WM_DRAWITEM = 0x002B;
inline constexpr UINT WM_MEASUREITEM = 0x002C;
inline constexpr UINT WM_DELETEITEM = 0x002D;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_COMPAREITEM = 0x0039;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_GETICON = 0x007F;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_NCACTIVATE = 0x0086;
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr UINT WM_CTLCOLORBTN = 0x0135;
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;
inline constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
inline constexpr UINT WM_PALETTEISCHANGING = 0x0310;
inline constexpr UINT WM_PALETTECHANGED = 0x0311;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// PeekMessage's options.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

// Calls the window's procedure on its own thread and returns its result (0 for a bad window).
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the window's thread (hwnd null: the calling thread's own queue).
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message with no window for a thread; FALSE (ERROR_INVALID_THREAD_ID) for an unknown one.
BOOL PostThreadMessage(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the calling thread's next empty-queue retrieval give WM_QUIT with exitCode.
void PostQuitMessage(int exitCode);
// Waits for the next message: 0 for WM_QUIT, -1 for a bad filter window, otherwise nonzero. With an
// empty queue the virtual clock moves to the thread's next timer; nothing to wait for ends the process.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Takes the next message if one is there. Finding none moves the virtual clock on by one 10 ms
// tick, or only to the thread's next timer when that falls due within the tick.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Returns when a message is there (GetMessage's waiting without taking it).
BOOL WaitMessage();
// Keyboard translation: no keyboard here, so FALSE.
BOOL TranslateMessage(const MSG* msg);
// Calls the message's window procedure (or its timer procedure) and returns the result.
LRESULT DispatchMessage(const MSG* msg);

// Starts or restarts timer id of hwnd (hwnd null: a new thread timer, its id returned). elapse
// below 10 ms is 10 ms. 0 on failure ([failures] settimer).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
// Stops a timer; FALSE when there is none.
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// The calling thread's id: 1, 2, 3 ... in the order threads first use the window layer.
DWORD GetCurrentThreadId();

}  // namespace win
