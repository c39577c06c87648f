// The registry read and write routines over the platform registry, with bounded
// texts: what is returned is always terminated, a key path is never cut.
#include "system/reg_values.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "constants.h"
#include "interp/abort_message.h"
#include "win/error.h"

namespace merl {

namespace {

inline constexpr int kMessageRegistryWrite = 44;
inline constexpr win::REGSAM kTreeAccess = 0x3F;
inline constexpr int kTreeSteps = 2048;
inline constexpr std::size_t kSubkeyNameSize = 257;
inline constexpr std::size_t kBinaryShown = 127;

int fail(bool report, const char* key) {
  if (report) ShowAbortMessage(kMessageRegistryWrite, key ? key : "");
  return 1;
}

// The text form of a value read whole into data (size bytes); false when it does not fit.
bool showValue(int code, const std::vector<win::BYTE>& data, win::DWORD size, char* text, std::size_t maxLength,
               bool& cut) {
  const char* bytes = reinterpret_cast<const char*>(data.data());
  switch (code) {
    case kTypeDword: {
      win::DWORD n = 0;
      std::memcpy(&n, data.data(), std::min<std::size_t>(size, sizeof n));
      return std::snprintf(text, maxLength, "%lu", static_cast<unsigned long>(n)) < static_cast<int>(maxLength);
    }
    case kTypeBinary: {
      std::size_t shown = std::min<std::size_t>({size, kBinaryShown, (maxLength - 1) / 2});
      for (std::size_t k = 0; k < shown; ++k) {
        text[2 * k] = HexDigitChar(data[k] >> 4);
        text[2 * k + 1] = HexDigitChar(data[k] & 15);
      }
      text[2 * shown] = '\0';
      cut = shown < size;
      return true;
    }
    case kTypeMultiSz: {
      std::size_t length = size;
      while (length > 0 && bytes[length - 1] == '\0') --length;
      if (length + 2 > maxLength) return false;
      std::memcpy(text, bytes, length);
      text[length] = text[length + 1] = '\0';
      return true;
    }
    default: {
      std::size_t length = ::strnlen(bytes, size);
      if (length + 1 > maxLength) return false;
      std::memcpy(text, bytes, length);
      text[length] = '\0';
      return true;
    }
  }
}

}  // namespace

win::HKEY RegistryRoot(int rootIndex) {
  switch (rootIndex) {
    case 0: return win::HKEY_CLASSES_ROOT;
    case 1: return win::HKEY_CURRENT_USER;
    case 2: return win::HKEY_LOCAL_MACHINE;
    case 3: return win::HKEY_USERS;
    case 4: return win::HKEY_CURRENT_CONFIG;
    default: return nullptr;
  }
}

win::DWORD RegistryType(int typeCode) {
  static constexpr win::DWORD kTypes[kRegistryTypes] = {win::REG_SZ, win::REG_EXPAND_SZ, win::REG_MULTI_SZ,
                                                        win::REG_DWORD, win::REG_BINARY};
  return typeCode >= 0 && typeCode < kRegistryTypes ? kTypes[typeCode] : win::REG_NONE;
}

int RegistryTypeCode(win::DWORD type) {
  for (int k = 0; k < kRegistryTypes; ++k)
    if (RegistryType(k) == type) return k;
  return kRegistryTypes;
}

char HexDigitChar(int n) {
  n &= 15;
  return static_cast<char>(n < 10 ? '0' + n : 'A' + n - 10);
}

int WriteRegValue(int rootIndex, const char* key, const char* valueName, int typeCode, const win::BYTE* data,
                  win::DWORD size, bool report) {
  win::HKEY root = RegistryRoot(rootIndex);
  if (!root || !key || typeCode < 0 || typeCode >= kRegistryTypes) return fail(report, key);
  win::UniqueKey opened;
  win::DWORD disposition = 0;
  if (win::RegCreateKeyEx(root, key, 0, nullptr, win::REG_OPTION_NON_VOLATILE,
                          win::KEY_CREATE_SUB_KEY | win::KEY_SET_VALUE, nullptr, opened.put(),
                          &disposition) != win::ERROR_SUCCESS)
    return fail(report, key);
  if (valueName &&
      win::RegSetValueEx(opened.get(), valueName, 0, RegistryType(typeCode), data, size) != win::ERROR_SUCCESS)
    return fail(report, key);
  return 0;
}

int ReadRegValue(int rootIndex, const char* key, char* text, const char* valueName, char* typeDigit,
                 std::size_t maxLength, bool dwordAsText, RegReadStatus* status) {
  RegReadStatus local = RegReadStatus::Missing;
  RegReadStatus& how = status ? *status : local;
  how = RegReadStatus::Missing;
  if (!text || maxLength < 2) return 1;
  text[0] = '\0';
  win::HKEY root = RegistryRoot(rootIndex);
  win::UniqueKey opened;
  if (!root || !key) return 1;
  win::LSTATUS r = win::RegOpenKeyEx(root, key, 0, win::KEY_QUERY_VALUE, opened.put());
  if (r != win::ERROR_SUCCESS) {
    if (r != win::ERROR_FILE_NOT_FOUND) how = RegReadStatus::NotText;
    return 1;
  }
  std::vector<win::BYTE> data(maxLength);
  win::DWORD type = win::REG_NONE;
  win::DWORD size = static_cast<win::DWORD>(maxLength);
  r = win::RegQueryValueEx(opened.get(), valueName, nullptr, &type, data.data(), &size);
  if (r != win::ERROR_SUCCESS) {
    if (r != win::ERROR_FILE_NOT_FOUND) how = RegReadStatus::NotText;
    return 1;
  }
  how = RegReadStatus::NotText;
  int code = RegistryTypeCode(type);
  if (code == kRegistryTypes || (code == kTypeDword && size != sizeof(win::DWORD))) return 1;
  (void)dwordAsText;  // a four-byte REG_DWORD is shown as "%lu" either way
  bool cut = false;
  if (!showValue(code, data, size, text, maxLength, cut)) {
    text[0] = '\0';
    return 1;
  }
  if (typeDigit) *typeDigit = static_cast<char>('0' + code);
  if (!cut) how = RegReadStatus::Whole;
  return 0;
}

void DeleteRegKeyTree(const char* key, int rootIndex) {
  win::HKEY root = RegistryRoot(rootIndex);
  if (!root || !key || !*key) return;
  std::string last;
  for (int step = 0; step < kTreeSteps; ++step) {
    char name[kSubkeyNameSize] = {};
    win::DWORD length = sizeof name;
    {
      win::UniqueKey opened;
      if (win::RegOpenKeyEx(root, key, 0, kTreeAccess, opened.put()) != win::ERROR_SUCCESS) break;
      if (win::RegEnumKeyEx(opened.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          win::ERROR_SUCCESS)
        break;
    }
    std::string sub = std::string(key) + "\\" + std::string(name, ::strnlen(name, sizeof name));
    // A subkey that is still there after its tree was deleted cannot go: stop.
    if (sub.size() >= kRegTreePathLimit || sub == last) break;
    last = sub;
    DeleteRegKeyTree(sub.c_str(), rootIndex);
  }
  win::RegDeleteKey(root, key);
}

}  // namespace merl
