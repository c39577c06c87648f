// System facts of the emulated machine: version, metrics, memory and user
// from machine.ini; code-page text helpers (lead bytes, OEM <-> ANSI, case,
// one collation); date and time formats; MulDiv; global memory as plain memory.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace win {

// --- Version ---------------------------------------------------------------

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148 && offsetof(OSVERSIONINFOA, szCSDVersion) == 20);
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fills the record (its size must be set): on 9x and Win32s the build number's high word holds
// major and minor version, as there.
BOOL GetVersionEx(LPOSVERSIONINFOA lpVersionInformation);
// Major version in the low byte, minor in the next; the high word is the build on NT, and
// 0x8000 | (build & 0x7FFF) elsewhere.
DWORD GetVersion();

// --- Metrics, memory, user -------------------------------------------------

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXCURSOR = 13;
inline constexpr int SM_CYCURSOR = 14;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_DBCSENABLED = 42;

// The metric's value ([system] screen for the screen, fixed documented sizes for the rest);
// 0 for an index it does not know.
int GetSystemMetrics(int nIndex);

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  std::size_t dwTotalPhys;
  std::size_t dwAvailPhys;
  std::size_t dwTotalPageFile;
  std::size_t dwAvailPageFile;
  std::size_t dwTotalVirtual;
  std::size_t dwAvailVirtual;
};
using LPMEMORYSTATUS = MEMORYSTATUS*;

// [system] memory as physical memory, half of it free; a page file of twice it; 2 GiB of
// address space.
void GlobalMemoryStatus(LPMEMORYSTATUS lpBuffer);

// [system] user; *pcbBuffer is the size with the NUL (needed size and ERROR_INSUFFICIENT_BUFFER
// when short).
BOOL GetUserName(LPSTR lpBuffer, LPDWORD pcbBuffer);

// --- Code pages ------------------------------------------------------------

// [system] codepage; the OEM code page is 437 beside a single-byte page, the page itself beside
// a double-byte one (932, 936, 949, 950).
UINT GetACP();
UINT GetOEMCP();
// Lead bytes: 932 0x81-0x9F and 0xE0-0xFC; 936, 949, 950 0x81-0xFE; none elsewhere.
BOOL IsDBCSLeadByte(BYTE TestChar);
BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
// The next character (a lead byte and its trail step together; the NUL stays).
LPSTR CharNext(LPCSTR lpsz);
// The character before lpszCurrent, walking from lpszStart.
LPSTR CharPrev(LPCSTR lpszStart, LPCSTR lpszCurrent);

// OEM (437) <-> ANSI (1252) by one table; characters without a match get a look-alike or '?'.
// Double-byte code pages copy the text unchanged. Source and target may be the same buffer.
BOOL OemToChar(LPCSTR pSrc, LPSTR pDst);
BOOL CharToOem(LPCSTR pSrc, LPSTR pDst);
BOOL OemToCharBuff(LPCSTR lpszSrc, LPSTR lpszDst, DWORD cchDstLength);
BOOL CharToOemBuff(LPCSTR lpszSrc, LPSTR lpszDst, DWORD cchDstLength);

// Case of ASCII and (on 1252) the accented letters; trail bytes of double-byte characters stay.
// A pointer whose high word is 0 is one character, converted and returned in the low byte.
LPSTR CharUpper(LPSTR lpsz);
LPSTR CharLower(LPSTR lpsz);

// The collation: characters compare by class first (punctuation and symbols in byte order,
// then digits, then letters alphabetically without regard to case, then the other bytes of the
// upper half in byte order, accented 1252 letters folded to upper case); when two strings are
// equal that way, lstrcmp orders the first case difference lower case first. -1, 0 or 1.
int lstrcmp(LPCSTR lpString1, LPCSTR lpString2);
int lstrcmpi(LPCSTR lpString1, LPCSTR lpString2);
int lstrlen(LPCSTR lpString);
// Copies at most iMaxLength - 1 characters and a NUL.
LPSTR lstrcpyn(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);

// --- Date and time ---------------------------------------------------------

inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
inline constexpr DWORD DATE_SHORTDATE = 0x1;
inline constexpr DWORD DATE_LONGDATE = 0x2;
inline constexpr DWORD TIME_NOMINUTESORSECONDS = 0x1;
inline constexpr DWORD TIME_NOSECONDS = 0x2;
inline constexpr DWORD TIME_NOTIMEMARKER = 0x4;
inline constexpr DWORD TIME_FORCE24HOURFORMAT = 0x8;

// One locale for every LCID: short date "M/d/yyyy", long date "dddd, MMMM dd, yyyy", time
// "HH:mm:ss", English names. lpDate/lpTime NULL is the machine's local time now. Returns the
// characters written with the NUL; cchDate 0 asks for that size; a short buffer gives 0 and
// ERROR_INSUFFICIENT_BUFFER.
int GetDateFormat(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                  int cchDate);
int GetTimeFormat(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                  int cchTime);

// --- Arithmetic and memory -------------------------------------------------

// nNumber * nNumerator / nDenominator in 64 bits, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit.
int MulDiv(int nNumber, int nNumerator, int nDenominator);

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Plain memory: the handle is the block's address, moveable or not. Unknown handles fail with
// ERROR_INVALID_HANDLE instead of touching memory.
HGLOBAL GlobalAlloc(UINT uFlags, std::size_t dwBytes);
LPVOID GlobalLock(HGLOBAL hMem);
// FALSE once the lock count is 0 (last error NO_ERROR then).
BOOL GlobalUnlock(HGLOBAL hMem);
// NULL when freed; the handle itself when it is unknown.
HGLOBAL GlobalFree(HGLOBAL hMem);
std::size_t GlobalSize(HGLOBAL hMem);

}  // namespace win
