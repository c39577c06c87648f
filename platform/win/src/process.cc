// CreateProcess, ShellExecuteEx and WinExec over the program search and the
// child starter; waits, exit codes, the process's own command line and exit.
#include "win/process.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

#include "child_process.h"
#include "environment_view.h"
#include "fail.h"
#include "host_files.h"
#include "library_state.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/outside_input.h"

namespace win {

namespace {

constexpr std::size_t kMaxCommandLine = 32767;
constexpr int kPollStepMs = 10;  // when the host gives no exit descriptor

// The process's own command line: the parent's, or the host arguments joined.
struct CommandLineState : MachineState {
  explicit CommandLineState(Machine&) {
    if (const char* inherited = std::getenv(kCommandLineVariable)) {
      line = inherited;
      fromParent = true;
    }
  }
  std::mutex mutex;
  std::string line;  // handed out by GetCommandLine: never changed once joined
  bool fromParent = false;
  bool joined = false;
};

std::vector<std::string> hostArguments() {
  std::string text;
  std::vector<std::string> args;
  if (!platform::readWholeFile("/proc/self/cmdline", text)) return args;
  std::size_t at = 0;
  while (at < text.size()) {
    auto end = text.find('\0', at);
    if (end == std::string::npos) end = text.size();
    args.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return args;
}

std::string joinedCommandLine(Machine& m) {
  auto args = hostArguments();
  std::string module = m.modulePath();
  if (!module.empty()) {
    if (args.empty()) args.push_back(module);
    else args[0] = module;
  }
  return joinCommandLine(args);
}

// The directory a child starts in; nullopt with ERROR_DIRECTORY when it is no directory.
std::optional<WinPath> childDirectory(LPCSTR text) {
  if (!text) return machine().currentDirectory();
  auto path = parsePath(text);
  auto mapped = path ? mapToHost(*path) : std::nullopt;
  if (!mapped || !mapped->exists() || !isHostDirectory(mapped->host)) {
    SetLastError(ERROR_DIRECTORY);
    return std::nullopt;
  }
  path->parts = mapped->names;
  path->trailingSeparator = false;
  return path;
}

void fillInformation(const std::shared_ptr<Child>& child, LPPROCESS_INFORMATION info) {
  auto& handles = machine().kernelHandles();
  info->hProcess = handleFromValue<HANDLE>(handles.add(std::make_shared<ProcessObject>(child)));
  info->hThread = handleFromValue<HANDLE>(handles.add(std::make_shared<ThreadObject>(child)));
  info->dwProcessId = static_cast<DWORD>(child->pid());
  info->dwThreadId = static_cast<DWORD>(child->pid());
}

// Starts the program with the given command line; null with the last error set.
std::shared_ptr<Child> start(const ProgramFile& program, std::string commandLine, LPCSTR directory,
                             LPVOID environment) {
  auto dir = childDirectory(directory);
  if (!dir) return nullptr;
  StartRequest request{program, std::move(commandLine), *dir, {}};
  if (environment) {
    auto vars = EnvironmentView::fromBlock(static_cast<const char*>(environment));
    if (!vars) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    request.environment = std::move(*vars);
  } else {
    request.environment = machine().state<EnvironmentView>().all();
  }
  DWORD error = 0;
  auto child = startChild(request, &error);
  if (!child) SetLastError(error);
  return child;
}

// Waits for the child up to ms (never past the guard); WAIT_OBJECT_0 or WAIT_TIMEOUT.
DWORD waitForChild(Child& child, DWORD ms) {
  using Clock = std::chrono::steady_clock;
  bool guarded = ms == INFINITE || ms > kProcessWaitGuardMs;
  auto deadline = Clock::now() + std::chrono::milliseconds(guarded ? kProcessWaitGuardMs : ms);
  WaitWaker waker;
  for (;;) {
    if (child.ended()) return WAIT_OBJECT_0;
    if (outsideInputPending()) return WAIT_TIMEOUT;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      if (guarded && ms == INFINITE)
        machine().transcript().write("wait-guard", JsonObject().add("ms", kProcessWaitGuardMs));
      return WAIT_TIMEOUT;
    }
    pollfd fds[2] = {{child.exitFd(), POLLIN, 0}, {waker.fd(), POLLIN, 0}};
    int step = child.exitFd() < 0 || waker.fd() < 0 ? std::min<long long>(left, kPollStepMs) : left;
    if (::poll(fds, 2, step) > 0 && (fds[1].revents & POLLIN)) waker.drain();
  }
}

}  // namespace

BOOL CreateProcess(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                   BOOL, DWORD, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA,
                   LPPROCESS_INFORMATION lpProcessInformation) {
  if (!lpProcessInformation || (!lpApplicationName && !lpCommandLine)) return failWith(ERROR_INVALID_PARAMETER);
  std::string line = lpCommandLine ? lpCommandLine : lpApplicationName;
  if (line.size() > kMaxCommandLine) return failWith(ERROR_INVALID_PARAMETER);
  DWORD error = 0;
  auto program = lpApplicationName ? findProgram(lpApplicationName, false, &error) : programOfCommandLine(line, &error);
  if (!program) return failWith(error);
  auto child = start(*program, line, lpCurrentDirectory, lpEnvironment);
  if (!child) return FALSE;
  fillInformation(child, lpProcessInformation);
  return TRUE;
}

BOOL ShellExecuteEx(LPSHELLEXECUTEINFOA info) {
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA)) return failWith(ERROR_INVALID_PARAMETER);
  auto refuse = [&](UINT code, DWORD error) {
    info->hInstApp = handleFromValue<HINSTANCE>(code);
    return failWith(error);
  };
  if (info->lpVerb && *info->lpVerb && !namesEqual(info->lpVerb, "open"))
    return refuse(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
  if (!info->lpFile || !*info->lpFile) return refuse(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  DWORD error = 0;
  auto program = findProgram(info->lpFile, true, &error);
  if (!program) return refuse(error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF, error);
  std::string line = "\"" + program->windowsPath + "\"";
  if (info->lpParameters && *info->lpParameters) line += std::string(" ") + info->lpParameters;
  if (line.size() > kMaxCommandLine) return refuse(SE_ERR_OOM, ERROR_INVALID_PARAMETER);
  auto child = start(*program, line, info->lpDirectory, nullptr);
  if (!child) {
    error = GetLastError();
    UINT code = error == ERROR_BAD_EXE_FORMAT  ? ERROR_BAD_FORMAT
                : error == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED
                                               : SE_ERR_FNF;
    return refuse(code, error);
  }
  info->hInstApp = handleFromValue<HINSTANCE>(33);
  info->hProcess = nullptr;
  if (info->fMask & SEE_MASK_NOCLOSEPROCESS)
    info->hProcess = handleFromValue<HANDLE>(machine().kernelHandles().add(std::make_shared<ProcessObject>(child)));
  return TRUE;
}

UINT WinExec(LPCSTR lpCmdLine, UINT) {
  if (!lpCmdLine) return 0;
  std::string line = lpCmdLine;
  PROCESS_INFORMATION info{};
  if (!CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info)) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return error;
    return error == ERROR_BAD_EXE_FORMAT ? ERROR_BAD_FORMAT : 0;
  }
  machine().kernelHandles().remove(handleValue(info.hProcess));
  machine().kernelHandles().remove(handleValue(info.hThread));
  return 33;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  auto child = childOfHandle(hHandle);
  if (!child) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return waitForChild(*child, dwMilliseconds);
}

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  if (!lpExitCode) return failWith(ERROR_INVALID_PARAMETER);
  if (hProcess == GetCurrentProcess()) {
    *lpExitCode = STILL_ACTIVE;
    return TRUE;
  }
  auto object = machine().kernelHandles().find<ProcessObject>(handleValue(hProcess));
  if (!object) return failWith(ERROR_INVALID_HANDLE);
  *lpExitCode = object->child->exitCode();
  return TRUE;
}

BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  if (hProcess == GetCurrentProcess()) {
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(uExitCode & 0xFF));
  }
  auto object = machine().kernelHandles().find<ProcessObject>(handleValue(hProcess));
  if (!object) return failWith(ERROR_INVALID_HANDLE);
  if (!object->child->terminate(uExitCode)) return failWith(ERROR_ACCESS_DENIED);
  return TRUE;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

void ExitProcess(UINT uExitCode) {
  detachLibrariesAtExit();
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(uExitCode & 0xFF));
}

LPSTR GetCommandLine() {
  Machine& m = machine();
  auto& state = m.state<CommandLineState>();
  std::lock_guard lock(state.mutex);
  if (!state.fromParent && !state.joined) {
    state.line = joinedCommandLine(m);
    state.joined = true;
  }
  return state.line.data();
}

bool declareModulePath(std::string_view windowsPath) {
  auto path = parsePath(windowsPath);
  if (!path || path->parts.empty()) return false;
  auto full = longPathName(path->text());
  Machine& m = machine();
  m.setModulePath(full.value_or(path->text()));
  m.processTable().add(::getpid(), platform::programPath(), m.modulePath());
  return true;
}

}  // namespace win
