// The emulated machine's registry: the Reg* calls (ANSI) on the shared store
// <state>/registry.txt, with the return codes Windows gives. Every change is one
// locked read-modify-write of the store; a store line that does not parse makes
// every call return ERROR_REGISTRY_CORRUPT and leaves the file as it is.
#pragma once

#include <cstdint>

#include "win/types.h"

namespace win {

// Declared with the file and process calls; the registry ignores it.
struct SECURITY_ATTRIBUTES;

using REGSAM = DWORD;
using LSTATUS = LONG;

// The predefined keys, sign-extended as on 64-bit Windows.
constexpr std::uintptr_t predefinedKeyValue(DWORD n) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<LONG>(n)));
}
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000000));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000001));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000002));
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000003));
inline const HKEY HKEY_PERFORMANCE_DATA = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000004));  // not kept
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000005));
inline const HKEY HKEY_DYN_DATA = reinterpret_cast<HKEY>(predefinedKeyValue(0x80000006));  // not kept

// Value types. Any other 32-bit type is kept as its bytes.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Access rights of a key handle.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = 0x20019;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
// MAXIMUM_ALLOWED and the generic rights (GENERIC_READ...) map onto these as on Windows.

// RegCreateKeyEx options and dispositions.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0;
inline constexpr DWORD REG_OPTION_VOLATILE = 0x1;  // kept like a non-volatile key
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Keys (and each missing parent) are created, or opened; *lpdwDisposition says which.
LSTATUS RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                       REGSAM samDesired, SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                       LPDWORD lpdwDisposition);
LSTATUS RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LSTATUS RegCloseKey(HKEY hKey);
LSTATUS RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                      DWORD cbData);
// A short buffer gets ERROR_MORE_DATA, *lpcbData the size needed, and is not written.
LSTATUS RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                        LPDWORD lpcbData);
LSTATUS RegDeleteValue(HKEY hKey, LPCSTR lpValueName);
// Refuses (ERROR_ACCESS_DENIED) a key that has subkeys.
LSTATUS RegDeleteKey(HKEY hKey, LPCSTR lpSubKey);
// Subkeys by index, in case-blind name order; keys keep no class and no write time.
LSTATUS RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                     LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
// Values by index, in the order they were first set.
LSTATUS RegEnumValue(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                     LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LSTATUS RegQueryInfoKey(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                        LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                        LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                        FILETIME* lpftLastWriteTime);
// Every change is already on disk: only checks the handle.
LSTATUS RegFlushKey(HKEY hKey);

// An open key closed at the end of its scope.
class UniqueKey {
 public:
  UniqueKey() = default;
  explicit UniqueKey(HKEY key) : key_(key) {}
  ~UniqueKey() { reset(); }
  UniqueKey(UniqueKey&& other) noexcept : key_(other.release()) {}
  UniqueKey& operator=(UniqueKey&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  // Closes the key held and gives the place for a call's phkResult.
  HKEY* put() {
    reset();
    return &key_;
  }
  HKEY release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  void reset(HKEY key = nullptr) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace win
