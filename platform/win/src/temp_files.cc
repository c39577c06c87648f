// The temporary directory and temporary names. A generated name is made with
// O_EXCL and mode 0600 from a number the whole machine counts on (kept in
// <state>/temp-counter.txt), so no name is handed out twice.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "attribute_store.h"
#include "file_access.h"
#include "platform/files.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

constexpr UINT kUniqueNumbers = 0xFFFF;  // 1..FFFF; 0 asks for a generated one

std::string counterPath() { return machine().stateDir() + "/" + kTempCounterFileName; }

UINT readCounter() {
  std::string text;
  if (!platform::readWholeFile(counterPath(), text)) return 1;
  unsigned long n = std::strtoul(text.c_str(), nullptr, 16);
  return n >= 1 && n <= kUniqueNumbers ? static_cast<UINT>(n) : 1;
}

void writeCounter(UINT next) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X\n", next);
  platform::writeFileAtomic(counterPath(), text);
}

std::string tempName(const std::string& dir, const std::string& prefix, UINT unique) {
  char number[8];
  std::snprintf(number, sizeof number, "%04X", unique & 0xFFFF);
  return dir + prefix + number + ".TMP";
}

UINT refuse(DWORD error) {
  SetLastError(error);
  return 0;
}

// Makes the file of the first free number from the machine's counter on.
UINT createUnique(const std::string& dir, const std::string& prefix, LPSTR out) {
  platform::FileLock lock(counterPath(), true);
  if (!lock.held()) return refuse(ERROR_ACCESS_DENIED);
  UINT first = readCounter();
  for (UINT k = 0; k < kUniqueNumbers; ++k) {
    UINT n = (first - 1 + k) % kUniqueNumbers + 1;
    std::string name = tempName(dir, prefix, n);
    auto t = files::resolve(name.c_str());
    if (!t) return 0;
    if (t->exists) continue;
    if (files::isDenied(*t) || files::createFails(*t)) return refuse(ERROR_ACCESS_DENIED);
    int fd = ::open(t->host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return refuse(errorFromErrno(errno));
    bool ok = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!ok) {
      ::unlink(t->host.c_str());
      return refuse(ERROR_ACCESS_DENIED);
    }
    attributes::removeEntries(t->host);
    writeCounter(n % kUniqueNumbers + 1);
    std::memcpy(out, name.c_str(), name.size() + 1);
    return n;
  }
  return refuse(ERROR_FILE_EXISTS);
}

}  // namespace

DWORD GetTempPath(DWORD nBufferLength, LPSTR lpBuffer) {
  return files::copyOut(machine().description().tempDir, lpBuffer, nBufferLength);
}

UINT GetTempFileName(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName) {
  if (!lpPathName || !lpTempFileName) return refuse(ERROR_INVALID_PARAMETER);
  if (std::strlen(lpPathName) > MAX_PATH - 14) return refuse(ERROR_BUFFER_OVERFLOW);
  auto dir = parsePath(lpPathName);
  if (!dir) return 0;
  std::string base = dir->text();
  if (base.back() != '\\') base += '\\';
  std::string prefix = lpPrefixString ? std::string(lpPrefixString).substr(0, 3) : "";
  if (base.size() + prefix.size() + 8 >= MAX_PATH) return refuse(ERROR_BUFFER_OVERFLOW);  // the caller has MAX_PATH
  if (uUnique != 0) {
    std::string name = tempName(base, prefix, uUnique);  // only the name; nothing is made
    std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
    return uUnique;
  }
  auto t = files::resolve(lpPathName);
  if (!t) return 0;
  if (!t->exists || !t->isDirectory) return refuse(ERROR_DIRECTORY);
  return createUnique(base, prefix, lpTempFileName);
}

}  // namespace win
