// SelfRegister's pass over the queue: the current directory moves to each
// file's directory, the file registers by its kind, the result is logged, and
// the directory the run had is restored at the end.
#include "files/self_register.h"

#include <string>

#include "entry/main_state.h"
#include "entry/support_files.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "files/versions.h"
#include "log/install_log.h"
#include "merl/outside_libraries.h"
#include "system/wait_process.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "ui/message_dlg.h"
#include "win/library.h"
#include "win/process.h"
#include "win/system.h"

namespace merl {

namespace {

inline constexpr char kProgramEnding[] = "EXE";
inline constexpr char kRegisterSwitch[] = " /REGSERVER";

std::string quoted(std::string_view text) { return '"' + std::string(text) + '"'; }

bool endsWithExe(std::string_view path) {
  if (path.size() < 3) return false;
  return win::lstrcmpi(std::string(path.substr(path.size() - 3)).c_str(), kProgramEnding) == 0;
}

// The directory of path, a root keeping its backslash.
std::string directoryOf(std::string_view path) {
  std::size_t cut = lastBackslash(path);
  if (cut == std::string_view::npos) return {};
  std::string directory(path.substr(0, cut));
  if (directory.size() < pathRoot(path).size()) directory = pathRoot(path);
  return directory;
}

// Starts commandLine in the current directory; the process handle, or null when it did not start.
win::HANDLE startProgram(std::string commandLine) {
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  win::PROCESS_INFORMATION info{};
  if (!win::CreateProcess(nullptr, commandLine.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr, &startup,
                          &info))
    return nullptr;
  win::CloseHandle(info.hThread);
  return info.hProcess;
}

// A program registers itself with "/REGSERVER"; started is registered.
bool registerProgram(const char* path) {
  win::HANDLE process = startProgram(quoted(path) + kRegisterSwitch);
  if (!process) return false;
  WaitForProcess(process);
  win::CloseHandle(process);
  return true;
}

// The support program registers a PE module and says so by exit code 0.
bool registerThroughSupport(const char* path) {
  const std::string& support = mainState().supportPaths[kSupportSelfRegister];
  if (support.empty()) return false;
  win::HANDLE process = startProgram(quoted(support) + ' ' + quoted(path));
  if (!process) return false;
  UpdateScreen(0);
  WaitForProcess(process);
  DWORD code = 1;
  if (!win::GetExitCodeProcess(process, &code)) code = 1;
  win::CloseHandle(process);
  return code == 0;
}

// The module's own "DllRegisterServer", with the module and OC25.DLL loaded while OLE is ready.
bool registerWithOleReady(const char* path) {
  win::HMODULE controls = win::LoadLibrary(kOleControlsLibrary);
  win::HMODULE module = win::LoadLibrary(path);
  auto registerServer = module ? win::procAddress<RegisterServerProc>(module, kRegisterServerExport) : nullptr;
  bool registered = registerServer && registerServer() == 0;
  if (module) win::FreeLibrary(module);
  if (controls) win::FreeLibrary(controls);
  return registered;
}

bool registerThroughOle(const char* path) {
  win::HMODULE ole = win::LoadLibrary(kOleLibrary);
  if (!ole) return false;
  bool registered = false;
  auto initialize = win::procAddress<OleInitializeProc>(ole, kOleInitializeExport);
  if (initialize && initialize(nullptr) == 0) {
    registered = registerWithOleReady(path);
    if (auto uninitialize = win::procAddress<OleUninitializeProc>(ole, kOleUninitializeExport)) uninitialize();
  }
  win::FreeLibrary(ole);
  return registered;
}

bool registerFile(const char* path) {
  if (endsWithExe(path)) return registerProgram(path);
  if (IsPeFile(path)) return registerThroughSupport(path);
  return registerThroughOle(path);
}

void showPath(const char* path) {
  SetupRec* setup = run().setup();
  const char* title = scriptMessage(kSelfRegisterTitle);
  MessageDlg(setup ? setup->mainWindow : nullptr, path, title ? title : "", kMsgNoCancel);
}

void registerEntry(const char* path) {
  SetCurrentDir(directoryOf(path).c_str());
  UpdateScreen(0);
  if (mainState().showSelfRegistered) showPath(path);
  bool registered = registerFile(path);
  LogLine(std::string(registered ? kSelfRegisteredLine : kNotSelfRegisteredLine) + path);
}

}  // namespace

SelfRegisterQueue& selfRegisterQueue() { return run().state<SelfRegisterQueue>(); }

bool QueueSelfRegister(const char* path) {
  std::array<char, kSelfRegisterEntrySize> entry{};
  copyText(entry.data(), entry.size(), path ? path : "");
  MakeFullPath(entry.data(), false);
  SelfRegisterQueue& queue = selfRegisterQueue();
  if (queue.entries.size() >= kSelfRegisterLimit) {
    LogLine(std::string(kNotSelfRegisteredLine) + entry.data());
    return false;
  }
  queue.entries.push_back(entry);
  return true;
}

void SelfRegister() {
  SelfRegisterQueue& queue = selfRegisterQueue();
  if (queue.entries.empty()) return;
  char saved[kPathBufferSize] = {};
  DWORD kept = win::GetCurrentDirectory(sizeof saved, saved);
  std::vector<std::array<char, kSelfRegisterEntrySize>> entries;
  entries.swap(queue.entries);
  for (const auto& entry : entries) registerEntry(entry.data());
  if (kept > 0 && kept < sizeof saved) win::SetCurrentDirectory(saved);
}

}  // namespace merl
