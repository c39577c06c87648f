// Test helper: the built uninstaller installed on an emulated drive and run
// through the layer's CreateProcess, with the machine's transcript read back.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "win/files.h"
#include "win/process.h"
#include "win_testing/test_machine.h"

namespace remvex_tests {

// The machine.ini lines that give every machine a transcript and an answers file.
inline constexpr const char* kUiIni = "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n";

// Copies a built program to a host path, creating its directories.
inline void install(const std::string& built, const std::string& host) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(host).parent_path(), ec);
  std::filesystem::copy_file(built, host, std::filesystem::copy_options::overwrite_existing, ec);
}

// A started process; finish() waits for it and gives its exit code.
struct Running {
  bool ok = false;
  win::PROCESS_INFORMATION info{};

  win::DWORD finish() {
    if (!ok) return 0xFFFFFFFF;
    EXPECT_EQ(win::WaitForSingleObject(info.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
    win::DWORD code = 0;
    win::GetExitCodeProcess(info.hProcess, &code);
    win::CloseHandle(info.hProcess);
    win::CloseHandle(info.hThread);
    ok = false;
    return code;
  }
};

inline Running start(const std::string& commandLine) {
  Running r;
  std::string line = commandLine;
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  r.ok = win::CreateProcess(nullptr, line.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr, &startup,
                            &r.info);
  EXPECT_TRUE(r.ok) << commandLine;
  return r;
}

// Runs a command line to its end; the exit code.
inline win::DWORD run(const std::string& commandLine) { return start(commandLine).finish(); }

// The transcript lines that hold every one of parts.
inline std::vector<std::string> transcriptLines(const win_testing::TestMachine& m,
                                                const std::vector<std::string>& parts) {
  std::vector<std::string> out;
  const std::string text = win_testing::TestMachine::readText(m.stateDir() + "/t.jsonl");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    bool all = true;
    for (const auto& p : parts) all = all && line.find(p) != std::string::npos;
    if (all) out.push_back(line);
    start = end + 1;
  }
  return out;
}

// Waits (bounded) until a host file is not empty.
inline bool waitForContent(const std::string& path, int timeoutMs = 20000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (win_testing::TestMachine::readText(path).empty()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace remvex_tests
