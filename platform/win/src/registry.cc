// The Reg* calls. Each checks its handle and arguments, then runs one step on
// the store under its lock: a read, or a read-modify-write that saves only
// when the step changed something.
#include "win/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "registry_keys.h"
#include "win/error.h"

namespace win {

namespace {

using platform::RegistryStore;
using platform::StoredKey;
using platform::StoredValue;
using registry::KeyRef;

constexpr DWORD kKnownOptions = REG_OPTION_NON_VOLATILE | REG_OPTION_VOLATILE;

// True when the key of a handle is gone (a root never is).
bool isDeleted(const RegistryStore& store, const KeyRef& key) {
  return !key.path.empty() && !store.find(key.root, key.path);
}

// The key of a handle and the path of a subkey below it.
struct Target {
  KeyRef base;
  std::string path;
};

std::optional<Target> targetOf(HKEY hKey, LPCSTR lpSubKey, LSTATUS* code) {
  auto base = registry::keyOf(hKey);
  if (!base) {
    *code = ERROR_INVALID_HANDLE;
    return std::nullopt;
  }
  auto path = registry::joinSubkey(base->path, lpSubKey, code);
  if (!path) return std::nullopt;
  return Target{*base, *path};
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Subkey names in the order enumeration gives them: case-blind by name.
std::vector<std::string> sortedSubkeys(const RegistryStore& store, const KeyRef& key) {
  auto names = store.subkeys(key.root, key.path);
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  return names;
}

// A read step on the key of a handle that needs the right `needed`.
template <typename Step>
LSTATUS readKey(HKEY hKey, REGSAM needed, Step step) {
  auto key = registry::keyOf(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if ((key->access & needed) != needed) return ERROR_ACCESS_DENIED;
  LSTATUS code = ERROR_SUCCESS;
  auto status = platform::readRegistryStore([&](const RegistryStore& store) {
    code = isDeleted(store, *key) ? static_cast<LSTATUS>(ERROR_KEY_DELETED)
                                  : step(store, key->path.empty() ? nullptr : store.find(key->root, key->path));
  });
  return registry::resultOf(status, code);
}

// A change of the values of a handle's key (never a root, never a read-only key).
template <typename Step>
LSTATUS changeValues(HKEY hKey, Step step) {
  auto key = registry::keyOf(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (!(key->access & KEY_SET_VALUE) || key->path.empty() || registry::isReadOnly(key->root, key->path))
    return ERROR_ACCESS_DENIED;
  LSTATUS code = ERROR_SUCCESS;
  auto status = platform::changeRegistryStore([&](RegistryStore& store) {
    StoredKey* k = store.find(key->root, key->path);
    code = k ? step(*k) : static_cast<LSTATUS>(ERROR_KEY_DELETED);
    return code == ERROR_SUCCESS;
  });
  return registry::resultOf(status, code);
}

}  // namespace

LSTATUS RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD dwOptions, REGSAM samDesired,
                       SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (!lpSubKey || (dwOptions & ~kKnownOptions)) return ERROR_INVALID_PARAMETER;
  LSTATUS code = ERROR_SUCCESS;
  auto target = targetOf(hKey, lpSubKey, &code);
  if (!target) return code;
  KeyRef opened{target->base.root, target->path, registry::grantedAccess(samDesired)};
  bool created = false;
  auto status = platform::changeRegistryStore([&](RegistryStore& store) {
    if (isDeleted(store, target->base)) {
      code = ERROR_KEY_DELETED;
      return false;
    }
    if (opened.path.empty()) return false;
    if (const StoredKey* k = store.find(opened.root, opened.path)) {
      opened.path = k->path;
      return false;
    }
    if (registry::isReadOnly(opened.root, opened.path)) {
      code = ERROR_ACCESS_DENIED;
      return false;
    }
    store.create(opened.root, opened.path, &created);
    return true;
  });
  code = registry::resultOf(status, code);
  if (code != ERROR_SUCCESS) return code;
  *phkResult = registry::openHandle(opened);
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  LSTATUS code = ERROR_SUCCESS;
  auto target = targetOf(hKey, lpSubKey, &code);
  if (!target) return code;
  KeyRef opened{target->base.root, target->path, registry::grantedAccess(samDesired)};
  auto status = platform::readRegistryStore([&](const RegistryStore& store) {
    bool deleted = isDeleted(store, target->base);
    if (deleted || opened.path.empty()) {
      code = deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
      return;
    }
    const StoredKey* k = store.find(opened.root, opened.path);
    if (k) opened.path = k->path;
    code = k ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  code = registry::resultOf(status, code);
  if (code != ERROR_SUCCESS) return code;
  *phkResult = registry::openHandle(opened);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey) {
  if (registry::closeHandle(hKey)) return ERROR_SUCCESS;
  return registry::keyOf(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;  // a predefined key stays open
}

LSTATUS RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  StoredValue value{lpValueName ? lpValueName : "", dwType, {}};
  if (cbData) value.data.assign(lpData, lpData + cbData);
  return changeValues(hKey, [&](StoredKey& k) {
    RegistryStore::setValue(k, std::move(value));
    return ERROR_SUCCESS;
  });
}

LSTATUS RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                        LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  std::string_view name = lpValueName ? lpValueName : "";
  return readKey(hKey, KEY_QUERY_VALUE, [&](const RegistryStore&, const StoredKey* k) -> LSTATUS {
    const StoredValue* v = k ? RegistryStore::findValue(*k, name) : nullptr;
    return v ? registry::copyData(*v, lpType, lpData, lpcbData) : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegDeleteValue(HKEY hKey, LPCSTR lpValueName) {
  std::string_view name = lpValueName ? lpValueName : "";
  return changeValues(hKey, [&](StoredKey& k) -> LSTATUS {
    return RegistryStore::eraseValue(k, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegDeleteKey(HKEY hKey, LPCSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  LSTATUS code = ERROR_SUCCESS;
  auto target = targetOf(hKey, lpSubKey, &code);
  if (!target) return code;
  if (target->path.empty()) return ERROR_ACCESS_DENIED;  // a root
  platform::RegRoot root = target->base.root;
  auto status = platform::changeRegistryStore([&](RegistryStore& store) {
    if (isDeleted(store, target->base)) code = ERROR_KEY_DELETED;
    else if (!store.find(root, target->path)) code = ERROR_FILE_NOT_FOUND;
    else if (!store.subkeys(root, target->path).empty() || registry::isReadOnly(root, target->path))
      code = ERROR_ACCESS_DENIED;
    return code == ERROR_SUCCESS && store.eraseTree(root, target->path);
  });
  return registry::resultOf(status, code);
}

LSTATUS RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                     LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
  auto key = registry::keyOf(hKey);
  return readKey(hKey, KEY_ENUMERATE_SUB_KEYS, [&](const RegistryStore& store, const StoredKey*) -> LSTATUS {
    auto names = sortedSubkeys(store, *key);
    if (dwIndex >= names.size()) return ERROR_NO_MORE_ITEMS;
    LSTATUS code = registry::copyName(names[dwIndex], lpName, lpcchName);
    if (code != ERROR_SUCCESS) return code;
    if (lpcchClass) {
      if (lpClass && *lpcchClass) lpClass[0] = '\0';
      *lpcchClass = 0;
    }
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegEnumValue(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                     LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return readKey(hKey, KEY_QUERY_VALUE, [&](const RegistryStore&, const StoredKey* k) -> LSTATUS {
    if (!k || dwIndex >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const StoredValue& v = k->values[dwIndex];
    if (*lpcchValueName <= v.name.size()) return ERROR_MORE_DATA;
    if (lpData && *lpcbData < v.data.size()) return registry::copyData(v, lpType, lpData, lpcbData);
    registry::copyName(v.name, lpValueName, lpcchValueName);
    return registry::copyData(v, lpType, lpData, lpcbData);
  });
}

LSTATUS RegQueryInfoKey(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                        LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                        LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                        FILETIME* lpftLastWriteTime) {
  if (lpReserved) return ERROR_INVALID_PARAMETER;
  auto key = registry::keyOf(hKey);
  return readKey(hKey, KEY_QUERY_VALUE, [&](const RegistryStore& store, const StoredKey* k) -> LSTATUS {
    auto names = store.subkeys(key->root, key->path);
    DWORD longestKey = 0, longestName = 0, largest = 0;
    for (const auto& n : names) longestKey = std::max(longestKey, static_cast<DWORD>(n.size()));
    if (k)
      for (const auto& v : k->values) {
        longestName = std::max(longestName, static_cast<DWORD>(v.name.size()));
        largest = std::max(largest, static_cast<DWORD>(v.data.size()));
      }
    if (lpcchClass) {
      if (lpClass && *lpcchClass) lpClass[0] = '\0';
      *lpcchClass = 0;
    }
    if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(names.size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = longestKey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = k ? static_cast<DWORD>(k->values.size()) : 0;
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = longestName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = largest;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegFlushKey(HKEY hKey) { return registry::keyOf(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

}  // namespace win
