// Restart handling.
#include "entry/restart.h"

#include <string>

#include "constants.h"
#include "entry/main_state.h"
#include "entry/support_files.h"
#include "files/restart_rename.h"
#include "interp/record.h"
#include "script/expansion.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "ui/message_dlg.h"
#include "win/files.h"
#include "win/process.h"

namespace merl {

namespace {

constexpr char kLauncherCommand[] = "/C %WIN%\\_MSRSTRT.EXE";
constexpr char kLauncherTarget[] = "%WIN%\\_MSRSTRT.EXE";
constexpr int kRestartText = 23;
constexpr int kRestartTitle = 18;
constexpr BYTE kRestartFlagsWin32 = 0x80;

std::string comspec() {
  char value[kPathTextLength + 2] = {};
  DWORD n = win::GetEnvironmentVariable("COMSPEC", value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// The text after the letter, blanks skipped.
std::string restOf(const std::string& value) {
  std::size_t at = 1;
  while (at < value.size() && value[at] == ' ') ++at;
  return at < value.size() ? value.substr(at) : std::string();
}

int askRestart() {
  SetupRec& setup = *run().setup();
  if (!(setup.optionWord & kOptionKeepSilentForRestart)) setup.silentFlag = 0;
  const char* text = scriptMessage(kRestartText);
  const char* title = scriptMessage(kRestartTitle);
  return MessageDlg(setup.mainWindow, text ? text : "", title ? title : "",
                    run().platform.win32 ? kRestartFlagsWin32 : 0);
}

// Both buffers, or neither when one does not fit.
void handOver(char* program, char* arguments, const std::string& p, const std::string& a) {
  if (p.size() > kPathTextLength || a.size() > kPathTextLength) return;
  copyText(program, kPathTextLength + 1, p);
  copyText(arguments, kPathTextLength + 1, a);
}

}  // namespace

void HandleRestart(int* exitCode, char* program, char* arguments) {
  if (run().runState == kStateTest) return;
  SetupRec& setup = *run().setup();
  bool& needed = restartState().restartNeeded;
  if (ReplacementScheduled()) needed = true;
  std::string value = FindVar("RESTART");
  char r = value.empty() ? '\0' : value[0];
  if (r == 'I') {
    setup.optionWord &= ~kOptionRestartLauncher;
    needed = false;
  }
  if (needed) {
    if (askRestart() != 1) {
      needed = false;
      return;
    }
    std::string args = expanded(kLauncherCommand, kExpandLimit256);
    if (r == 'E') args += " " + restOf(value);
    handOver(program, arguments, comspec(), args);
  } else if (r == 'E') {
    handOver(program, arguments, comspec(), "/C " + restOf(value));
  } else if (r == 'S' || r == 'W') {
    if (askRestart() != 1) return;
    MainState& m = mainState();
    const std::string& systemRestart = m.supportPaths[kSupportSystemRestart];
    if (run().platform.windowsNt && r == 'S' && !systemRestart.empty() && systemRestart.size() <= kPathTextLength) {
      copyText(program, kPathTextLength + 1, systemRestart);
      m.systemRestartHandedBack = true;
    } else {
      *exitCode = r == 'W' ? kRestartExitWindows : kRestartExitSystem;
    }
  }
}

void PlaceRestartLauncher() {
  std::string& launcher = mainState().supportPaths[kSupportRestartLauncher];
  if (launcher.empty()) return;
  const PlatformFlags& p = run().platform;
  if (restartState().restartNeeded && (run().setup()->optionWord & kOptionRestartLauncher) && !p.windows9x &&
      !p.windowsNt) {
    std::string target = expanded(kLauncherTarget, kExpandLimit256);
    win::DeleteFile(target.c_str());
    if (win::MoveFile(launcher.c_str(), target.c_str())) {
      launcher.clear();
      return;
    }
  }
  win::DeleteFile(launcher.c_str());
  launcher.clear();
}

}  // namespace merl
