// Test program for the registry tests: a second process on the same machine.
//   registry_probe dump <HKLM subkey>        prints "name<TAB>type<TAB>hex data" per value
//   registry_probe add <HKLM subkey> <prefix> <n>   sets n DWORD values, one call pair each
// Exits 0, or 1 after printing the Reg* code that failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "win/error.h"
#include "win/registry.h"

namespace {

int dump(const char* subkey) {
  win::UniqueKey key;
  if (auto rc = win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, subkey, 0, win::KEY_READ, key.put())) return rc;
  for (win::DWORD i = 0;; ++i) {
    char name[256];
    win::DWORD nameSize = sizeof name, type = 0, size = 0;
    auto rc = win::RegEnumValue(key.get(), i, name, &nameSize, nullptr, &type, nullptr, &size);
    if (rc == static_cast<win::LSTATUS>(win::ERROR_NO_MORE_ITEMS)) return 0;
    if (rc) return rc;
    std::string data(size, '\0');
    if ((rc = win::RegQueryValueEx(key.get(), name, nullptr, &type, reinterpret_cast<win::BYTE*>(data.data()), &size)))
      return rc;
    std::printf("%s\t%u\t", name, type);
    for (unsigned char c : data) std::printf("%02x", c);
    std::printf("\n");
  }
}

int add(const char* subkey, const std::string& prefix, int n) {
  for (int i = 0; i < n; ++i) {
    win::UniqueKey key;
    if (auto rc = win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, subkey, 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                                      win::KEY_SET_VALUE, nullptr, key.put(), nullptr))
      return rc;
    win::DWORD value = static_cast<win::DWORD>(i);
    std::string name = prefix + std::to_string(i);
    if (auto rc = win::RegSetValueEx(key.get(), name.c_str(), 0, win::REG_DWORD,
                                     reinterpret_cast<const win::BYTE*>(&value), sizeof value))
      return rc;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  int rc = 0;
  if (mode == "dump" && argc == 3) {
    rc = dump(argv[2]);
  } else if (mode == "add" && argc == 5) {
    rc = add(argv[2], argv[3], std::atoi(argv[4]));
  } else {
    std::fprintf(stderr, "usage: registry_probe dump <key> | add <key> <prefix> <n>\n");
    return 2;
  }
  if (rc) std::fprintf(stderr, "registry_probe %s: error %d\n", mode.c_str(), rc);
  return rc ? 1 : 0;
}
