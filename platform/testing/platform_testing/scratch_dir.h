// A fuzz target's scratch working directory: made once per process (removed
// at exit), with the platform state inside it, and emptied before every input.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/notice.h"

namespace platform_testing {

// Makes a scratch directory (removed at exit) with a working directory
// inside it, changes into it, points the platform state there and silences
// operator notices.
inline void enterScratchDirectory(const char* prefix) {
  static std::string scratchDir;
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) std::abort();
  scratchDir = pattern;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(scratchDir, ec);
  });
  std::string work = scratchDir + "/work";
  if (::mkdir(work.c_str(), 0700) != 0 || ::chdir(work.c_str()) != 0) std::abort();
  ::setenv("IDS_PLATFORM_DIR", scratchDir.c_str(), 1);
  platform::setNoticeSink([](const std::string&, const std::string&) {});
}

// Removes everything in the working directory, so a run depends on its input
// alone and no lock file left by one input blocks the next.
inline void emptyWorkingDirectory() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) std::filesystem::remove_all(entry, ec);
}

}  // namespace platform_testing
