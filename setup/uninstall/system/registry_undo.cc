#include "system/registry_undo.h"

#include <cctype>
#include <charconv>
#include <cstring>

#include "win/error.h"
#include "win/access_rights.h"

namespace remvex {

namespace {

constexpr int kTreePasses = 2048;
constexpr win::DWORD kKeyNameSize = 256;

win::HKEY openKey(std::uint32_t root, const std::string& key) {
  win::HKEY hive = RegistryRoot(root);
  win::HKEY opened = nullptr;
  if (!hive || win::RegOpenKeyEx(hive, key.c_str(), 0, win::KEY_ALL_ACCESS, &opened) != win::ERROR_SUCCESS)
    return nullptr;
  return opened;
}

std::optional<std::uint32_t> unsigned32(const std::string& text) {
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::vector<std::uint8_t> hexBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (nibble < 0) continue;
    if (high < 0) {
      high = nibble;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | nibble));
      high = -1;
    }
  }
  return bytes;
}

// Deletes every sub-key of an open path depth-first, then the key itself.
void deleteTree(win::HKEY hive, const std::string& key) {
  for (int pass = 0; pass < kTreePasses; ++pass) {
    win::HKEY opened = nullptr;
    if (win::RegOpenKeyEx(hive, key.c_str(), 0, win::KEY_ALL_ACCESS, &opened) != win::ERROR_SUCCESS) break;
    char name[kKeyNameSize] = {};
    win::DWORD size = sizeof name;
    bool more = win::RegEnumKeyEx(opened, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
    win::RegCloseKey(opened);
    if (!more) break;
    deleteTree(hive, key + "\\" + name);
  }
  win::RegDeleteKey(hive, key.c_str());
}

}  // namespace

win::HKEY RegistryRoot(std::uint32_t root) {
  switch (root) {
    case 0: return win::HKEY_CLASSES_ROOT;
    case 1: return win::HKEY_CURRENT_USER;
    case 2: return win::HKEY_LOCAL_MACHINE;
    case 3: return win::HKEY_USERS;
    case 4: return win::HKEY_CURRENT_CONFIG;
    default: return nullptr;
  }
}

std::optional<RegistryData> EncodeRegistryData(std::uint32_t type, const std::vector<std::string>& texts) {
  const std::string first = texts.empty() ? std::string() : texts.front();
  RegistryData data;
  switch (type) {
    case 3: {
      auto value = unsigned32(first);
      if (!value) return std::nullopt;
      data.type = win::REG_DWORD;
      for (int i = 0; i < 4; ++i) data.bytes.push_back(static_cast<std::uint8_t>(*value >> (8 * i)));
      return data;
    }
    case 2:
      data.type = win::REG_MULTI_SZ;
      for (const auto& t : texts) {
        data.bytes.insert(data.bytes.end(), t.begin(), t.end());
        data.bytes.push_back(0);
      }
      data.bytes.push_back(0);
      return data;
    case 4:
      data.type = win::REG_BINARY;
      data.bytes = hexBytes(first);
      return data;
    default:
      data.type = type == 1 ? win::REG_EXPAND_SZ : win::REG_SZ;
      data.bytes.assign(first.begin(), first.end());
      data.bytes.push_back(0);
      return data;
  }
}

bool RestoreRegistryValue(std::uint32_t root, const std::string& key, const std::string& name, std::uint32_t type,
                          const std::vector<std::string>& texts) {
  auto data = EncodeRegistryData(type, texts);
  if (!data) return false;
  win::HKEY opened = openKey(root, key);
  if (!opened) return false;
  bool ok = win::RegSetValueEx(opened, name.c_str(), 0, data->type, data->bytes.data(),
                               static_cast<win::DWORD>(data->bytes.size())) == win::ERROR_SUCCESS;
  win::RegCloseKey(opened);
  return ok;
}

void RemoveRegistryValue(std::uint32_t root, const std::string& key, const std::string& name) {
  if (!RemovableKey(key, root, false)) return;
  std::string current = key;
  bool first = true;
  while (!current.empty()) {
    win::HKEY opened = openKey(root, current);
    if (!opened) return;
    if (first) win::RegDeleteValue(opened, name.c_str());
    first = false;
    char text[kKeyNameSize] = {};
    win::DWORD size = sizeof text;
    bool hasValue = win::RegEnumValue(opened, 0, text, &size, nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
    size = sizeof text;
    bool hasKey = win::RegEnumKeyEx(opened, 0, text, &size, nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
    win::RegCloseKey(opened);
    if (hasValue || hasKey) return;
    win::RegDeleteKey(RegistryRoot(root), current.c_str());
    auto slash = current.rfind('\\');
    current = slash == std::string::npos ? std::string() : current.substr(0, slash);
    if (!RemovableKey(current, root, false)) return;
  }
}

void DeleteRegistryTree(const std::string& key, std::uint32_t root) {
  win::HKEY hive = RegistryRoot(root);
  if (!hive || !RemovableKey(key, root, true)) return;
  deleteTree(hive, key);
}

std::optional<std::int32_t> RegistryCount(win::DWORD type, const std::uint8_t* bytes, win::DWORD size) {
  if (type == win::REG_SZ) {
    const char* text = reinterpret_cast<const char*>(bytes);
    const std::size_t n = strnlen(text, size);
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text, text + n, value, 10);
    if (n == 0 || ec != std::errc() || end != text + n) return std::nullopt;
    return value;
  }
  if (type == win::REG_DWORD || (type == win::REG_BINARY && size == 4)) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[i];
    return static_cast<std::int32_t>(value);
  }
  return std::nullopt;
}

bool RemovableKey(const std::string& key, std::uint32_t root, bool tree) {
  std::size_t components = 0;
  bool inName = false;
  for (char c : key) {
    if (c == '\\') {
      inName = false;
    } else if (!inName) {
      inName = true;
      ++components;
    }
  }
  if (components == 0) return false;
  return !(tree && root >= 1 && root <= 4 && components < 2);
}

}  // namespace remvex
