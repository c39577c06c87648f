// Steps the file calls share: a Windows name resolved to its host file, the
// checks a change goes through (denied, read-only, busy, create), attributes,
// the files state of the machine, and FILETIME against host times.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "win/error.h"
#include "win/handles.h"
#include "win/machine.h"
#include "win/path.h"
#include "win/types.h"

namespace win::files {

// A Windows name and the host file behind it.
struct FileTarget {
  WinPath written;   // absolute, with the names as written
  WinPath path;      // absolute, with the on-disk names where they exist
  std::string host;  // the host path (a link as last name is the link itself)
  const DriveMapping* drive = nullptr;
  bool exists = false;
  bool parentExists = false;  // the directory that holds it exists
  bool isDirectory = false;   // (a link: its target is one)
  bool isLink = false;
  struct stat st{};  // of the file (a link's target; the link when that is missing)

  // The subject of fault rules: the absolute Windows path.
  std::string subject() const { return path.text(); }
  // The error for a missing file: ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND without its directory.
  DWORD missingError() const { return parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND; }
};

// Resolves a name (nullptr: ERROR_INVALID_PARAMETER); nullopt with the last error set.
std::optional<FileTarget> resolve(const char* name, unsigned flags = 0);
// Sets the last error and returns false, for one-line refusals.
bool fail(DWORD error);
// Copies text and its NUL into a buffer of size bytes and returns its length; when it does not
// fit, leaves the buffer alone and returns the size it needs (NUL included).
DWORD copyOut(std::string_view text, char* buffer, DWORD size);

// [failures] denied matches the file.
bool isDenied(const FileTarget& t);
// The file is a running program's (process table) or matches [failures] busy.
bool isBusy(const FileTarget& t);
// [failures] create matches the file.
bool createFails(const FileTarget& t);
// The file carries READONLY (a file: no write bit on the host; a directory: the side store).
bool isReadOnly(const FileTarget& t);
// The whole attribute value of an existing file.
DWORD attributesOf(const FileTarget& t);
// The attribute value from host facts and stored bits (nullopt: the default).
DWORD attributesFrom(const struct stat& st, bool isLink, std::optional<DWORD> stored);
// Gives an existing file the attributes (READONLY, HIDDEN, SYSTEM, ARCHIVE; the rest ignored).
bool applyAttributes(const FileTarget& t, DWORD attributes);

// True for names Windows runs as programs: *.EXE, *.COM, *.BAT.
bool isProgramName(std::string_view name);
// The host mode of a new file of that name (programs are executable).
mode_t newFileMode(std::string_view name);

// FILETIME as one number of 100 ns ticks since 1601-01-01, and back.
std::uint64_t ticksOf(const FILETIME& ft);
FILETIME fileTimeOf(std::uint64_t ticks);
// Host times as FILETIME (UTC), and back.
FILETIME fileTimeFromTimespec(const struct timespec& ts);
struct timespec timespecFromFileTime(const FILETIME& ft);

// The machine's files state: find handles and the error mode.
struct FilesState : MachineState {
  explicit FilesState(Machine&);

  HandleTable findHandles;
  std::atomic<UINT> errorMode{0};
};

}  // namespace win::files
