// Checks that requests left no lock file or temporary file behind.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace cvlm_testing {

// The "*.lck" and "*.tmp" files below dir, as paths relative to it, sorted.
inline std::vector<std::string> lockAndTemporaryFiles(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string n = e.path().filename().string();
    if (n.ends_with(".lck") || n.ends_with(".tmp")) found.push_back(std::filesystem::relative(e.path(), dir).string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// True when no "*.lck" or "*.tmp" file lies anywhere below dir.
inline bool noLockOrTempFiles(const std::string& dir) { return lockAndTemporaryFiles(dir).empty(); }

}  // namespace cvlm_testing
