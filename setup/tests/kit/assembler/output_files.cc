// Temporary files from mkstemp beside each target, then renames.
#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace merl_asm {

namespace {

// The temporary file's path, or "" with errno set.
std::string writeTemporary(const OutputFile& out) {
  std::string path = out.path + ".XXXXXX";
  int fd = ::mkstemp(path.data());
  if (fd < 0) return "";
  bool ok = ::fchmod(fd, 0644) == 0 && platform::writeAll(fd, out.data.data(), out.data.size()) && ::fsync(fd) == 0;
  int e = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (ok) return path;
  ::unlink(path.c_str());
  errno = e;
  return "";
}

void removeAll(const std::vector<std::string>& paths) {
  for (const std::string& p : paths) ::unlink(p.c_str());
}

}  // namespace

bool writeOutputs(const std::vector<OutputFile>& outputs, std::string& error) {
  std::vector<std::string> temporaries;
  for (const OutputFile& out : outputs) {
    std::string tmp = writeTemporary(out);
    if (tmp.empty()) {
      error = "cannot write " + out.path + ": " + std::strerror(errno);
      removeAll(temporaries);
      return false;
    }
    temporaries.push_back(tmp);
  }
  std::vector<std::string> placed;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!platform::renameReplace(temporaries[i], outputs[i].path)) {
      error = "cannot write " + outputs[i].path + ": " + std::strerror(errno);
      removeAll(placed);
      removeAll(std::vector<std::string>(temporaries.begin() + static_cast<long>(i), temporaries.end()));
      return false;
    }
    placed.push_back(outputs[i].path);
  }
  return true;
}

}  // namespace merl_asm
