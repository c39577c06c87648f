// What the start-up file edits share: the files of one edit (the file, its
// temporary copy and their handles), the whole-line reader and line writer, the
// boot-drive lookup, and putting a finished copy in place with its flag and RESTART.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "merl/setup_interface.h"

namespace merl {

// Temporary copies of the boot-drive files and SYSTEM.INI, and of a file named to f25.
inline constexpr const char* kStartupTempName = "~QDTX382.TMP";
inline constexpr const char* kNamedFileTempName = "~QDTX383.TMP";

// Edited-file flags of ActionParams: the file already has its backup in this run.
inline constexpr WORD kEditedAutoexec = 1;
inline constexpr WORD kEditedConfigSys = 2;
inline constexpr WORD kEditedSystemIni = 4;

// One edit: the file's full path, the read handle (invalid when the file does not exist)
// and the temporary copy being written.
struct EditedFile {
  std::string path;
  std::string tempPath;
  win::HANDLE read = win::INVALID_HANDLE_VALUE;
  win::HANDLE write = win::INVALID_HANDLE_VALUE;
  bool existed() const { return read != win::INVALID_HANDLE_VALUE; }
};

// Reads the whole file into lines (no line ends; a line ends at CR LF, a lone CR or a lone
// LF). False on a read error or a file over kStartupFileLimit bytes.
bool ReadTextLines(win::HANDLE file, std::vector<std::string>& lines);

// Writes text and CR LF; negative on a write error.
int WriteTextLine(win::HANDLE file, std::string_view text);

// The boot drive's file name: the drive of COMSPEC (letter, ':', '\'), else of the system
// directory, upper-cased; the file is read there or on C:, else on A:, and a missing file is
// made on the first of the boot drive, C: and A: that takes a new file. Gives the read handle
// and a new temporary copy in the same root. False, with file.path naming the boot-drive
// file, when no temporary copy can be made.
bool OpenBootDriveFile(const char* name, EditedFile& file);

// path (a full path) for reading and a new temporary copy tempName in its directory. False when
// the file must exist and cannot be opened, or the copy cannot be made.
bool OpenFileBeside(const std::string& path, const char* tempName, bool mustExist, EditedFile& file);

// How a finished copy is put in place: the edited-file flag that stands for the file (0 for
// none), whether a backup is wanted, the RESTART value to set ('S' always, 'W' unless RESTART
// begins with 'S', 0 none) and a log line written just before the edit lines.
struct EditOutcome {
  WORD editedFlag = 0;
  bool backup = true;
  char restart = 0;
  std::string leadLine;
};

// Ends an edit. Unchanged: the copy is deleted, 0. Changed: lines are written to the copy and it
// replaces the file, with a backup only when the file existed, a backup is wanted and its flag is
// not yet set (the flag is set once the file has its backup); then RESTART. A write or replace
// failure deletes the copy, shows the file-error message for the file and gives 1.
int FinishEdit(ActionParams& params, EditedFile& file, const std::vector<std::string>& lines, bool changed,
               const EditOutcome& outcome);

// Sets RESTART: 'S' always, 'W' unless RESTART begins with 'S'; 0 sets nothing.
void SetRestartValue(char value);

// A failed edit: the copy deleted, the file-error message for path, 1.
int FailEdit(EditedFile& file);

// ASCII case-blind comparisons and blank handling of the edits.
char upperAscii(char c);
bool equalNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);
std::string_view skipBlanks(std::string_view text);

}  // namespace merl
