// Absolute path forms and directory levels: MakeFullPath (on-disk names),
// MakeDirectoryPath with its "Made Dir:" log lines, SetCurrentDir, and the
// absolute form the other routines resolve paths with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace merl {

// The absolute form of path against the current directory or drive ("." and ".." resolved,
// no lookup, a final backslash kept); nullopt for a bad path or one over 255 characters.
std::optional<std::string> fullPathName(std::string_view path);

// Makes the path in buffer (256 bytes) absolute with an upper-case drive letter and every
// existing component in its on-disk spelling; missing components stay as written. A bare drive
// ("c:") stays as it is. The machine keeps no 8.3 names, so both forms are the long one.
// False, the buffer untouched, for an empty or bad path or a result over 255 characters.
bool MakeFullPath(char* path, bool longForm);

// Creates every missing directory level of path up to its last backslash (what follows it is
// a file name), logging each level it really creates with LogMadeDir. A UNC path's server and
// share are never levels. True when the last level is a directory at the end; false for a bad
// path or one over 255 characters.
bool MakeDirectoryPath(const char* path);

// Logs "Made Dir: <directory>" through the run's log line writer.
void LogMadeDir(std::string_view directory);

// Makes path absolute (short form) and the current directory; false when that fails.
bool SetCurrentDir(const char* path);

// Writes directory, one backslash and name into out (256 bytes); a directory that already
// ends in a backslash gets none more, an empty one none at all. False, out emptied, when the
// joined path would pass 255 characters (it is never cut).
bool JoinPath(char* out, std::string_view directory, std::string_view name);

}  // namespace merl
