// File handles and searches on the machine's file calls, the volume-label
// form of FindFirst, DOS date and time through local file times, and the
// exported FileWrite the setup program's copy routine writes through.
#include "files/file_utils.h"

#include <cstring>
#include <string>

#include "files/paths.h"
#include "merl/setup_interface.h"
#include "text/copy_text.h"
#include "text/path_text.h"

namespace merl {

namespace {

// The volume label of pattern's drive or share as a found name; false when it has none.
bool findVolumeLabel(const char* pattern, FindRecord& record) {
  std::optional<std::string> full = fullPathName(pattern);
  std::string root = full ? pathRoot(*full) : "";
  char label[win::MAX_PATH] = {};
  if (root.empty() ||
      !win::GetVolumeInformation(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) ||
      label[0] == '\0')
    return false;
  std::string name(label, ::strnlen(label, kVolumeLabelLength));  // at most 32 characters
  if (name.size() > static_cast<std::size_t>(kLabelNameLength)) name.insert(kLabelNameLength, 1, '.');
  copyText(record.name, sizeof record.name, name);
  record.attributes = kVolumeLabelAttribute;
  return true;
}

int takeFound(FindRecord& record) {
  copyText(record.name, sizeof record.name,
           std::string_view(record.data.cFileName, ::strnlen(record.data.cFileName, win::MAX_PATH)));
  record.attributes = record.data.dwFileAttributes;
  return kFound;
}

}  // namespace

int FindFirst(const char* pattern, DWORD attributes, FindRecord& record) {
  FindEnd(record);
  record.name[0] = '\0';
  record.attributes = 0;
  if (!pattern) return kNoneFound;
  if (attributes == kVolumeLabelAttribute) return findVolumeLabel(pattern, record) ? kFound : kNoneFound;
  record.handle = win::FindFirstFile(pattern, &record.data);
  if (record.handle == win::INVALID_HANDLE_VALUE) return kNoneFound;
  return takeFound(record);
}

int FindNext(FindRecord& record) {
  if (record.handle == win::INVALID_HANDLE_VALUE || !win::FindNextFile(record.handle, &record.data)) return kNoneFound;
  return takeFound(record);
}

void FindEnd(FindRecord& record) {
  if (record.handle != win::INVALID_HANDLE_VALUE) win::FindClose(record.handle);
  record.handle = win::INVALID_HANDLE_VALUE;
}

HANDLE OpenFileHandle(const char* path, int mode, bool create) {
  DWORD access;
  switch (mode) {
    case kOpenRead: access = win::GENERIC_READ; break;
    case kOpenWrite: access = win::GENERIC_WRITE; break;
    case kOpenReadWrite: access = win::GENERIC_READ | win::GENERIC_WRITE; break;
    default: return win::INVALID_HANDLE_VALUE;
  }
  DWORD share = mode == kOpenRead ? win::FILE_SHARE_READ : 0;
  return win::CreateFile(path, access, share, nullptr, create ? win::CREATE_ALWAYS : win::OPEN_EXISTING,
                         win::FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD FileRead(HANDLE file, void* buffer, DWORD count) {
  DWORD done = 0;
  if (!buffer && count > 0) return 0;
  return win::ReadFile(file, buffer, count, &done, nullptr) ? done : 0;
}

DWORD FileWrite(HANDLE file, const void* buffer, DWORD count) {
  DWORD done = 0;
  if (!buffer && count > 0) return 0;
  return win::WriteFile(file, buffer, count, &done, nullptr) ? done : 0;
}

DWORD FileSeek(HANDLE file, win::LONG distance, DWORD method) {
  return win::SetFilePointer(file, distance, nullptr, method);
}

bool SetFileDosDateTime(HANDLE file, WORD date, WORD time) {
  win::FILETIME local{}, utc{};
  return win::DosDateTimeToFileTime(date, time, &local) && win::LocalFileTimeToFileTime(&local, &utc) &&
         win::SetFileTime(file, nullptr, nullptr, &utc);
}

bool GetFileDosDateTime(HANDLE file, WORD& date, WORD& time) {
  win::FILETIME utc{}, local{};
  return win::GetFileTime(file, nullptr, nullptr, &utc) && win::FileTimeToLocalFileTime(&utc, &local) &&
         win::FileTimeToDosDateTime(&local, &date, &time);
}

int CheckFileExists(const char* path) {
  return win::GetFileAttributes(path) != win::INVALID_FILE_ATTRIBUTES ? 0 : -1;
}

}  // namespace merl

extern "C" win::DWORD FileWrite(win::HANDLE file, win::LPCVOID buffer, win::DWORD count) {
  return merl::FileWrite(file, buffer, count);
}
