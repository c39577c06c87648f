// Checks that a request left no lock file or temporary file behind.
#pragma once

#include <filesystem>
#include <string>

namespace cvlm_testing {

// True when no "*.lck" or "*.tmp" file lies anywhere below dir.
inline bool noLockOrTempFiles(const std::string& dir) {
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string n = e.path().filename().string();
    if (n.ends_with(".lck") || n.ends_with(".tmp")) return false;
  }
  return true;
}

}  // namespace cvlm_testing
