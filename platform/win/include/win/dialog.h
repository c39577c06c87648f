// Dialog boxes of the emulated machine: modal and modeless dialogs made from a
// module's DIALOG resource or from template bytes in memory, the dialog manager's
// calls, and the fixed dialog base units. Modal dialogs are answered from the
// answers file (win/answers.h); nothing is shown.
#pragma once

#include "win/controls.h"
#include "win/types.h"
#include "win/window.h"

namespace win {

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Dialog styles.
inline constexpr DWORD DS_ABSALIGN = 0x0001;
inline constexpr DWORD DS_SYSMODAL = 0x0002;
inline constexpr DWORD DS_LOCALEDIT = 0x0020;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_NOIDLEMSG = 0x0100;
inline constexpr DWORD DS_SETFOREGROUND = 0x0200;
inline constexpr DWORD DS_3DLOOK = 0x0004;
inline constexpr DWORD DS_FIXEDSYS = 0x0008;
inline constexpr DWORD DS_NOFAILCREATE = 0x0010;
inline constexpr DWORD DS_CONTROL = 0x0400;
inline constexpr DWORD DS_CENTER = 0x0800;

// Standard command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Dialog window data (GetWindowLongPtr).
inline constexpr int DWLP_MSGRESULT = 0;
inline constexpr int DWLP_DLGPROC = DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT));
inline constexpr int DWLP_USER = DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC));

inline constexpr UINT DM_GETDEFID = 0x0400;
inline constexpr UINT DM_SETDEFID = 0x0401;
inline constexpr WORD DC_HASDEFID = 0x534B;

// Runs a modal dialog from the module's DIALOG resource; returns EndDialog's result, or -1
// (ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_INVALID_DATA for a template that does not parse...).
INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// Runs a modal dialog from template bytes in memory. Unlike Windows the caller gives the
// template's size: the parser never reads past templateSize bytes.
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, DWORD templateSize, HWND owner,
                               DLGPROC proc, LPARAM param);
// Makes a modeless dialog (shown when its template has WS_VISIBLE); null with the last error.
HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
HWND CreateDialogIndirectParam(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, DWORD templateSize, HWND owner,
                               DLGPROC proc, LPARAM param);
// Ends a modal dialog with result (a modeless one is only hidden).
BOOL EndDialog(HWND dialog, INT_PTR result);
// Dispatches msg when it is for dialog or one of its controls and returns TRUE; FALSE otherwise.
BOOL IsDialogMessage(HWND dialog, MSG* msg);
// The dialog manager's default handling (for dialogs of a class of their own).
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);

// Dialog units of the dialog's font to pixels: x * baseX / 4, y * baseY / 8.
BOOL MapDialogRect(HWND dialog, RECT* rect);
// The system font's base units: 8 in the low word, 16 in the high word.
LONG GetDialogBaseUnits();

}  // namespace win
