// File handles and searches over the machine's file calls: FindFirst/FindNext/
// FindEnd (with the volume-label form), OpenFileHandle, FileRead/FileWrite/
// FileSeek, DOS date and time of a file, and CheckFileExists.
#pragma once

#include "win/files.h"

namespace merl {

using win::DWORD;
using win::HANDLE;
using win::WORD;

inline constexpr int kPathBufferSize = 256;  // the runtime's path buffers

// Results of FindFirst and FindNext.
inline constexpr int kFound = 0;
inline constexpr int kNoneFound = 1;

// Attributes argument of FindFirst that asks for the volume label.
inline constexpr DWORD kVolumeLabelAttribute = 8;
// Characters of a volume label read, and the length after which a '.' goes in.
inline constexpr int kVolumeLabelLength = 32;
inline constexpr int kLabelNameLength = 8;

// One search: the found name and attributes, the search handle (INVALID_HANDLE_VALUE for
// none) and the system's find data.
struct FindRecord {
  char name[kPathBufferSize] = {};
  DWORD attributes = 0;
  HANDLE handle = win::INVALID_HANDLE_VALUE;
  win::WIN32_FIND_DATAA data{};
};

// Starts a search for pattern (a search the record still holds is ended first). Attributes 8
// alone reads the volume label of the pattern's drive or share instead: a label longer than
// 8 characters gets a '.' after the eighth ("SYSTEMDISK1" reads "SYSTEMDI.SK1"); no label
// counts as none. kFound (name and attributes copied) or kNoneFound.
int FindFirst(const char* pattern, DWORD attributes, FindRecord& record);
// The next match: kFound, or kNoneFound at the end.
int FindNext(FindRecord& record);
// Ends the search unless there is none.
void FindEnd(FindRecord& record);

// File access modes of OpenFileHandle.
inline constexpr int kOpenRead = 0;
inline constexpr int kOpenWrite = 1;
inline constexpr int kOpenReadWrite = 2;

// Opens path for reading (others may read too), writing or both; create makes a new empty
// file (replacing one), else the file must exist. INVALID_HANDLE_VALUE on failure or a bad mode.
HANDLE OpenFileHandle(const char* path, int mode, bool create);

// Reads, writes: the bytes done, 0 on error.
DWORD FileRead(HANDLE file, void* buffer, DWORD count);
DWORD FileWrite(HANDLE file, const void* buffer, DWORD count);
// Moves the file position (FILE_BEGIN, FILE_CURRENT, FILE_END); the new position, or
// INVALID_SET_FILE_POINTER.
DWORD FileSeek(HANDLE file, win::LONG distance, DWORD method);

// The file's last-write time as local DOS date and time.
bool SetFileDosDateTime(HANDLE file, WORD date, WORD time);
bool GetFileDosDateTime(HANDLE file, WORD& date, WORD& time);

// 0 when path has attributes (a file or directory is there), -1 when not.
int CheckFileExists(const char* path);

}  // namespace merl
