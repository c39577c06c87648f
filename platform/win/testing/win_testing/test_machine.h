// Test helper: a fresh state directory with the given machine.ini ("$STATE" in
// the text stands for the directory), and the machine over it for the life of
// the object. Host files under the drives are made with makeFile.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

#include "platform_testing/temp_dir.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/machine.h"

namespace win_testing {

// The outcome of a call that returned ok: ERROR_SUCCESS, else the last error.
inline win::DWORD errorOf(bool ok) { return ok ? win::ERROR_SUCCESS : win::GetLastError(); }

class TestMachine {
 public:
  explicit TestMachine(std::string ini = "") {
    for (auto at = ini.find("$STATE"); at != std::string::npos; at = ini.find("$STATE", at))
      ini.replace(at, 6, dir_.path());
    writeText(dir_.file(win::kMachineIniName), ini);
    scope_ = std::make_unique<win::MachineScope>(dir_.path());
  }

  // The state directory.
  const std::string& stateDir() const { return dir_.path(); }
  // The host directory of the default drive C.
  std::string driveC() const { return dir_.path() + "/" + win::kDrivesDirName + "/C"; }
  // A host path below the default drive C ("App/a.txt").
  std::string hostC(const std::string& relative) const { return driveC() + "/" + relative; }
  // The machine.
  win::Machine& machine() { return scope_->machine(); }

  // Writes text to a host file, creating its directories.
  static void writeText(const std::string& path, const std::string& text) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream(path, std::ios::binary) << text;
  }
  // The whole text of a host file ("" when it is no file or cannot be read).
  static std::string readText(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return "";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Writes a host file below drive C.
  void makeFile(const std::string& relative, const std::string& text = "") { writeText(hostC(relative), text); }

 private:
  platform_testing::TempDir dir_;
  std::unique_ptr<win::MachineScope> scope_;
};

}  // namespace win_testing
