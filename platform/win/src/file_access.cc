// Resolving names to host files, the checks before a change, attributes from
// the host mode and the side store.
#include "file_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include "attribute_store.h"
#include "platform/faults.h"
#include "win/files.h"

namespace win::files {

namespace {

constexpr std::uintptr_t kFirstFindHandle = 0x10000;  // apart from the kernel handles

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool endsWithCaseBlind(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && namesEqual(name.substr(name.size() - suffix.size()), suffix);
}

}  // namespace

FilesState::FilesState(Machine&) : findHandles(kFirstFindHandle, 4) {}

bool fail(DWORD error) {
  SetLastError(error);
  return false;
}

DWORD copyOut(std::string_view text, char* buffer, DWORD size) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return static_cast<DWORD>(text.size());
}

std::optional<FileTarget> resolve(const char* name, unsigned flags) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  auto path = parsePath(name, flags);
  if (!path) return std::nullopt;
  auto mapped = mapToHost(*path);
  if (!mapped) return std::nullopt;
  FileTarget t;
  t.written = *path;
  t.path = *path;
  t.path.parts = mapped->names;
  t.host = mapped->host;
  t.drive = machine().findDrive(*path);
  t.parentExists = mapped->parentExists();
  struct stat link{};
  if (mapped->exists() && ::lstat(t.host.c_str(), &link) == 0) {
    t.exists = true;
    t.isLink = S_ISLNK(link.st_mode);
    if (!t.isLink || ::stat(t.host.c_str(), &t.st) != 0) t.st = link;
    t.isDirectory = S_ISDIR(t.st.st_mode);
  }
  return t;
}

bool isDenied(const FileTarget& t) { return platform::shouldFail(platform::FaultOp::Denied, t.subject()); }

bool isBusy(const FileTarget& t) {
  if (platform::shouldFail(platform::FaultOp::Busy, t.subject())) return true;
  return t.exists && !t.isDirectory && machine().processTable().inUse(t.host);
}

bool createFails(const FileTarget& t) { return platform::shouldFail(platform::FaultOp::Create, t.subject()); }

bool isReadOnly(const FileTarget& t) {
  if (!t.exists) return false;
  if (!t.isDirectory) return (t.st.st_mode & kWriteBits) == 0;  // no need to read the side store
  return attributesOf(t) & FILE_ATTRIBUTE_READONLY;
}

DWORD attributesFrom(const struct stat& st, bool isLink, std::optional<DWORD> stored) {
  bool isDirectory = S_ISDIR(st.st_mode);
  DWORD a = stored.value_or(attributes::defaultBits(isDirectory)) & attributes::storedMask(isDirectory);
  if (isDirectory)
    a |= FILE_ATTRIBUTE_DIRECTORY;
  else if ((st.st_mode & kWriteBits) == 0)
    a |= FILE_ATTRIBUTE_READONLY;
  if (isLink) a |= FILE_ATTRIBUTE_REPARSE_POINT;
  return a ? a : FILE_ATTRIBUTE_NORMAL;
}

DWORD attributesOf(const FileTarget& t) { return attributesFrom(t.st, t.isLink, attributes::stored(t.host)); }

bool applyAttributes(const FileTarget& t, DWORD value) {
  if (!t.isDirectory) {
    bool readOnly = value & FILE_ATTRIBUTE_READONLY;
    mode_t mode = t.st.st_mode & 07777;
    mode_t wanted = readOnly ? mode & ~kWriteBits : ((mode & kWriteBits) ? mode : mode | S_IWUSR);
    if (wanted != mode && ::chmod(t.host.c_str(), wanted) != 0) {
      setLastErrorFromErrno(errno);
      return false;
    }
  }
  if (!attributes::store(t.host, value, t.isDirectory)) return fail(ERROR_ACCESS_DENIED);
  return true;
}

bool isProgramName(std::string_view name) {
  return endsWithCaseBlind(name, ".EXE") || endsWithCaseBlind(name, ".COM") || endsWithCaseBlind(name, ".BAT");
}

mode_t newFileMode(std::string_view name) { return isProgramName(name) ? 0777 : 0666; }

}  // namespace win::files
