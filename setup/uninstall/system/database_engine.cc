#include "system/database_engine.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "run_state.h"
#include "string_table.h"
#include "system/registry_undo.h"
#include "win/error.h"
#include "win/dialog.h"
#include "win/message_box.h"
#include "win/registry.h"
#include "win/window.h"

namespace remvex {

namespace {

constexpr const char* kEngineKey = "Software\\Borland\\Database Engine";
constexpr const char* kBlwKey = "Software\\Borland\\BLW32";
constexpr const char* kVendorKey = "Software\\Borland";
constexpr std::uint32_t kMachineRoot = 2;

std::optional<std::int32_t> useCount(win::HKEY key) {
  std::uint8_t bytes[256] = {};
  win::DWORD type = 0, size = sizeof bytes;
  if (win::RegQueryValueEx(key, "UseCount", nullptr, &type, bytes, &size) != win::ERROR_SUCCESS) return std::nullopt;
  return RegistryCount(type, bytes, size);
}

// Asks while the engine's server window is open; true on Abort.
bool serverStillRuns() {
  while (win::FindWindow("IB_Server", nullptr)) {
    const std::string text = LoadMessage(Run().iniPath, 28);
    const std::string caption = LoadMessage(Run().iniPath, 25);
    int answer = win::MessageBox(Run().mainWindow, text.c_str(), caption.c_str(), win::MB_ABORTRETRYIGNORE);
    if (answer == win::IDABORT) return true;
    if (answer != win::IDRETRY) return false;
  }
  return false;
}

bool isEmpty(win::HKEY hive, const char* path) {
  win::HKEY key = nullptr;
  if (win::RegOpenKeyEx(hive, path, 0, win::KEY_ALL_ACCESS, &key) != win::ERROR_SUCCESS) return false;
  char name[256];
  win::DWORD size = sizeof name;
  bool value = win::RegEnumValue(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
  size = sizeof name;
  bool sub = win::RegEnumKeyEx(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
  win::RegCloseKey(key);
  return !value && !sub;
}

}  // namespace

int RemoveDatabaseEngine() {
  win::HKEY key = nullptr;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kEngineKey, 0, 0x3F, &key) != win::ERROR_SUCCESS) return 0;
  auto count = useCount(key);
  if (count && *count >= 2) {
    const std::string text = std::to_string(*count - 1);
    win::RegSetValueEx(key, "UseCount", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(text.c_str()),
                       static_cast<win::DWORD>(text.size() + 1));
    win::RegCloseKey(key);
    return 0;
  }
  if (!count || *count != 1) {
    win::RegCloseKey(key);
    return 0;
  }
  if (serverStillRuns()) {
    win::RegCloseKey(key);
    return 1;
  }
  win::RegCloseKey(key);
  DeleteRegistryTree(kEngineKey, kMachineRoot);
  DeleteRegistryTree(kBlwKey, kMachineRoot);
  if (isEmpty(win::HKEY_LOCAL_MACHINE, kVendorKey)) win::RegDeleteKey(win::HKEY_LOCAL_MACHINE, kVendorKey);
  return 0;
}

}  // namespace remvex
