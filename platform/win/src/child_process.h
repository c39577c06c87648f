// A process the layer started, as its handles see it: the pid, its exit code
// once it ended (reaped then, and its exit written to the transcript), and
// the start itself (program checks, the child's variables, the proc table).
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "program_search.h"
#include "win/handles.h"
#include "win/machine.h"

namespace win {

class Child {
 public:
  Child(Machine& machine, pid_t pid, std::string module);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // A descriptor that turns readable when the process ends (-1 when the host has none).
  int exitFd() const { return exitFd_; }
  // True once the process ended (it is reaped on the first look that finds it ended).
  bool ended();
  // The exit code, or STILL_ACTIVE.
  DWORD exitCode();
  // Kills the process with the given exit code; false when it had ended already.
  bool terminate(DWORD code);

 private:
  void record(int status);  // under mutex_
  Machine& machine_;
  pid_t pid_;
  std::string module_;
  int exitFd_ = -1;
  std::mutex mutex_;
  bool ended_ = false;
  DWORD code_;
};

// The handles CreateProcess gives; both stand for the same child.
struct ProcessObject : HandleObject {
  explicit ProcessObject(std::shared_ptr<Child> c) : child(std::move(c)) {}
  std::shared_ptr<Child> child;
};
struct ThreadObject : HandleObject {
  explicit ThreadObject(std::shared_ptr<Child> c) : child(std::move(c)) {}
  std::shared_ptr<Child> child;
};

struct StartRequest {
  ProgramFile program;
  std::string commandLine;                                      // the child's exact command line
  WinPath directory;                                            // its current directory (exists)
  std::vector<std::pair<std::string, std::string>> environment;  // its environment view
};

// Starts a program; null with *error (ERROR_BAD_EXE_FORMAT for anything but a host executable).
std::shared_ptr<Child> startChild(const StartRequest& request, DWORD* error);

// The child a process or thread handle stands for; null when it is neither.
std::shared_ptr<Child> childOfHandle(HANDLE handle);

}  // namespace win
