// A program for the process tests: writes what it was started with (argv,
// current directory, command line, module path, some variables of the
// environment view) to the host file named by the view's PROBE_OUT, then
// exits with PROBE_EXIT. PROBE_INSTANCE=1 takes the instance counter first;
// PROBE_HOLD names a host file to wait for (at most 20 s) before exiting.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/files.h"
#include "win/files.h"
#include "win/library.h"
#include "win/machine.h"
#include "win/process.h"

namespace {

std::string variable(const char* name) {
  char buffer[4096];
  win::DWORD n = win::GetEnvironmentVariable(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string hostDirectory() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

// Open descriptors beyond standard input, output and error.
int inheritedDescriptors() {
  DIR* d = ::opendir("/proc/self/fd");
  if (!d) return -1;
  int n = 0;
  while (dirent* e = ::readdir(d)) {
    int fd = std::atoi(e->d_name);
    if (e->d_name[0] != '.' && fd > 2 && fd != ::dirfd(d)) ++n;
  }
  ::closedir(d);
  return n;
}

void waitFor(const std::string& hostFile) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!platform::fileExists(hostFile) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "descriptors=" + std::to_string(inheritedDescriptors()) + "\n";
  for (int i = 0; i < argc; ++i) out += "argv=" + std::string(argv[i]) + "\n";
  char module[win::MAX_PATH];
  win::DWORD n = win::GetModuleFileName(nullptr, module, sizeof module);
  out += "module=" + std::string(module, n) + "\n";
  out += "cmdline=" + std::string(win::GetCommandLine()) + "\n";
  char cwd[win::MAX_PATH];
  win::DWORD length = win::GetCurrentDirectory(sizeof cwd, cwd);
  out += "cwd=" + std::string(cwd, length < sizeof cwd ? length : 0) + "\n";
  out += "hostcwd=" + hostDirectory() + "\n";
  for (const char* name : {"COMSPEC", "PATH", "PROBE_MARK"})
    out += "env:" + std::string(name) + "=" + variable(name) + "\n";
  if (variable("PROBE_INSTANCE") == "1") out += "instance=" + std::to_string(win::incrementInstanceCount()) + "\n";
  std::string target = variable("PROBE_OUT");
  if (!target.empty()) platform::writeFileAtomic(target, out, target + ".tmp." + std::to_string(::getpid()));
  std::string hold = variable("PROBE_HOLD");
  if (!hold.empty()) waitFor(hold);
  std::string code = variable("PROBE_EXIT");
  win::ExitProcess(code.empty() ? 0 : static_cast<win::UINT>(std::stoul(code)));
}
