#include "interp/execute_record.h"

#include <string>

#include "files/file_utils.h"
#include "files/paths.h"
#include "interp/abort_message.h"
#include "system/wait_process.h"
#include "win/files.h"
#include "win/process.h"

namespace merl {

namespace {

inline constexpr BYTE kMaximized = 0x01;
inline constexpr BYTE kWait = 0x02;
inline constexpr BYTE kMinimized = 0x04;

int showMode(BYTE flags) {
  if (flags & kMaximized) return 3;
  if (flags & kMinimized) return 2;
  return 1;
}

win::HANDLE startWithShell(const std::string& program, const std::string& arguments, const std::string& directory,
                           int show) {
  win::SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = win::SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = run().setup() ? run().setup()->mainWindow : nullptr;
  info.lpFile = program.c_str();
  info.lpParameters = arguments.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = show;
  if (!win::ShellExecuteEx(&info)) return nullptr;
  return info.hProcess;
}

win::HANDLE startProcess(const std::string& program, const std::string& arguments, const std::string& directory,
                         int show) {
  // The quoted program, a blank and the arguments: each of them holds at most 255 bytes.
  std::string line = "\"" + program + "\" " + arguments;
  if (line.size() >= kCommandLineSize) return nullptr;
  char commandLine[kCommandLineSize];
  line.copy(commandLine, line.size());
  commandLine[line.size()] = '\0';
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.wShowWindow = static_cast<WORD>(show);
  win::PROCESS_INFORMATION process{};
  if (!win::CreateProcess(nullptr, commandLine, nullptr, nullptr, false, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &process))
    return nullptr;
  if (process.hThread) win::CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

int ExecuteRecord(const Record& record) {
  BYTE flags = record.flags();
  std::string program = expanded(record.string(0), kTitleSize);
  std::string arguments = expanded(record.string(1), kTitleSize);
  std::string directory = expanded(record.string(2), kTitleSize);
  if (program.empty()) std::swap(program, arguments);
  if (!directory.empty()) {
    char full[kPathBufferSize];
    directory.copy(full, directory.size());
    full[directory.size()] = '\0';
    if (MakeFullPath(full, false)) directory = full;
    SetCurrentDir(directory.c_str());
  }
  if (program.find('\\') != std::string::npos) {
    char full[kPathBufferSize];
    program.copy(full, program.size());
    full[program.size()] = '\0';
    if (MakeFullPath(full, false)) program = full;
  }
  const PlatformFlags& p = run().platform;
  win::HANDLE process = p.win32 && p.majorAbove3 ? startWithShell(program, arguments, directory, showMode(flags))
                                                 : startProcess(program, arguments, directory, showMode(flags));
  if (!process) {
    ShowAbortMessage(kMessageCannotRun, program);
    return run().runState == kStateTest ? kNextRecord : kAbort;
  }
  if (flags & kWait) WaitForProcess(process);
  win::CloseHandle(process);
  return kNextRecord;
}

}  // namespace merl
