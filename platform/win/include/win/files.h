// The machine's file calls: handles, attributes, listings, moves and copies,
// file times, temporary names, the current directory and path forms, drives
// and volumes, and the 16-bit style _lopen family. Paths are Windows paths.
#pragma once

#include <cstddef>

#include "win/access_rights.h"
#include "win/types.h"

namespace win {

// CreateFile's access, sharing and disposition.
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

// File attributes.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// SetFilePointer, GetFileSize.
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// MoveFileEx.
inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
inline constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

// SetErrorMode.
inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
inline constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
static_assert(sizeof(WIN32_FIND_DATAA) == 320);
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeHigh) == 28 && offsetof(WIN32_FIND_DATAA, cFileName) == 44 &&
              offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304);
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// Handles: files and everything else CloseHandle closes.
HANDLE CreateFile(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                  LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                  HANDLE hTemplateFile);
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPVOID lpOverlapped);
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPVOID lpOverlapped);
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);
DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
BOOL FlushFileBuffers(HANDLE hFile);
// Ends the file at its current position (cutting or growing it).
BOOL SetEndOfFile(HANDLE hFile);
BOOL CloseHandle(HANDLE hObject);
BOOL GetFileTime(HANDLE hFile, FILETIME* lpCreationTime, FILETIME* lpLastAccessTime, FILETIME* lpLastWriteTime);
BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime);

// Names: delete, move, copy, directories, attributes.
BOOL DeleteFile(LPCSTR lpFileName);
BOOL MoveFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);
BOOL MoveFileEx(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);
BOOL CopyFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
BOOL CreateDirectory(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
BOOL RemoveDirectory(LPCSTR lpPathName);
DWORD GetFileAttributes(LPCSTR lpFileName);
BOOL SetFileAttributes(LPCSTR lpFileName, DWORD dwFileAttributes);

// Listings ("*" and "?" in the last component; "*.*" matches every name).
HANDLE FindFirstFile(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
BOOL FindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// File times: FILETIME is UTC (or local after FileTimeToLocalFileTime); DOS date and time as stored.
BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, WORD* lpFatDate, WORD* lpFatTime);
BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, FILETIME* lpFileTime);
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);

// Directories and path forms. Calls that fill a buffer return the length copied without the
// NUL, or the size needed with the NUL when the buffer is too small (and leave it untouched).
DWORD GetTempPath(DWORD nBufferLength, LPSTR lpBuffer);
UINT GetTempFileName(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName);
DWORD GetCurrentDirectory(DWORD nBufferLength, LPSTR lpBuffer);
BOOL SetCurrentDirectory(LPCSTR lpPathName);
DWORD GetFullPathName(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);
DWORD GetShortPathName(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer);
DWORD GetLongPathName(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer);
UINT GetWindowsDirectory(LPSTR lpBuffer, UINT uSize);
UINT GetSystemDirectory(LPSTR lpBuffer, UINT uSize);

// Drives and volumes.
UINT GetDriveType(LPCSTR lpRootPathName);
DWORD GetLogicalDrives();
BOOL GetVolumeInformation(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                          LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                          LPSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize);
BOOL GetDiskFreeSpace(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                      LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters);
BOOL GetDiskFreeSpaceEx(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                        PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);
// The process's error mode; returns the previous one (no dialog is ever shown either way).
UINT SetErrorMode(UINT uMode);

// The _lopen family: HFILE values are the file handles' numbers.
using HFILE = int;
inline constexpr HFILE HFILE_ERROR = -1;
inline constexpr UINT OF_READ = 0x0000;
inline constexpr UINT OF_WRITE = 0x0001;
inline constexpr UINT OF_READWRITE = 0x0002;
inline constexpr UINT OF_SHARE_COMPAT = 0x0000;
inline constexpr UINT OF_SHARE_EXCLUSIVE = 0x0010;
inline constexpr UINT OF_SHARE_DENY_WRITE = 0x0020;
inline constexpr UINT OF_SHARE_DENY_READ = 0x0030;
inline constexpr UINT OF_SHARE_DENY_NONE = 0x0040;
inline constexpr UINT OF_PARSE = 0x0100;
inline constexpr UINT OF_DELETE = 0x0200;
inline constexpr UINT OF_CANCEL = 0x0800;
inline constexpr UINT OF_CREATE = 0x1000;
inline constexpr UINT OF_PROMPT = 0x2000;
inline constexpr UINT OF_EXIST = 0x4000;
inline constexpr UINT OF_REOPEN = 0x8000;
inline constexpr int OFS_MAXPATHNAME = 128;

struct OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
};
static_assert(sizeof(OFSTRUCT) == 136 && offsetof(OFSTRUCT, szPathName) == 8);
using LPOFSTRUCT = OFSTRUCT*;

HFILE _lopen(LPCSTR lpPathName, int iReadWrite);
// iAttribute: 0 normal, 1 read-only, 2 hidden, 4 system (combinable).
HFILE _lcreat(LPCSTR lpPathName, int iAttribute);
UINT _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes);
UINT _lwrite(HFILE hFile, LPCSTR lpBuffer, UINT uBytes);
LONG _llseek(HFILE hFile, LONG lOffset, int iOrigin);
HFILE _lclose(HFILE hFile);
// OF_EXIST, OF_DELETE, OF_PARSE, OF_CREATE or an OF_READ/OF_WRITE/OF_READWRITE open; a name
// without a directory is taken from the current directory (no search).
HFILE OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle);

}  // namespace win
