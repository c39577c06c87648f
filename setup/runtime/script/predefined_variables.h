// The predefined variables the header reader sets before the first record:
// %CMDLINE%, %LANGUAGES%, %% and the directories in slots 0-7, then %FONTS%
// and %DISK_NUMBER%. The manual-mode questions about slots 3-7 come between the two steps.
#pragma once

namespace merl {

// Makes sure of slots 0-2 (%CMDLINE% and %LANGUAGES% are taken as they are, %% gets "%"), then
// appends %WIN%, %SYS%, %SYS32% (the system directory again), %TEMP% and %INST% (the setup
// program's module directory), each without a final backslash unless that byte is the second
// byte of a double-byte character. Expects the fresh store the run starts with.
void SetPredefinedDirectories();

// Appends %FONTS% and %DISK_NUMBER% ("1"). FONTS on Windows above version 3: the registry's
// shared directory + "\Fonts" when a probe file can be made there, else %WIN%\Fonts; on older
// Windows the %SYS% value. Needs InitPlatformFlags.
void SetFontsAndDiskNumber();

// Both steps, for a run without manual-mode questions.
void SetPredefinedVariables();

}  // namespace merl
