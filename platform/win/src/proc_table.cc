// The process table: one file per process, "<pid> <start> <dev> <ino>
// <program> <module>" separated by tabs, written whole (temporary + rename).
// A pid counts as live while it exists, is no zombie and has the same start time.
#include "win/proc_table.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/text.h"

namespace win {

namespace {

struct StatFields {
  char state = 0;
  std::uint64_t startTime = 0;
};

// State and start time from /proc/<pid>/stat (after the parenthesised command name).
std::optional<StatFields> readStat(pid_t pid) {
  std::string text;
  if (!platform::readWholeFile("/proc/" + std::to_string(pid) + "/stat", text)) return std::nullopt;
  auto close = text.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream in(text.substr(close + 1));
  StatFields f;
  std::string skip;
  in >> f.state;
  for (int field = 4; field < 22 && in; ++field) in >> skip;  // fields 4..21
  in >> f.startTime;
  if (!in) return std::nullopt;
  return f;
}

std::optional<ProcessEntry> parseEntry(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  auto f = platform::splitFields(line, '\t');
  if (f.size() != 6) return std::nullopt;
  ProcessEntry e;
  char* end = nullptr;
  e.pid = static_cast<pid_t>(std::strtol(f[0].c_str(), &end, 10));
  if (*end || e.pid <= 0) return std::nullopt;
  e.startTime = std::strtoull(f[1].c_str(), nullptr, 10);
  e.device = std::strtoull(f[2].c_str(), nullptr, 10);
  e.inode = std::strtoull(f[3].c_str(), nullptr, 10);
  e.hostProgram = f[4];
  e.modulePath = f[5];
  return e;
}

bool fileId(const std::string& path, std::uint64_t& device, std::uint64_t& inode) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return false;
  device = static_cast<std::uint64_t>(st.st_dev);
  inode = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

std::string uniqueTempName(const std::string& dir) {
  static std::atomic<unsigned> counter{0};
  return dir + "/.tmp." + std::to_string(::getpid()) + "." + std::to_string(++counter);
}

}  // namespace

std::uint64_t processStartTime(pid_t pid) {
  auto f = readStat(pid);
  return f ? f->startTime : 0;
}

bool processAlive(pid_t pid, std::uint64_t startTime) {
  if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return false;
  auto f = readStat(pid);
  if (!f || f->state == 'Z' || f->state == 'X') return false;
  return startTime == 0 || f->startTime == startTime;
}

ProcessTable::ProcessTable(std::string dir) : dir_(std::move(dir)) {}

std::string ProcessTable::entryPath(pid_t pid) const { return dir_ + "/" + std::to_string(pid); }

bool ProcessTable::add(pid_t pid, const std::string& hostProgram, const std::string& modulePath) {
  if (hostProgram.find_first_of("\t\n") != std::string::npos || modulePath.find_first_of("\t\n") != std::string::npos)
    return false;
  std::uint64_t start = processStartTime(pid);
  std::uint64_t device = 0, inode = 0;
  if (start == 0 || !fileId(hostProgram, device, inode)) return false;
  std::error_code ec;
  std::filesystem::create_directories(dir_, ec);
  std::string line = std::to_string(pid) + "\t" + std::to_string(start) + "\t" + std::to_string(device) + "\t" +
                     std::to_string(inode) + "\t" + hostProgram + "\t" + modulePath + "\n";
  return platform::writeFileAtomic(entryPath(pid), line, uniqueTempName(dir_));
}

void ProcessTable::remove(pid_t pid) { ::unlink(entryPath(pid).c_str()); }

bool ProcessTable::contains(pid_t pid) {
  for (const auto& e : live())
    if (e.pid == pid) return true;
  return false;
}

std::vector<ProcessEntry> ProcessTable::live() {
  std::vector<ProcessEntry> out;
  DIR* d = ::opendir(dir_.c_str());
  if (!d) return out;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d))
    if (e->d_name[0] >= '0' && e->d_name[0] <= '9') names.emplace_back(e->d_name);
  ::closedir(d);
  for (const auto& name : names) {
    std::string text;
    if (!platform::readWholeFile(dir_ + "/" + name, text)) continue;  // removed meanwhile
    auto entry = parseEntry(text);
    if (entry && std::to_string(entry->pid) == name && processAlive(entry->pid, entry->startTime)) {
      out.push_back(*entry);
    } else {
      ::unlink((dir_ + "/" + name).c_str());
    }
  }
  std::sort(out.begin(), out.end(), [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
  return out;
}

bool ProcessTable::inUse(const std::string& hostProgram) { return liveCount(hostProgram) > 0; }

int ProcessTable::liveCount(const std::string& hostProgram) {
  std::uint64_t device = 0, inode = 0;
  if (!fileId(hostProgram, device, inode)) return 0;
  int n = 0;
  for (const auto& e : live())
    if (e.device == device && e.inode == inode) ++n;
  return n;
}

bool ProcessTable::waitNoProcess(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    bool others = false;
    for (const auto& e : live())
      if (e.pid != ::getpid()) others = true;
    if (!others) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace win
