// The version library: a file's version resource read straight from its PE
// image (bounds-checked; anything malformed is "no version information"),
// queries into that block, and the machine's own VerFindFile and
// VerInstallFile (a temporary copy in the destination directory, then the
// version, language and type checks, then the replacement).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win/types.h"

namespace win {

using PUINT = UINT*;

// The fixed part of a version resource.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52 && offsetof(VS_FIXEDFILEINFO, dwFileOS) == 32);
inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;

// VerFindFile's flag and result bits.
inline constexpr DWORD VFFF_ISSHAREDFILE = 0x0001;
inline constexpr DWORD VFF_CURNEDEST = 0x0001;
inline constexpr DWORD VFF_FILEINUSE = 0x0002;
inline constexpr DWORD VFF_BUFFTOOSMALL = 0x0004;

// VerInstallFile's flags and result bits.
inline constexpr DWORD VIFF_FORCEINSTALL = 0x0001;
inline constexpr DWORD VIFF_DONTDELETEOLD = 0x0002;
inline constexpr DWORD VIF_TEMPFILE = 0x00000001;
inline constexpr DWORD VIF_MISMATCH = 0x00000002;
inline constexpr DWORD VIF_SRCOLD = 0x00000004;
inline constexpr DWORD VIF_DIFFLANG = 0x00000008;
inline constexpr DWORD VIF_DIFFCODEPG = 0x00000010;
inline constexpr DWORD VIF_DIFFTYPE = 0x00000020;
inline constexpr DWORD VIF_WRITEPROT = 0x00000040;
inline constexpr DWORD VIF_FILEINUSE = 0x00000080;
inline constexpr DWORD VIF_OUTOFSPACE = 0x00000100;
inline constexpr DWORD VIF_ACCESSVIOLATION = 0x00000200;
inline constexpr DWORD VIF_SHARINGVIOLATION = 0x00000400;
inline constexpr DWORD VIF_CANNOTCREATE = 0x00000800;
inline constexpr DWORD VIF_CANNOTDELETE = 0x00001000;
inline constexpr DWORD VIF_CANNOTRENAME = 0x00002000;
inline constexpr DWORD VIF_CANNOTDELETECUR = 0x00004000;
inline constexpr DWORD VIF_OUTOFMEMORY = 0x00008000;
inline constexpr DWORD VIF_CANNOTREADSRC = 0x00010000;
inline constexpr DWORD VIF_CANNOTREADDST = 0x00020000;
inline constexpr DWORD VIF_BUFFTOOSMALL = 0x00040000;

// The bytes of the version block; 0 (ERROR_RESOURCE_TYPE_NOT_FOUND, or the file's error)
// when the file has none. *lpdwHandle is set to 0.
DWORD GetFileVersionInfoSize(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
// Copies at most dwLen bytes of the block into lpData; FALSE when there is none.
BOOL GetFileVersionInfo(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// "\" gives the fixed information, "\VarFileInfo\Translation" the language and code page
// pairs, any other path the value of the node it names (keys case-blind). The block must
// come from GetFileVersionInfo; its first WORD bounds every read.
BOOL VerQueryValue(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen);

// Where to install szFileName: the system directory for a shared file, else szAppDir, as
// szDestDir; szCurDir the directory of an existing copy (searched there, then in the
// Windows and system directories), or "" when there is none.
DWORD VerFindFile(DWORD uFlags, LPCSTR szFileName, LPCSTR szWinDir, LPCSTR szAppDir, LPSTR szCurDir,
                  PUINT puCurDirLen, LPSTR szDestDir, PUINT puDestDirLen);
// Copies szSrcDir\szSrcFileName to a temporary name in szDestDir (returned in szTmpFile),
// checks it against szDestDir\szDestFileName unless VIFF_FORCEINSTALL, then replaces the
// destination with it and removes szCurDir's copy unless VIFF_DONTDELETEOLD. A result with
// VIF_TEMPFILE leaves the temporary copy in place.
DWORD VerInstallFile(DWORD uFlags, LPCSTR szSrcFileName, LPCSTR szDestFileName, LPCSTR szSrcDir, LPCSTR szDestDir,
                     LPCSTR szCurDir, LPSTR szTmpFile, PUINT puTmpFileLen);

namespace version {

// The version resource of a PE image in memory: the bytes of the first RT_VERSION
// resource, or empty when the image has none or any part of it lies outside the image.
std::vector<std::uint8_t> findVersionResource(const std::uint8_t* image, std::size_t size);

// The value of the node at path inside a version block (see VerQueryValue); false when
// the path names none or the block is malformed.
bool queryValue(const std::uint8_t* block, std::size_t size, const std::string& path, const std::uint8_t** value,
                std::size_t* valueSize);

}  // namespace version

}  // namespace win
