// The machine's process table: <state>/proc/<pid>, one file per live process of
// the machine, written by the parent at spawn or by the process itself. Ended,
// zombie and reused pids count as gone and their entries are swept.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win {

struct ProcessEntry {
  pid_t pid = 0;
  std::uint64_t startTime = 0;  // the kernel's start time of the pid (guards reuse)
  std::uint64_t device = 0;     // the program file's device and inode
  std::uint64_t inode = 0;
  std::string hostProgram;      // host path of the program file
  std::string modulePath;       // its Windows module path ("" when unknown)
};

class ProcessTable {
 public:
  // The table kept in directory dir.
  explicit ProcessTable(std::string dir);

  // Records a running process and the program file it runs; false when it cannot be recorded.
  bool add(pid_t pid, const std::string& hostProgram, const std::string& modulePath);
  // Removes a process's entry.
  void remove(pid_t pid);
  // True when pid has a live entry.
  bool contains(pid_t pid);
  // The live entries (pid order); entries of ended processes are removed.
  std::vector<ProcessEntry> live();
  // True when a live process runs the host program file (same file, whatever its name now).
  bool inUse(const std::string& hostProgram);
  // Number of live processes running the host program file.
  int liveCount(const std::string& hostProgram);
  // Waits until no process but the caller is live; false after timeoutMs.
  bool waitNoProcess(int timeoutMs);

 private:
  std::string entryPath(pid_t pid) const;
  std::string dir_;
};

// True while pid runs and is no zombie; startTime, when nonzero, must match the pid's.
bool processAlive(pid_t pid, std::uint64_t startTime = 0);
// The kernel's start time of pid (0 when it has none).
std::uint64_t processStartTime(pid_t pid);

}  // namespace win
