// Profile (INI) files of the emulated machine: the GetPrivateProfile* and
// WritePrivateProfile* calls and the WIN.INI ones (GetProfile*, WriteProfile*).
// Sections and keys compare without regard to case; a bare file name lives in
// the Windows directory; a write replaces the file whole under the machine's
// profile lock and keeps every line it does not change byte for byte.
#pragma once

#include "win/types.h"

namespace win {

// The value of a key, cut to nSize - 1 characters, or lpDefault (trailing blanks dropped) when
// the key is missing. A NULL section lists the section names, a NULL key the section's key
// names: each name ends with NUL and the list with one more, cut to nSize - 2.
// Returns the characters copied without the final NUL.
DWORD GetPrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                              DWORD nSize, LPCSTR lpFileName);
// The key's value as a decimal number (0 when it is none), or nDefault when the key is missing.
UINT GetPrivateProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
// The section's "key=value" lines as a list (as for the names above).
DWORD GetPrivateProfileSection(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD GetPrivateProfileSectionNames(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);
// Sets a key; a NULL value deletes the key, a NULL key the whole section. A new file is
// "[section]\r\nkey=value\r\n". A name or value holding CR or LF (or a key holding '=', a
// section ']') is refused with ERROR_INVALID_PARAMETER, since it could not be read back.
BOOL WritePrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);
// Replaces the section's lines with the "key=value" strings of a double-NUL list; NULL deletes it.
BOOL WritePrivateProfileSection(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);

// The same on WIN.INI.
DWORD GetProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize);
UINT GetProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault);
BOOL WriteProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);

}  // namespace win
