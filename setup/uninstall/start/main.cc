// Remvex32: the uninstaller's entry. Start-up (platform, own paths, the
// temporary copy, switches, the instance guard, the INI settings, the main
// window), then the second stage or a normal run over the installation log,
// then the end of the run (restart program, self-removal, restart). Exit code
// 0 on every path.
#include <string>

#include "constants.h"
#include "log/log_reader.h"
#include "log/path_names.h"
#include "run_state.h"
#include "start/command_line.h"
#include "start/instance_guard.h"
#include "start/main_window.h"
#include "start/optional_libraries.h"
#include "start/platform_info.h"
#include "start/second_stage.h"
#include "start/self_removal.h"
#include "start/settings.h"
#include "string_table.h"
#include "undo/perform_uninstall.h"
#include "win/common_dialogs.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/library.h"
#include "win/message_box.h"
#include "win/message.h"
#include "win/process.h"
#include "win/restart.h"
#include "win/show_commands.h"
#include "win/window.h"
#include "wizard/shared_dlg.h"
#include "wizard/wizard_run.h"

namespace {

// The command line without the program's own word.
std::string argumentText() {
  std::string line = win::GetCommandLine();
  std::size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    auto end = line.find('"', 1);
    at = end == std::string::npos ? line.size() : end + 1;
  } else {
    at = line.find(' ');
    if (at == std::string::npos) at = line.size();
  }
  while (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at);
}

std::string modulePath() {
  char buffer[256] = {};
  win::DWORD n = win::GetModuleFileName(nullptr, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool startsWithSlashZ(const std::string& text) {
  return text.size() >= 2 && text[0] == '/' && (text[1] == 'Z' || text[1] == 'z');
}

// The log chosen in the file dialog, "" when cancelled.
std::string askLogPath(win::HWND owner, const std::string& iniPath) {
  std::string filter = remvex::LoadMessage(iniPath, 1);
  filter += '\0';
  filter += "install.log";
  filter.append(2, '\0');
  char file[256] = "INSTALL.LOG";
  win::OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.Flags = win::OFN_FILEMUSTEXIST;
  return win::GetOpenFileName(&ofn) ? std::string(file) : std::string();
}

remvex::WizardSetup wizardSetup(win::HWND window, const remvex::DialogLibrary& dialogs) {
  const remvex::RunState& run = remvex::Run();
  remvex::WizardSetup setup;
  setup.instance = win::GetModuleHandle(nullptr);
  setup.owner = window;
  setup.automatic = run.automatic;
  setup.silent = run.silent;
  setup.newShell = run.newShell;
  setup.rollback = &remvex::Run().rollback;
  setup.dialogLibrary = dialogs.present();
  if (dialogs.present())
    setup.subclassDialog = win::procAddress<remvex::SubclassDialogProc>(dialogs.module(), "Ctl3dSubclassDlgEx");
  setup.iniPath = run.iniPath;
  return setup;
}

// Reads the log and, when it was read, runs the undo with its questions; the log directory
// for the second stage ("" when the log was not read).
std::string normalRun(win::HWND window, const std::string& logPath, bool titleArgument,
                      const remvex::DialogLibrary& dialogs) {
  remvex::RunState& run = remvex::Run();
  remvex::ReaderSettings settings;
  settings.platform = run.platform;
  settings.newShell = run.newShell;
  settings.titleArgument = titleArgument;
  settings.owner = window;
  settings.iniPath = run.iniPath;
  remvex::LogState state;
  win::HCURSOR cursor = win::SetCursor(win::LoadCursor(nullptr, win::IDC_WAIT));
  int result = remvex::ReadInstallLog(logPath, settings, state);
  win::SetCursor(cursor);
  if (result != 0) return "";
  if (!state.windowTitle.empty()) win::SetWindowText(window, state.windowTitle.c_str());
  remvex::RunWizard(wizardSetup(window, dialogs), state);
  if (!run.cancel) {
    // Named absolutely before the current directory moves to the drive's root.
    const std::string absoluteLog = remvex::NormalizePath(logPath, true);
    win::SetCurrentDirectory("\\");
    remvex::PerformUninstall(absoluteLog, state);
    win::PostMessage(win::HWND_BROADCAST, win::WM_WININICHANGE, 0, 0);
  }
  if (run.restartNeeded && !run.silent) {
    const std::string text = remvex::LoadMessage(run.iniPath, 68);
    const std::string caption = remvex::LoadMessage(run.iniPath, 25);
    if (win::MessageBox(run.wizard, text.c_str(), caption.c_str(), win::MB_OKCANCEL) == win::IDCANCEL)
      run.restartNeeded = false;
  }
  remvex::CloseWizard();
  remvex::ReportStatusMif(state.product);
  return state.logDirectory;
}

// Steps at the end of a normal run: the restart program, the INI file or the second stage,
// the restart.
void endOfRun(const std::string& module, const std::string& tempCopy, bool noTemporaryCopy,
              const std::string& logDirectory) {
  remvex::RunState& run = remvex::Run();
  std::string restartProgram;
  if (run.restartNeeded && run.platform == 1) restartProgram = remvex::WriteRestartProgram();
  if (noTemporaryCopy) {
    remvex::DeleteIniFile(run.iniPath);
  } else if (run.ownExecutableDeleted) {
    const std::string command =
        remvex::SecondStageCommand(tempCopy, remvex::NormalizePath(module, false), logDirectory);
    win::WinExec(command.c_str(), win::SW_SHOW);
  }
  if (!run.restartNeeded) return;
  if (run.platform == 1) {
    if (!restartProgram.empty()) win::WinExec(restartProgram.c_str(), win::SW_SHOW);
    else remvex::RequestReboot();
  } else {
    win::ExitWindowsEx(win::EWX_REBOOT, 0xFFFFFFFF);
  }
}

}  // namespace

int main() {
  remvex::RunState& run = remvex::Run();
  const remvex::PlatformInfo platform = remvex::DetectPlatform();
  run.platform = platform.platform;
  run.newShell = platform.newShell;
  const std::string module = modulePath();
  run.ownPath = remvex::NormalizePath(module, true);
  run.iniPath = module.size() >= 3 ? module.substr(0, module.size() - 3) + "INI" : module;

  std::string text = argumentText();
  if (text.empty()) {
    std::string beside = remvex::NormalizePath(run.iniPath, false);
    beside = beside.substr(0, beside.rfind('\\') + 1) + "INSTALL.LOG";
    if (win::GetFileAttributes(beside.c_str()) != win::INVALID_FILE_ATTRIBUTES) text = beside;
  }
  const bool noTemporaryCopy = startsWithSlashZ(text);
  const std::string tempCopy = noTemporaryCopy ? std::string() : remvex::MakeTemporaryCopy(module, run.platform);

  const remvex::CommandLine command = remvex::ParseCommandLine(text);
  run.automatic = command.automatic;
  run.silent = command.silent;
  run.rollback = command.rollback;
  if (!command.silent && !remvex::PassInstanceGuard()) win::ExitProcess(0);
  const remvex::StartSettings settings = remvex::ReadStartSettings(run.iniPath);
  win::HINSTANCE instance = win::GetModuleHandle(nullptr);
  remvex::CreateTitleFont(instance, settings);
  const bool shown = !command.silent && !command.secondStage && !settings.noBackground;
  if (!remvex::RegisterMainClass(instance) ||
      !remvex::CreateMainWindow(instance, win::SW_SHOWNORMAL, command.title ? &*command.title : nullptr, shown))
    win::ExitProcess(0);
  win::HWND window = remvex::MainWindow();
  run.mainWindow = window;

  if (command.secondStage && !command.logPath.empty()) {
    remvex::RunSecondStage(window, command.logPath);
    remvex::EndMainWindow(window);
    remvex::FreeTitleFont();
    win::ExitProcess(0);
  }

  win::SetErrorMode(win::SEM_NOOPENFILEERRORBOX);
  remvex::DialogLibrary dialogs;
  dialogs.Load(instance, run.newShell);
  run.dialogLibrary = dialogs.present();
  remvex::SharedFileQuestion() = remvex::AskSharedFile;
  std::string logPath = command.logPath;
  if (logPath.empty()) logPath = askLogPath(window, run.iniPath);
  std::string logDirectory;
  if (!logPath.empty()) logDirectory = normalRun(window, logPath, command.title.has_value(), dialogs);
  remvex::EndMainWindow(window);
  remvex::FreeTitleFont();
  dialogs.Release(instance);
  endOfRun(module, tempCopy, noTemporaryCopy, logDirectory);
  win::ExitProcess(0);
}
