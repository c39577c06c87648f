// Children of this process: started with the layer's variables (state
// directory, command line, module path, current directory, environment view),
// recorded in the proc table before they run, reaped when first seen ended.
#include "child_process.h"

#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "environment_view.h"
#include "host_files.h"
#include "platform/state_dir.h"
#include "spawn.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/process.h"

namespace win {

namespace {

int openExitFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

DWORD exitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
  return kLostExitCode;
}

DWORD startError(int error) {
  switch (error) {
    case ENOEXEC:
    case ENOENT:
    case ELIBBAD:
    case ENOTDIR:
      return ERROR_BAD_EXE_FORMAT;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    default:
      return errorFromErrno(error);
  }
}

std::vector<std::string> childEnvironment(const StartRequest& r, const std::string& stateDir) {
  auto env = hostEnvironmentWithout({platform::kStateDirVariable, kCurrentDirVariable, kModulePathVariable,
                                     kCommandLineVariable, kEnvironmentVariable});
  env.push_back(std::string(platform::kStateDirVariable) + "=" + stateDir);
  env.push_back(std::string(kCurrentDirVariable) + "=" + r.directory.text());
  env.push_back(std::string(kModulePathVariable) + "=" + r.program.windowsPath);
  env.push_back(std::string(kCommandLineVariable) + "=" + r.commandLine);
  env.push_back(std::string(kEnvironmentVariable) + "=" + EnvironmentView::encode(r.environment));
  return env;
}

void writeStart(Machine& m, const StartRequest& r, const std::vector<std::string>& argv) {
  JsonArray args;
  for (const auto& a : argv) args.add(a);
  m.transcript().write("process-start", JsonObject()
                                            .add("module", r.program.windowsPath)
                                            .add("cmdline", r.commandLine)
                                            .add("argv", args)
                                            .add("cwd", r.directory.text()));
}

}  // namespace

Child::Child(Machine& machine, pid_t pid, std::string module)
    : machine_(machine), pid_(pid), module_(std::move(module)), exitFd_(openExitFd(pid)), code_(STILL_ACTIVE) {}

Child::~Child() {
  if (exitFd_ >= 0) ::close(exitFd_);
  // Reaped silently when it is done (the transcript only has the exits someone observed); a
  // running child is left to run, as on Windows.
  int status = 0;
  if (!ended_) ::waitpid(pid_, &status, WNOHANG);
}

void Child::record(int status) {
  ended_ = true;
  code_ = exitCodeOf(status);
  machine_.transcript().write("process-exit", JsonObject().add("module", module_).add("code", code_));
}

bool Child::ended() {
  std::lock_guard lock(mutex_);
  if (ended_) return true;
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid_, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == pid_) {
    record(status);
  } else if (r < 0 && errno == ECHILD) {  // reaped by someone else: the code is lost
    ended_ = true;
    code_ = kLostExitCode;
  }
  return ended_;
}

DWORD Child::exitCode() {
  ended();
  std::lock_guard lock(mutex_);
  return code_;
}

bool Child::terminate(DWORD code) {
  std::lock_guard lock(mutex_);
  if (ended_) return false;
  ::kill(pid_, SIGKILL);
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid_, &status, 0);
  while (r < 0 && errno == EINTR);
  if (r == pid_ && WIFEXITED(status)) {  // it ended on its own first
    record(status);
    return true;
  }
  ended_ = true;
  code_ = code;
  machine_.transcript().write("process-exit", JsonObject().add("module", module_).add("code", code_));
  return true;
}

std::shared_ptr<Child> startChild(const StartRequest& request, DWORD* error) {
  Machine& m = machine();
  const std::string& host = request.program.hostPath;
  if (!isHostExecutableImage(host)) {
    *error = isHostFile(host) ? ERROR_BAD_EXE_FORMAT : ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  makeHostExecutable(host);
  auto dir = mapToHost(request.directory);
  SpawnRequest spawn{host, splitCommandLine(request.commandLine), childEnvironment(request, m.stateDir()),
                     dir && dir->exists() ? dir->host : ""};
  int failure = 0;
  pid_t recorded = -1;
  // The table entry and the start line come before the child runs, so that its own lines follow.
  pid_t pid = spawnProgram(
      spawn,
      [&](pid_t p) {
        recorded = p;
        m.processTable().add(p, host, request.program.windowsPath);  // a start goes on without an entry
        writeStart(m, request, spawn.argv);
        return true;
      },
      &failure);
  if (pid < 0) {
    *error = startError(failure);
    if (recorded > 0) {
      m.processTable().remove(recorded);
      m.transcript().write("process-start-failed",
                           JsonObject().add("module", request.program.windowsPath).add("error", *error));
    }
    return nullptr;
  }
  return std::make_shared<Child>(m, pid, request.program.windowsPath);
}

std::shared_ptr<Child> childOfHandle(HANDLE handle) {
  auto object = machine().kernelHandles().findObject(handleValue(handle));
  if (auto p = std::dynamic_pointer_cast<ProcessObject>(object)) return p->child;
  if (auto t = std::dynamic_pointer_cast<ThreadObject>(object)) return t->child;
  return nullptr;
}

}  // namespace win
