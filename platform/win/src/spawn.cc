// fork/execve with two close-on-exec pipes: "go" lets the child continue once
// the parent recorded it; "error" carries the errno of a failed chdir/execve
// (it closes without data when execve succeeds). Between fork and execve the
// child only makes async-signal-safe calls on data prepared before the fork.
#include "spawn.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace win {

namespace {

void closePipe(int fds[2]) {
  for (int i = 0; i < 2; ++i)
    if (fds[i] >= 0) ::close(fds[i]);
}

[[noreturn]] void childFails(int errorFd, int error) {
  ssize_t n = ::write(errorFd, &error, sizeof error);
  (void)n;
  ::_exit(127);
}

// The child's side: wait for "go", reset what a program should not inherit, execute.
[[noreturn]] void runChild(const SpawnRequest& request, char* const* argv, char* const* envp, int goFd, int errorFd) {
  char go = 0;
  ssize_t n;
  do n = ::read(goFd, &go, 1);
  while (n < 0 && errno == EINTR);
  if (n != 1) ::_exit(127);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction dfl{};
  dfl.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &dfl, nullptr);
  ::sigaction(SIGCHLD, &dfl, nullptr);
  ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);  // no handle is inherited
  if (!request.directory.empty() && ::chdir(request.directory.c_str()) != 0) childFails(errorFd, errno);
  ::execve(request.program.c_str(), argv, envp);
  childFails(errorFd, errno);
}

std::vector<char*> pointers(const std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (const auto& s : strings) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

// Reads the child's errno, or 0 when the pipe closed empty (it executed).
int readChildError(int fd) {
  int error = 0;
  ssize_t n;
  do n = ::read(fd, &error, sizeof error);
  while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

pid_t spawnProgram(const SpawnRequest& request, const std::function<bool(pid_t)>& recorded, int* error) {
  std::vector<char*> argv = pointers(request.argv);
  std::vector<char*> envp = pointers(request.env);
  int go[2] = {-1, -1}, fail[2] = {-1, -1};
  if (::pipe2(go, O_CLOEXEC) != 0 || ::pipe2(fail, O_CLOEXEC) != 0) {
    *error = errno;
    closePipe(go);
    closePipe(fail);
    return -1;
  }
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(go[1]);
    ::close(fail[0]);
    runChild(request, argv.data(), envp.data(), go[0], fail[1]);
  }
  ::close(go[0]);
  ::close(fail[1]);
  if (pid < 0) {
    *error = errno;
    ::close(go[1]);
    ::close(fail[0]);
    return -1;
  }
  bool proceed = recorded(pid);
  if (proceed) {
    ssize_t n = ::write(go[1], "g", 1);
    (void)n;
  }
  ::close(go[1]);  // without "go" the child ends at once
  int childError = proceed ? readChildError(fail[0]) : ECANCELED;
  ::close(fail[0]);
  if (childError == 0) return pid;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  *error = childError;
  return -1;
}

std::vector<std::string> hostEnvironmentWithout(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (char** e = environ; e && *e; ++e) {
    std::string entry = *e;
    bool drop = false;
    for (const auto& name : names)
      if (entry.compare(0, name.size(), name) == 0 && entry.size() > name.size() && entry[name.size()] == '=')
        drop = true;
    if (!drop) out.push_back(std::move(entry));
  }
  return out;
}

}  // namespace win
