// undo_bench: a silent uninstall (log read and undo) of generated logs with N
// entries in each of four lists (files, directories, INI entries, registry
// keys), beside a baseline that makes the same machine calls directly. Each
// size runs in its own child process so its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "log/log_reader.h"
#include "run_state.h"
#include "undo/perform_uninstall.h"
#include "win/error.h"
#include "win/files.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win_testing/test_machine.h"

namespace {

using Clock = std::chrono::steady_clock;
using win_testing::TestMachine;

std::string file(int k) { return "C:\\APP\\D" + std::to_string(k) + "\\F" + std::to_string(k) + ".TXT"; }
std::string dir(int k) { return "C:\\APP\\D" + std::to_string(k); }
std::string key(int k) { return "Software\\Bench\\K" + std::to_string(k); }

// The machine state the installation left: files, INI values and keys.
void seed(TestMachine& m, int n) {
  std::string ini = "[s]\r\n";
  for (int k = 0; k < n; ++k) {
    m.makeFile("APP/D" + std::to_string(k) + "/F" + std::to_string(k) + ".TXT", "x");
    ini += "i" + std::to_string(k) + "=new\r\n";
    win::HKEY h = nullptr;
    win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, key(k).c_str(), 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &h,
                        nullptr);
    win::RegSetValueEx(h, "V", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>("1"), 2);
    win::RegCloseKey(h);
  }
  m.makeFile("APP/DEMO.INI", ini);
}

std::string log(int n) {
  std::string out = "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Bench\r\nMade Dir: C:\\APP\r\n";
  for (int k = 0; k < n; ++k) {
    out += "Made Dir: " + dir(k) + "\r\nFile Copy: " + file(k) + "\r\n";
    out += "INI File: C:\\APP\\DEMO.INI\r\nINI Sect: s\r\nINI Item: i" + std::to_string(k) +
           "\r\nINI Val: new\r\nINI Old: old\r\n";
    out += "RegDB Key: " + key(k) + "\r\nRegDB Val: 1\r\nRegDB Name: V\r\nRegDB Root: 2\r\n";
  }
  return out;
}

// The same calls without the uninstaller: delete, write back, remove.
void baseline(int n) {
  for (int k = 0; k < n; ++k) win::DeleteFile(file(k).c_str());
  for (int k = 0; k < n; ++k)
    win::WritePrivateProfileString("s", ("i" + std::to_string(k)).c_str(), "old", "C:\\APP\\DEMO.INI");
  for (int k = 0; k < n; ++k) win::RemoveDirectory(dir(k).c_str());
  for (int k = n - 1; k >= 0; --k) win::RegDeleteKey(win::HKEY_LOCAL_MACHINE, key(k).c_str());
}

double uninstall(int n) {
  TestMachine m;
  seed(m, n);
  m.makeFile("APP/INSTALL.LOG", log(n));
  remvex::Run() = remvex::RunState();
  remvex::Run().silent = remvex::Run().automatic = true;
  remvex::Run().platform = 1;
  remvex::Run().newShell = true;
  auto start = Clock::now();
  remvex::ReaderSettings settings;
  remvex::LogState state;
  if (remvex::ReadInstallLog("C:\\APP\\INSTALL.LOG", settings, state) != 0) std::exit(2);
  remvex::PerformUninstall("C:\\APP\\INSTALL.LOG", state);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double direct(int n) {
  TestMachine m;
  seed(m, n);
  auto start = Clock::now();
  baseline(n);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs f(n) in a child; its seconds and peak resident KiB.
std::pair<double, long> measured(double (*f)(int), int n) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) std::exit(1);
  pid_t pid = fork();
  if (pid == 0) {
    double seconds = f(n);
    if (write(pipeFds[1], &seconds, sizeof seconds) != sizeof seconds) _exit(1);
    _exit(0);
  }
  close(pipeFds[1]);
  double seconds = -1;
  if (read(pipeFds[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1;
  close(pipeFds[0]);
  int status = 0;
  struct rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {seconds, usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {500, 2000, 4000};
  if (argc > 1) sizes = {std::atoi(argv[1])};
  std::printf("%8s %12s %12s %8s %14s %14s\n", "entries", "uninstall s", "baseline s", "cost", "uninstall KiB",
              "baseline KiB");
  for (int n : sizes) {
    auto [u, uMem] = measured(uninstall, n);
    auto [b, bMem] = measured(direct, n);
    std::printf("%8d %12.3f %12.3f %8.2f %14ld %14ld\n", n, u, b, b > 0 ? u / b : 0.0, uMem, bMem);
  }
  return 0;
}
