// SharedDllCount over the machine's registry: a small read and write of one
// counter value.
#include "files/shared_dll_count.h"

#include <cstdlib>
#include <cstring>

#include "files/file_utils.h"
#include "files/paths.h"
#include "log/install_log.h"
#include "text/copy_text.h"
#include "win/registry.h"

namespace merl {

namespace {

// The counter named name: a REG_DWORD, or a decimal text; 0 when missing or unreadable.
DWORD readSharedCount(const char* name) {
  win::HKEY key = nullptr;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, win::KEY_QUERY_VALUE, &key) != 0) return 0;
  win::BYTE data[kPathBufferSize] = {};
  DWORD type = 0, size = sizeof data - 1;
  DWORD count = 0;
  if (win::RegQueryValueEx(key, name, nullptr, &type, data, &size) == 0) {
    if (type == win::REG_DWORD && size == sizeof(DWORD))
      std::memcpy(&count, data, sizeof count);
    else if (type == win::REG_SZ)
      count = static_cast<DWORD>(std::strtoul(reinterpret_cast<char*>(data), nullptr, 10));
  }
  win::RegCloseKey(key);
  return count;
}

void writeSharedCount(const char* name, DWORD count) {
  win::HKEY key = nullptr;
  if (win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                          win::KEY_SET_VALUE, nullptr, &key, nullptr) != 0)
    return;
  win::RegSetValueEx(key, name, 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&count), sizeof count);
  win::RegCloseKey(key);
}

}  // namespace

void SharedDllCount(const char* path, bool existed, bool notShared) {
  if (!path) return;
  char name[kPathBufferSize] = {};
  copyText(name, sizeof name, path);
  MakeFullPath(name, true);
  DWORD count = readSharedCount(name);
  if (notShared) {
    if (count > 0) LogLine(kSharedCounterIgnored);
    return;
  }
  if (existed && count == 0) count = 1;
  writeSharedCount(name, count + 1);
}

}  // namespace merl
