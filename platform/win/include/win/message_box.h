// Message boxes and beeps of the emulated machine. A message box shows nothing:
// its answer comes from the answers file (key "caption") or is its default
// button; every call, its texts, style and answer go to the transcript.
#pragma once

#include "win/types.h"

namespace win {

// Buttons.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
// Icons.
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
// Default button.
inline constexpr UINT MB_DEFBUTTON1 = 0x00000000;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFBUTTON3 = 0x00000200;
inline constexpr UINT MB_DEFMASK = 0x00000F00;
// Modality and placement.
inline constexpr UINT MB_APPLMODAL = 0x00000000;
inline constexpr UINT MB_SYSTEMMODAL = 0x00001000;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr UINT MB_TOPMOST = 0x00040000;

// Answers as the button pressed (IDOK ... IDNO of win/dialog.h); 0 for a bad style
// (ERROR_INVALID_PARAMETER). A null caption is "Error".
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Recorded in the transcript only.
BOOL MessageBeep(UINT type);
BOOL Beep(DWORD frequency, DWORD duration);

}  // namespace win
