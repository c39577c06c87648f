// Test helpers: a temporary directory removed at the end of a test, and a
// scoped environment variable.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace platform_testing {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ids-test-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Changes the current directory for the life of the object.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCwd() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
  }

 private:
  std::filesystem::path old_;
};

}  // namespace platform_testing
