// The installation log: lines go to a temporary file during the run (OpenLog,
// LogLine, LogAction) and CloseLog appends that file to the final INSTALL.LOG,
// one section per run. Opcode 30 suspends, resumes or switches the log.
#pragma once

#include <string>
#include <string_view>

#include "interp/opcodes.h"
#include "win/types.h"

namespace merl {

// What the section header shows and where the log ends up, from the script header.
struct LogSettings {
  std::string title;
  std::string source;        // the setup program's module path; empty: asked of the system
  std::string uninstallMif;  // expanded when the header is written; empty: no product lines
  std::string manufacturer;
  std::string product;
  std::string version;
  std::string serial;
  std::string logPath;  // may hold variables, expanded at close
  bool noLog = false;   // the header's no-log flag
};

// LogAction logs the records of kOpInstallFile, kOpInstallSource, kOpProgman, kOpIni and kOpRegistry.
inline constexpr win::BYTE kRegistryRemoveFlag = 0x80;

// The current record as LogAction needs it.
struct LogRecord {
  int opcode = -1;
  win::BYTE flags = 0;        // the registry record's flag byte
  bool inUse = false;         // install file: the busy file was left as it was
  bool overwritten = false;   // install file: an existing file was replaced
  bool oldValueUnknown = false;  // registry: an old value exists but could not be read whole as text
};

// Keeps the settings and, unless the run is in test state or the header says no log, opens
// the log in a new "QDG" temporary file. True when a log is open.
bool StartInstallLog(const LogSettings& settings);

// Creates the temporary log at tempPath and writes the section header (and product lines).
// On failure no log is open and nothing is logged.
bool OpenLog(const char* tempPath);

// Writes text and CR LF while a log is open and not suspended.
void LogLine(std::string_view text);
// Writes text as it is (the script's own log text), under the same conditions.
void LogText(std::string_view text);
// LogLine with CR and LF in text made blanks (the last error of the run's final line).
void LogFinalLine(std::string_view text);

// Writes the lines of the current record, by its opcode:
//   install file: path; second non-empty marks path as the backup copy;
//   Program Manager: path is the DDE command;
//   INI: file, section, item, new value, old value;
//   registry: key, value text, value name, type digit, and in fifth the old values
//   (NUL-ended strings ended by an empty one; the view bounds the walk).
void LogAction(const LogRecord& record, std::string_view path, std::string_view second = {},
               std::string_view third = {}, std::string_view fourth = {}, std::string_view fifth = {});

// Ends the log: appends the temporary log to the expanded log path and deletes it. A failed
// append leaves the final log as it was and keeps the temporary log.
void CloseLog();

// Opcode 30: 1 suspends, 0 resumes, any other value closes the log and starts a new one
// ("QDI") for path. In test state or without a log only the path changes.
void SwitchLog(win::DWORD value, std::string_view path);

// The log path (256 bytes): the install-file record sets it when it is still empty.
void SetLogPath(std::string_view path);
const char* LogPath();
bool LogIsOpen();
// The open log's file handle (INVALID_HANDLE_VALUE when none is open), as action blocks carry it.
win::HANDLE LogHandle();
bool LogIsSuspended();
// The temporary log's path (empty when none is open).
const char* TempLogPath();

// text with CR and LF made blanks.
std::string logField(std::string_view text);

}  // namespace merl
