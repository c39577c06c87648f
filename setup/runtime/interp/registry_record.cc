// The registry record: its three texts expanded within their buffers, the data
// turned into the value's bytes by type code, the old value read for the log.
#include "interp/registry_record.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "interp/abort_message.h"
#include "interp/opcodes.h"
#include "log/install_log.h"
#include "system/reg_values.h"
#include "win/error.h"

namespace merl {

namespace {

inline constexpr std::size_t kKeySize = 512;
inline constexpr std::size_t kValueNameSize = 256;
inline constexpr std::size_t kOldValueSize = 1024;
inline constexpr BYTE kRemove = 0x80;
inline constexpr BYTE kValueOnly = 0x40;  // with kRemove: only the value; without: only the key
inline constexpr BYTE kRootMask = 0x3F;
inline constexpr char kItemSeparator = 0x7F;
inline constexpr int kMessageRegistryWrite = 44;

// text expanded into a buffer of limit bytes; false when it does not fit.
bool expandWhole(std::string_view text, std::size_t limit, std::string& out) {
  out = expanded(text, limit + 1);
  return out.size() < limit;
}

// A key that names no key of its own: empty, or with an empty component.
bool hasEmptyComponent(const std::string& key) {
  return key.empty() || key.front() == '\\' || key.back() == '\\' || key.find("\\\\") != std::string::npos;
}

void removeFromRegistry(int root, BYTE flags, const std::string& key, const std::string& name) {
  if (hasEmptyComponent(key)) return;
  if (!(flags & kValueOnly)) {
    DeleteRegKeyTree(key.c_str(), root);
    return;
  }
  win::HKEY base = RegistryRoot(root);
  win::UniqueKey opened;
  if (base && win::RegOpenKeyEx(base, key.c_str(), 0, 0x3F, opened.put()) == win::ERROR_SUCCESS)
    win::RegDeleteValue(opened.get(), name.c_str());
}

// The bytes a value of type code holds for the record's data text.
std::vector<BYTE> valueBytes(int typeCode, const std::string& text) {
  std::vector<BYTE> bytes;
  switch (typeCode) {
    case kTypeDword: {
      // A number past 32 bits is the largest one, as a 32-bit strtoul gives it.
      unsigned long long wide = std::strtoull(text.c_str(), nullptr, 10);
      auto n = static_cast<win::DWORD>(wide > 0xFFFFFFFFull ? 0xFFFFFFFFull : wide);
      bytes.resize(sizeof n);
      std::memcpy(bytes.data(), &n, sizeof n);
      break;
    }
    case kTypeMultiSz: {
      bytes.assign(text.begin(), text.end());
      for (BYTE& b : bytes)
        if (b == kItemSeparator) b = 0;
      bytes.push_back(0);
      // Always the closing empty string, also after a last item without DEL.
      if (text.empty() || text.back() != kItemSeparator) bytes.push_back(0);
      break;
    }
    case kTypeBinary: {
      int high = -1;
      for (char c : text) {
        int u = std::toupper(static_cast<unsigned char>(c));
        int d = u >= '0' && u <= '9' ? u - '0' : u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
        if (d < 0) continue;
        if (high < 0) {
          high = d;
        } else {
          bytes.push_back(static_cast<BYTE>(high << 4 | d));
          high = -1;
        }
      }
      break;
    }
    default:
      bytes.assign(text.begin(), text.end());
      bytes.push_back(0);
      break;
  }
  return bytes;
}

}  // namespace

int EditRegistry(const Record& record) {
  if (run().runState == kStateTest) return 0;
  BYTE flags = record.flags();
  int root = flags & kRootMask;
  int typeCode = record.byte(2);
  std::string key, name;
  bool keyFits = expandWhole(record.string(0), kKeySize, key);
  std::string text = expanded(record.string(1), kLongTextSize);
  bool nameFits = expandWhole(record.string(2), kValueNameSize, name);
  if (flags & kRemove) {
    if (keyFits && nameFits) removeFromRegistry(root, flags, key, name);
    return 0;
  }
  // A key that names no key of its own would log a removal of the whole root.
  if (!keyFits || !nameFits || typeCode >= kRegistryTypes || hasEmptyComponent(key)) {
    ShowAbortMessage(kMessageRegistryWrite, keyFits ? key : std::string());
    return 1;
  }

  char old[kOldValueSize] = {};
  char typeDigit = '0';
  RegReadStatus oldStatus = RegReadStatus::Missing;
  ReadRegValue(root, key.c_str(), old, name.c_str(), &typeDigit, sizeof old, true, &oldStatus);
  if (oldStatus != RegReadStatus::Whole) old[0] = old[1] = '\0';
  cursor().settingsChanged = true;

  std::vector<BYTE> bytes = valueBytes(typeCode, text);
  if (WriteRegValue(root, key.c_str(), (flags & kValueOnly) ? nullptr : name.c_str(), typeCode, bytes.data(),
                    static_cast<win::DWORD>(bytes.size()), true) != 0)
    return 1;
  if (typeCode == kTypeDword) {
    win::DWORD n = 0;
    std::memcpy(&n, bytes.data(), sizeof n);
    text = std::to_string(n);
  }

  LogRecord logged;
  logged.opcode = kOpRegistry;
  logged.flags = flags;
  logged.oldValueUnknown = oldStatus == RegReadStatus::NotText;
  LogAction(logged, key, text, name, std::string_view(&typeDigit, 1), std::string_view(old, sizeof old));
  return 0;
}

int RegistryRecord(const Record& record) { return EditRegistry(record) == 0 ? kNextRecord : kAbort; }

}  // namespace merl
