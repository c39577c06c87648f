// SharedDllCount: the use counter of a shared file under HKLM SharedDLLs, read and
// written through the runtime's registry value routines.
#include "files/shared_dll_count.h"

#include <cstdlib>

#include "files/file_utils.h"
#include "files/paths.h"
#include "log/install_log.h"
#include "system/reg_values.h"
#include "text/copy_text.h"

namespace merl {

namespace {

constexpr int kLocalMachineRoot = 2;

// The counter named name: a REG_DWORD, or a decimal text; 0 when missing or unreadable.
DWORD readSharedCount(const char* name) {
  char text[kPathBufferSize] = {};
  char type = 0;
  if (ReadRegValue(kLocalMachineRoot, kSharedDllsKey, text, name, &type, sizeof text, true) != 0) return 0;
  if (type != '0' + kTypeDword && type != '0' + kTypeSz) return 0;
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

void writeSharedCount(const char* name, DWORD count) {
  WriteRegValue(kLocalMachineRoot, kSharedDllsKey, name, kTypeDword, reinterpret_cast<const win::BYTE*>(&count),
                sizeof count, false);
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
