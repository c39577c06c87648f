#include "files/versions.h"

#include <cstring>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "log/log_sink.h"
#include "win/version.h"

namespace merl {
namespace {

constexpr DWORD kVersionBlockSize = 30720;

bool readDosDateTime(const char* path, WORD& date, WORD& time) {
  HANDLE file = OpenFileHandle(path, kOpenRead, false);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileDosDateTime(file, date, time);
  win::CloseHandle(file);
  return ok;
}

}  // namespace

bool IsPeFile(const char* path) {
  if (!path) return false;
  HANDLE file = OpenFileHandle(path, kOpenRead, false);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  unsigned char head[64] = {};
  unsigned char sign[2] = {};
  bool pe = FileRead(file, head, sizeof head) == sizeof head && head[0] == 'M' && head[1] == 'Z';
  if (pe) {
    DWORD at = static_cast<DWORD>(head[60]) | static_cast<DWORD>(head[61]) << 8 | static_cast<DWORD>(head[62]) << 16 |
               static_cast<DWORD>(head[63]) << 24;
    pe = at <= 0x7FFFFFFF && FileSeek(file, static_cast<win::LONG>(at), win::FILE_BEGIN) == at &&
         FileRead(file, sign, 2) == 2 && sign[0] == 'P' && sign[1] == 'E';
  }
  win::CloseHandle(file);
  return pe;
}

int ReadFileVersion(const char* path, VersionRecord& out) {
  if (!path) return 1;
  DWORD isPe = IsPeFile(path) ? 1 : 0;
  std::vector<unsigned char> block(kVersionBlockSize);
  void* value = nullptr;
  win::UINT len = 0;
  if (!win::GetFileVersionInfo(path, 0, kVersionBlockSize, block.data()) ||
      !win::VerQueryValue(block.data(), "\\", &value, &len) || len < sizeof(win::VS_FIXEDFILEINFO))
    return 1;
  win::VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  DWORD translation = kDefaultTranslation;
  if (win::VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &len) && len >= 4)
    std::memcpy(&translation, value, 4);
  out = VersionRecord{fixed.dwFileVersionMS, fixed.dwFileVersionLS, fixed.dwFileOS, fixed.dwFileType,
                      fixed.dwFileSubtype,   translation,           isPe};
  return 0;
}

int CompareFileVersions(const char* freshPath, const char* existingPath, const VersionRecord* freshRecord) {
  VersionRecord existing, fresh;
  if (ReadFileVersion(existingPath, existing) != 0) return 1;
  if (freshRecord) {
    fresh = *freshRecord;
    fresh.isPe = existing.isPe;
  } else if (ReadFileVersion(freshPath, fresh) != 0) {
    return 1;
  }
  if (existing.versionHigh > fresh.versionHigh) return 0;
  if (existing.versionHigh == fresh.versionHigh && fresh.versionLow <= existing.versionLow) return 0;
  if (existing.fileType != fresh.fileType || existing.fileSubtype != fresh.fileSubtype) return 0;
  if (existing.isPe != fresh.isPe) return 0;
  return 1;
}

bool CheckFileDate(const char* existingPath, const char* freshPath, const FileDateRecord& record, bool downloaded,
                   bool sharedOnNewWindows) {
  WORD oldDate = 0, oldTime = 0, newDate = 0, newTime = 0;
  if (!existingPath || !readDosDateTime(existingPath, oldDate, oldTime)) return false;
  if ((record.flagsA & kFileOutsideSource) && !downloaded) {
    if (!freshPath || !readDosDateTime(freshPath, newDate, newTime)) return false;
  } else {
    newDate = record.date;
    newTime = record.time;
    if (downloaded && newDate == 0) return false;
  }
  if (newDate > oldDate || (newDate == oldDate && newTime > oldTime)) return false;
  if (newDate == oldDate && newTime == oldTime && (record.flagsA & kFileEqualDateWins)) return false;
  if (!(record.flagsA & kFileNotLogged)) {
    writeLogLine("Date/Time: Following file not copied.");
    if (!sharedOnNewWindows) writeLogLine(std::string(" File Copy: ") + existingPath);
  }
  return true;
}

}  // namespace merl
