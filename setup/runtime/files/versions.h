// Version and date checks before a file is replaced: a file's version record,
// the PE test, the version comparison and the DOS date check of an
// install-file record (with its log lines when the existing file stays).
#pragma once

#include "win/types.h"

namespace merl {

using win::BYTE;
using win::DWORD;
using win::WORD;

// Translation of a file without a translation table: U.S. English, code page 1252.
inline constexpr DWORD kDefaultTranslation = 0x04E40409;

struct VersionRecord {
  DWORD versionHigh = 0;
  DWORD versionLow = 0;
  DWORD fileOs = 0;
  DWORD fileType = 0;
  DWORD fileSubtype = 0;
  DWORD translation = 0;
  DWORD isPe = 0;
};
static_assert(sizeof(VersionRecord) == 28);

// 0 = filled, 1 = path has no readable version information.
int ReadFileVersion(const char* path, VersionRecord& out);
// True when path starts with "MZ" and the offset at byte 60 points at "PE".
bool IsPeFile(const char* path);
// 1 = install the new file, 0 = keep the existing one. freshRecord (the new file's version
// block) stands for freshPath when given.
int CompareFileVersions(const char* freshPath, const char* existingPath, const VersionRecord* freshRecord);

// The parts of an install-file record the date check reads.
inline constexpr BYTE kFileNotLogged = 0x04;      // flag A: never logged
inline constexpr BYTE kFileEqualDateWins = 0x08;  // flag A: equal date and time installs
inline constexpr BYTE kFileOutsideSource = 0x40;  // flag A: the new file lies outside the script
struct FileDateRecord {
  BYTE flagsA = 0;
  WORD date = 0;
  WORD time = 0;
};

// True = the existing file stays (logged unless the record is never logged), false = install.
// downloaded: the data came through a download (the record's date counts, 0 installs).
bool CheckFileDate(const char* existingPath, const char* freshPath, const FileDateRecord& record, bool downloaded,
                   bool sharedOnNewWindows);

}  // namespace merl
