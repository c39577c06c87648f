// The Windows types the emulated machine's calls speak: integer widths as on
// 32-bit Windows, pointer-sized message parameters, distinct handle types, and
// the records whose layout callers and files rely on (sizes asserted).
#pragma once

#include <cstddef>
#include <cstdint>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using CHAR = char;
using BOOL = std::int32_t;
using BOOLEAN = std::uint8_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = WORD;
using COLORREF = DWORD;
using LCID = DWORD;

using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using PLONG = LONG*;
using LPBOOL = BOOL*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr DWORD MAX_PATH = 260;  // characters of a path, its terminating NUL included
inline constexpr DWORD INFINITE = 0xFFFFFFFF;

// Kernel objects (files, processes...) share one untyped handle.
using HANDLE = void*;
using PHANDLE = HANDLE*;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Every other handle is a distinct pointer type, so one kind cannot be passed as another.
#define IDS_WIN_HANDLE(name) \
  struct name##__ {          \
    int unused;              \
  };                         \
  using name = name##__*

IDS_WIN_HANDLE(HWND);
IDS_WIN_HANDLE(HINSTANCE);
IDS_WIN_HANDLE(HKEY);
IDS_WIN_HANDLE(HDC);
IDS_WIN_HANDLE(HFONT);
IDS_WIN_HANDLE(HBITMAP);
IDS_WIN_HANDLE(HBRUSH);
IDS_WIN_HANDLE(HPEN);
IDS_WIN_HANDLE(HPALETTE);
IDS_WIN_HANDLE(HRGN);
IDS_WIN_HANDLE(HICON);
IDS_WIN_HANDLE(HMENU);
IDS_WIN_HANDLE(HMETAFILE);
IDS_WIN_HANDLE(HRSRC);
IDS_WIN_HANDLE(HSZ);
IDS_WIN_HANDLE(HCONV);
IDS_WIN_HANDLE(HDDEDATA);
IDS_WIN_HANDLE(SC_HANDLE);
#undef IDS_WIN_HANDLE

using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using PHKEY = HKEY*;
// As on Windows, any drawing object converts to HGDIOBJ (SelectObject, DeleteObject).
using HGDIOBJ = void*;
// Global memory blocks are plain memory.
using HGLOBAL = void*;
using HLOCAL = void*;

// The handle of a kind from its deterministic number, and back.
template <typename H>
H handleFromValue(std::uintptr_t value) {
  return reinterpret_cast<H>(value);
}
template <typename H>
std::uintptr_t handleValue(H handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// Resources and classes named by a number instead of a text (MAKEINTRESOURCE, MAKEINTATOM).
inline LPCSTR MAKEINTRESOURCE(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

struct POINT {
  LONG x;
  LONG y;
};
static_assert(sizeof(POINT) == 8);

struct SIZE {
  LONG cx;
  LONG cy;
};
static_assert(sizeof(SIZE) == 8);

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
static_assert(sizeof(RECT) == 16);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// 100-ns intervals since 1601-01-01 UTC, in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
static_assert(sizeof(FILETIME) == 8);

// A 64-bit unsigned value in two halves, as the disk-space calls pass it.
union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  };
  ULONGLONG QuadPart;
};
static_assert(sizeof(ULARGE_INTEGER) == 8);
using PULARGE_INTEGER = ULARGE_INTEGER*;

// Security of a new kernel object; the machine keeps no security and ignores it.
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16);

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(LOGFONTA, lfItalic) == 20 && offsetof(LOGFONTA, lfFaceName) == 28);

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14 && offsetof(BITMAPINFOHEADER, biClrUsed) == 32);

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
static_assert(sizeof(BITMAPINFO) == 44);

// Dialog templates are byte streams: WORD-aligned, packed.
#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
};
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
  WORD id;
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18 && offsetof(DLGTEMPLATE, cdit) == 8);
static_assert(sizeof(DLGITEMTEMPLATE) == 18 && offsetof(DLGITEMTEMPLATE, id) == 16);

}  // namespace win
