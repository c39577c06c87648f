// RenameAtRestart: the side copy, the platform's schedule (checked after it is
// written) and %RESTART%.
#include "files/restart_rename.h"

#include <string>

#include "files/copy_file_to.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "files/side_names.h"
#include "files/versions.h"
#include "script/expansion.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "text/message_format.h"
#include "text/path_text.h"
#include "ui/message_dlg.h"
#include "win/files.h"
#include "win/profile.h"

namespace merl {

namespace {

constexpr int kCopyFailedMessage = 26;

bool scheduleOnNt(const char* from, const char* destination) {
  return win::MoveFileEx(from, destination, kRestartMoveFlags) != 0;
}

// Writes the [rename] line and reads it back.
bool scheduleInWininit(const char* from, const char* destination) {
  if (!win::WritePrivateProfileString(kRenameSection, destination, from, kWininitName)) return false;
  char back[kPathBufferSize] = "";
  win::GetPrivateProfileString(kRenameSection, destination, "", back, sizeof back, kWininitName);
  return std::string_view(back) == from;
}

// Appends the lines to the batch file (created when missing); true when all were written.
bool scheduleInBatch(const char* from, const char* destination) {
  char batch[kPathBufferSize];
  ExpandVars256(batch, kRestartBatchPath);
  std::string lines = std::string("del ") + destination + "\r\nrename " + from + " " + PathFileName(destination) +
                      "\r\n";
  HANDLE file = OpenFileHandle(batch, kOpenWrite, false);
  if (file == win::INVALID_HANDLE_VALUE) {
    if (CheckFileExists(batch) == 0) return false;
    file = OpenFileHandle(batch, kOpenWrite, true);
    if (file == win::INVALID_HANDLE_VALUE) return false;
  }
  DWORD end = FileSeek(file, 0, win::FILE_END);
  bool written = end != win::INVALID_SET_FILE_POINTER &&
                 FileWrite(file, lines.data(), static_cast<DWORD>(lines.size())) == lines.size();
  if (!written && end != win::INVALID_SET_FILE_POINTER &&
      FileSeek(file, static_cast<win::LONG>(end), win::FILE_BEGIN) == end)
    win::SetEndOfFile(file);
  win::CloseHandle(file);
  return written;
}

bool schedule(const char* from, const char* destination) {
  const PlatformFlags& platform = run().platform;
  if (platform.windowsNt) {
    if (!scheduleOnNt(from, destination)) return false;
    SetVar("RESTART", "S");
    return true;
  }
  if (platform.windows9x) {
    if (!scheduleInWininit(from, destination)) return false;
  } else {
    if (!scheduleInBatch(from, destination)) return false;
    run().state<RestartSchedule>().batchFileWritten = true;
  }
  char restart[kPathBufferSize];
  GetVar("RESTART", restart, sizeof restart);
  if (restart[0] != 'S' && restart[0] != 'E') SetVar("RESTART", "W");
  return true;
}

}  // namespace

bool RestartSupportOn() {
  SetupRec* setup = run().setup();
  return setup && (setup->optionWord & kOptionRestartSupport);
}

int RenameAtRestart(bool compareVersions, bool copyFirst, const char* source, const char* destination) {
  if (!RestartSupportOn()) return kRenameNotScheduled;
  if (compareVersions && CompareFileVersions(source, destination, nullptr) == 0) return kRenameNotScheduled;
  char from[kPathBufferSize], to[kPathBufferSize];
  copyText(from, sizeof from, source);
  copyText(to, sizeof to, destination);
  if (copyFirst) {
    if (!MakeSideFileName(from, destination) ||
        CopyFileTo(source, from, nullptr, 0, false, nullptr, nullptr) != kCopyDone) {
      const char* format = scriptMessage(kCopyFailedMessage);
      char text[kPathBufferSize * 2];
      formatScriptMessage(text, sizeof text, format ? format : "%s", {source});
      AbortMessage(text);
      return kAbort;
    }
  }
  bool scheduled = MakeFullPath(from, true) && MakeFullPath(to, true) && schedule(from, to);
  if (!scheduled && copyFirst) win::DeleteFile(from);
  if (scheduled) run().state<RestartSchedule>().replacementScheduled = true;
  return scheduled ? kRenameScheduled : kRenameNotScheduled;
}

bool ReplacementScheduled() { return run().state<RestartSchedule>().replacementScheduled; }

bool BatchFileWritten() { return run().state<RestartSchedule>().batchFileWritten; }

}  // namespace merl
