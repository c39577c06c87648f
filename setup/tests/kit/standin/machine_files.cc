// Host-to-machine copies and directory creation over the file layer.
#include "machine_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "constants.h"
#include "win/error.h"
#include "win/files.h"
#include "win/path.h"

namespace merl_standin {

namespace {

std::string errorText(const std::string& what) { return what + " (error " + std::to_string(win::GetLastError()) + ")"; }

class HostFile {
 public:
  explicit HostFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~HostFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string windowsDirectoryOf(const std::string& windowsPath) {
  auto path = win::parsePath(windowsPath);
  return path ? path->parent().text() : "";
}

bool makeDirectories(const std::string& windowsDir, std::string* error) {
  auto path = win::parsePath(windowsDir);
  if (!path) {
    *error = errorText("bad Windows path " + windowsDir);
    return false;
  }
  win::WinPath level = *path;
  level.parts.clear();
  level.trailingSeparator = false;
  for (const auto& part : path->parts) {
    level = level.child(part);
    std::string text = level.text();
    win::DWORD a = win::GetFileAttributes(text.c_str());
    if (a != win::INVALID_FILE_ATTRIBUTES && (a & win::FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!win::CreateDirectory(text.c_str(), nullptr)) {
      *error = errorText("cannot create " + text);
      return false;
    }
  }
  return true;
}

bool copyIntoMachine(const std::string& hostPath, const std::string& windowsPath, std::string* error) {
  HostFile in(hostPath);
  if (in.fd() < 0) {
    *error = "cannot read " + hostPath;
    return false;
  }
  win::HANDLE out = win::CreateFile(windowsPath.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS,
                                    win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == win::INVALID_HANDLE_VALUE) {
    *error = errorText("cannot create " + windowsPath);
    return false;
  }
  std::vector<char> block(kCopyBlockBytes);
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in.fd(), block.data(), block.size());
    if (n < 0) {
      ok = false;
      *error = "cannot read " + hostPath;
      break;
    }
    if (n == 0) break;
    win::DWORD written = 0;
    if (!win::WriteFile(out, block.data(), static_cast<win::DWORD>(n), &written, nullptr) ||
        written != static_cast<win::DWORD>(n)) {
      ok = false;
      *error = errorText("cannot write " + windowsPath);
      break;
    }
  }
  win::CloseHandle(out);
  return ok;
}

}  // namespace merl_standin
