// The Open and Save As dialogs. Nothing is shown: the answers file's "open <path>",
// "save <path>" or "cancel" line gives the answer; the choice goes to the transcript.
#pragma once

#include "win/types.h"

namespace win {

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_NOVALIDATE = 0x00000100;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
inline constexpr DWORD OFN_LONGNAMES = 0x00200000;

// CommDlgExtendedError's values.
inline constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// TRUE with the chosen path in lpstrFile (nFileOffset, nFileExtension and lpstrFileTitle set);
// FALSE for cancel (CommDlgExtendedError 0) or an error (its code).
BOOL GetOpenFileName(OPENFILENAMEA* ofn);
BOOL GetSaveFileName(OPENFILENAMEA* ofn);
// The calling thread's last file dialog error (0 after a success or a cancel).
DWORD CommDlgExtendedError();

}  // namespace win
