// How the program removes its own file: the temporary copy made at start-up,
// the second stage it starts at the end, and the restart program.
#pragma once

#include <string>

namespace remvex {

// Copies the module file (as GetModuleFileName gives it) to QDB1A2B.EXE in the temp
// directory, replacing an old copy, and schedules the copy's deletion at restart. The copy's
// path, also when the copy failed.
std::string MakeTemporaryCopy(const std::string& moduleFile, int platform);

// The second stage's command line: the copy, "/z", the program file and the log directory
// (a word with a blank in double quotes).
std::string SecondStageCommand(const std::string& tempCopy, const std::string& programFile,
                               const std::string& logDirectory);

// Writes the embedded restart program to _MSRSTRT.EXE in the Windows directory (a new file
// renamed over it); its path, "" when it could not be written whole.
std::string WriteRestartProgram();

// Asks for the restart itself (the shutdown privilege enabled first): used when the restart
// program could not be written.
void RequestReboot();

// Deletes the program's INI file (a run that made no temporary copy).
void DeleteIniFile(const std::string& iniPath);

}  // namespace remvex
