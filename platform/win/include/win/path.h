// The Windows path model of the emulated machine: parsing ("C:\a", "c:/a",
// "\\server\share\a", "C:rel", "\rooted", "rel"), formatting and case-blind
// comparison, and the mapping of Windows paths to host paths and back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace win {

// An absolute Windows path: a drive letter or a UNC share, then its components.
struct WinPath {
  char drive = 0;                  // 'A'-'Z'; 0 for a UNC path
  std::string server;              // UNC server as written
  std::string share;               // UNC share as written
  std::vector<std::string> parts;  // components below the root, "." and ".." resolved
  bool trailingSeparator = false;  // written with a final '\' (kept by text())

  bool isUnc() const { return drive == 0; }
  // "C:" or "\\server\share".
  std::string root() const;
  // "C:\a\b"; the root alone is "C:\" or "\\server\share\".
  std::string text() const;
  // The last component ("" at the root).
  std::string name() const;
  // The path one level up (the root stays the root).
  WinPath parent() const;
  // This path with one more component.
  WinPath child(std::string_view name) const;
};

// Parse flags.
inline constexpr unsigned kWildcardsInLast = 1;  // '*' and '?' allowed (and kept untrimmed) in the last component

// Parses text against the current machine's current directory; nullopt with the last error set:
// ERROR_PATH_NOT_FOUND (empty), ERROR_INVALID_NAME, ERROR_FILENAME_EXCED_RANGE (260+), ERROR_BAD_PATHNAME.
std::optional<WinPath> parsePath(std::string_view text, unsigned flags = 0);
// Parses text against currentDir (nullptr: relative forms give ERROR_PATH_NOT_FOUND); the error in *error.
std::optional<WinPath> parsePathFrom(std::string_view text, const WinPath* currentDir, unsigned flags,
                                     DWORD* error);

// True when two names are equal without regard to ASCII case.
bool namesEqual(std::string_view a, std::string_view b);
// True when two paths name the same place (case-blind, trailing separator ignored).
bool pathsEqual(const WinPath& a, const WinPath& b);
// True when name can be a Windows file name: no \ / : * ? " < > |, no control byte, no final '.' or ' '.
bool isValidWindowsName(std::string_view name);

// A Windows path mapped onto the host.
struct HostPath {
  std::string host;                // host path (the existing part with its on-disk names)
  std::size_t found = 0;           // leading components that exist on the host
  std::vector<std::string> names;  // every component: on-disk name where found, else as written

  // True when the whole path exists.
  bool exists() const { return found == names.size(); }
  // True when the directory holding the last component exists.
  bool parentExists() const { return found + 1 >= names.size(); }
};

// Maps a path onto its drive's host directory: existing components found case-blind (the exact
// name first), host names invalid on Windows invisible, links followed only inside the drive.
// nullopt with the last error: ERROR_PATH_NOT_FOUND (unmapped drive, missing root, a file used as
// a directory), ERROR_BAD_NETPATH (unmapped share), ERROR_ACCESS_DENIED (a link leaving the drive).
std::optional<HostPath> mapToHost(const WinPath& path);
// Parses and maps text in one step.
std::optional<HostPath> mapToHost(std::string_view text, unsigned flags = 0);
// The Windows path of a host path inside a mapped drive; nullopt (ERROR_PATH_NOT_FOUND) outside.
std::optional<std::string> hostToWindows(std::string_view hostPath);
// The absolute path with on-disk long names for existing components (case as on disk) and the
// rest as written; an unmapped drive keeps every name as written. nullopt on a bad path.
std::optional<std::string> longPathName(std::string_view text);

}  // namespace win
