// The per-program instance counter in <state>/instances.txt, one line per
// program file: "device<TAB>inode<TAB>value<TAB>pid:start,..." naming the
// processes of the file alive at the last change. When none of them runs any
// more, the file's last process has ended and the value starts again at -1.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "host_files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "state_file.h"
#include "win/constants.h"
#include "win/machine.h"
#include "win/process.h"

namespace win {

namespace {

struct CounterLine {
  std::uint64_t device = 0, inode = 0;
  LONG value = -1;
  std::vector<std::pair<pid_t, std::uint64_t>> holders;  // pid and start time
};

std::optional<CounterLine> parseLine(const std::string& line) {
  auto f = platform::splitFields(line, '\t');
  if (f.size() != 4) return std::nullopt;
  CounterLine c;
  c.device = std::strtoull(f[0].c_str(), nullptr, 10);
  c.inode = std::strtoull(f[1].c_str(), nullptr, 10);
  c.value = static_cast<LONG>(std::strtol(f[2].c_str(), nullptr, 10));
  for (const auto& h : platform::splitFields(f[3], ',')) {
    auto colon = h.find(':');
    if (colon == std::string::npos) continue;
    c.holders.emplace_back(static_cast<pid_t>(std::strtol(h.c_str(), nullptr, 10)),
                           std::strtoull(h.c_str() + colon + 1, nullptr, 10));
  }
  return c;
}

std::string formatLine(const CounterLine& c) {
  std::string holders;
  for (const auto& [pid, start] : c.holders)
    holders += (holders.empty() ? "" : ",") + std::to_string(pid) + ":" + std::to_string(start);
  return std::to_string(c.device) + "\t" + std::to_string(c.inode) + "\t" + std::to_string(c.value) + "\t" + holders +
         "\n";
}

bool anyAlive(const CounterLine& c) {
  return std::any_of(c.holders.begin(), c.holders.end(), [](const auto& h) { return processAlive(h.first, h.second); });
}

// Adds delta to the calling program's counter and returns the new value.
LONG changeInstanceCount(LONG delta) {
  Machine& m = machine();
  std::string program = platform::programPath();
  auto id = hostFileId(program);
  if (!id) return delta - 1;  // no file to share with: a private counter from -1
  CounterLine mine{id->first, id->second, -1, {}};
  for (const auto& e : m.processTable().live())
    if (e.device == mine.device && e.inode == mine.inode) mine.holders.emplace_back(e.pid, e.startTime);
  if (std::none_of(mine.holders.begin(), mine.holders.end(), [](const auto& h) { return h.first == ::getpid(); }))
    mine.holders.emplace_back(::getpid(), processStartTime(::getpid()));
  LONG result = delta - 1;
  updateStateFile(m.stateDir() + "/" + kInstancesFileName, [&](std::string& text) {
    std::istringstream in(text);
    std::string out, line;
    while (std::getline(in, line)) {
      auto c = parseLine(line);
      if (!c) continue;
      if (c->device == mine.device && c->inode == mine.inode) {
        if (anyAlive(*c)) mine.value = c->value;
      } else if (anyAlive(*c)) {
        out += formatLine(*c);
      }
    }
    mine.value += delta;
    result = mine.value;
    text = out + formatLine(mine);
    return true;
  });
  return result;
}

}  // namespace

LONG incrementInstanceCount() { return changeInstanceCount(1); }

LONG decrementInstanceCount() { return changeInstanceCount(-1); }

}  // namespace win
