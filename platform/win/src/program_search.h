// Finding the program a command line names: the first word (quoted, or the
// shortest blank-separated prefix naming a file), ".exe" for a bare name
// without extension, and the search order for bare names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host_files.h"
#include "win/types.h"

namespace win {

using ProgramFile = MappedFile;

// The file a name stands for: a bare name (no '\', '/' or ':') is searched when search is set
// (the program's directory, the current directory, %SYS%, %WIN%, the view's PATH) and gets
// ".exe" without an extension; any other name is taken against the current directory.
// nullopt with *error: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED (a
// directory), or a path error.
std::optional<ProgramFile> findProgram(std::string_view name, bool search, DWORD* error);
// The program of a command line without an application name.
std::optional<ProgramFile> programOfCommandLine(std::string_view line, DWORD* error);

}  // namespace win
