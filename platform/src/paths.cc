// The running program's location and the current directory.
#include "platform/paths.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string programPath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  buffer[n] = '\0';
  char real[PATH_MAX];
  if (::realpath(buffer, real)) return real;
  return buffer;
}

std::string directoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool changeToProgramDirectory() {
  std::string dir = directoryOf(programPath());
  if (dir.empty()) return true;  // nothing to change to: stay where we are
  return ::chdir(dir.c_str()) == 0;
}

std::string currentDirectory() {
  char buffer[PATH_MAX];
  if (!::getcwd(buffer, sizeof buffer)) return "";
  return buffer;
}

}  // namespace platform
