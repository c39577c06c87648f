// Test helper: runs a program in a chosen directory with its standard output
// and error captured to files, and stops it with a bounded wait.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace platform_testing {

class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::string& workingDir,
               std::vector<std::pair<std::string, std::string>> env = {},
               std::vector<std::string> args = {})
      : outPath_(workingDir + "/.child.stdout." + std::to_string(counter())),
        errPath_(workingDir + "/.child.stderr." + std::to_string(counter())) {
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(workingDir.c_str()) != 0) ::_exit(126);
      int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, 1);
      ::dup2(err, 2);
      for (auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (running()) {
      ::kill(pid_, SIGKILL);
      int st;
      ::waitpid(pid_, &st, 0);
    }
    ::unlink(outPath_.c_str());
    ::unlink(errPath_.c_str());
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running() {
    if (exited_) return false;
    int st;
    pid_t r = ::waitpid(pid_, &st, WNOHANG);
    if (r == pid_) record(st);
    return !exited_;
  }
  // Waits at most timeoutMs for the exit; returns the exit status, or -1 while running.
  int waitExit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return exited_ ? status_ : -1;
  }
  void signal(int sig) { ::kill(pid_, sig); }

  std::string stdoutText() const { return slurp(outPath_); }
  std::string stderrText() const { return slurp(errPath_); }

 private:
  static int counter() {
    static int n = 0;
    return ++n;
  }
  static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void record(int st) {
    exited_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }

  std::string outPath_, errPath_;
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = -1;
};

// Polls cond every 10 ms for at most timeoutMs.
template <typename Cond>
bool eventually(Cond cond, int timeoutMs = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return cond();
}

}  // namespace platform_testing
