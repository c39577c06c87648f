// The programs and libraries the process and library tests install on the
// emulated drive: the probe (see probe.cc) and the test library, and a reader
// for what a probe wrote.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "win_testing/test_machine.h"

namespace win_tests {

// Copies a built program or library to a host path, creating its directories.
inline void install(const std::string& built, const std::string& host) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(host).parent_path(), ec);
  std::filesystem::copy_file(built, host, std::filesystem::copy_options::overwrite_existing, ec);
}

// Installs the probe at a path below drive C ("App/probe.exe").
inline void installProbe(win_testing::TestMachine& m, const std::string& relative) {
  install(IDS_WIN_PROBE, m.hostC(relative));
}

// Installs the test library at a path below drive C.
inline void installTestLibrary(win_testing::TestMachine& m, const std::string& relative) {
  install(IDS_WIN_TEST_LIBRARY, m.hostC(relative));
}

// What a probe wrote: every "key=value" line, in order, by key.
struct ProbeOutput {
  std::multimap<std::string, std::string> values;
  std::string get(const std::string& key) const {
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  }
  std::vector<std::string> all(const std::string& key) const {
    std::vector<std::string> out;
    for (auto [it, end] = values.equal_range(key); it != end; ++it) out.push_back(it->second);
    return out;
  }
};

inline ProbeOutput readProbe(const std::string& host) {
  ProbeOutput out;
  std::string text;
  if (!platform::readWholeFile(host, text)) return out;
  std::size_t at = 0;
  while (at < text.size()) {
    auto end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    auto eq = line.find('=');
    if (eq != std::string::npos) out.values.emplace(line.substr(0, eq), line.substr(eq + 1));
    at = end + 1;
  }
  return out;
}

}  // namespace win_tests

