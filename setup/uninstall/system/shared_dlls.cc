#include "system/shared_dlls.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "log/path_names.h"
#include "run_state.h"
#include "string_table.h"
#include "system/registry_undo.h"
#include "undo/shared_question.h"
#include "win/error.h"
#include "win/registry.h"
#include "win/window.h"

namespace remvex {

namespace {

constexpr const char* kSharedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr win::DWORD kValueSize = 256;

// Asks unless silent or "No to All" was chosen; true when the file is to be deleted.
bool askDelete(const std::string& path) {
  RunState& run = Run();
  if (run.silent || run.noToAll) return false;
  int answer = SharedFileQuestion() ? SharedFileQuestion()(path) : 1006;
  if (run.mainWindow) win::SetFocus(run.mainWindow);
  if (answer == 1) run.noToAll = true;
  return answer == 1007;
}

}  // namespace

int DecrementSharedDllCount(const std::string& path) {
  if (!Run().newShell) return 0;
  win::HKEY key = nullptr;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kSharedKey, 0, 0x3F, &key) != win::ERROR_SUCCESS) return 0;
  std::uint8_t bytes[kValueSize] = {};
  win::DWORD type = 0, size = sizeof bytes;
  std::string name = NormalizePath(path, true);
  if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type, bytes, &size) != win::ERROR_SUCCESS) {
    name = path;
    size = sizeof bytes;
    if (win::RegQueryValueEx(key, name.c_str(), nullptr, &type, bytes, &size) != win::ERROR_SUCCESS) {
      win::RegCloseKey(key);
      return 0;
    }
  }
  auto count = RegistryCount(type, bytes, size);
  int result = 1;
  if (!count) {
    result = 1;
  } else if (*count > 1) {
    const std::uint32_t left = static_cast<std::uint32_t>(*count - 1);
    const win::BYTE data[4] = {static_cast<win::BYTE>(left), static_cast<win::BYTE>(left >> 8),
                               static_cast<win::BYTE>(left >> 16), static_cast<win::BYTE>(left >> 24)};
    win::RegSetValueEx(key, name.c_str(), 0, win::REG_DWORD, data, sizeof data);
  } else if (*count == 1) {
    result = askDelete(path) ? 2 : 1;
    win::RegDeleteValue(key, name.c_str());
  } else {
    result = 0;
  }
  win::RegCloseKey(key);
  return result;
}

}  // namespace remvex
