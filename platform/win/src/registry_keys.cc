// Key handles, roots, subkey paths, read-only rules and the copies out of the
// Reg* calls (see registry_keys.h).
#include "registry_keys.h"

#include <cstring>
#include <memory>

#include "platform/faults.h"
#include "win/error.h"

namespace win::registry {

namespace {

constexpr std::uintptr_t kFirstKeyHandle = 0x20000;  // apart from kernel and find handles
constexpr std::size_t kMaxKeyName = 255;             // characters of one key name

struct RootInfo {
  DWORD predefined;
  RegRoot root;
  const char* name;  // as read-only rules spell it
};

constexpr RootInfo kRoots[] = {
    {0x80000000, RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {0x80000001, RegRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {0x80000002, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {0x80000003, RegRoot::Users, "HKEY_USERS"},
    {0x80000005, RegRoot::CurrentConfig, "HKEY_CURRENT_CONFIG"},
};

// Generic rights and what they grant on a key.
constexpr std::pair<REGSAM, REGSAM> kGenericRights[] = {
    {0x80000000, KEY_READ},        // GENERIC_READ
    {0x40000000, KEY_WRITE},       // GENERIC_WRITE
    {0x20000000, KEY_EXECUTE},     // GENERIC_EXECUTE
    {0x10000000, KEY_ALL_ACCESS},  // GENERIC_ALL
    {0x02000000, KEY_ALL_ACCESS},  // MAXIMUM_ALLOWED
};

RegistryState& state() { return machine().state<RegistryState>(); }

const char* rootName(RegRoot root) {
  for (const auto& r : kRoots)
    if (r.root == root) return r.name;
  return "";
}

}  // namespace

RegistryState::RegistryState(Machine&) : keys(kFirstKeyHandle, 4) {}

std::optional<KeyRef> keyOf(HKEY key) {
  for (const auto& r : kRoots)
    if (handleValue(key) == predefinedKeyValue(r.predefined)) return KeyRef{r.root, "", KEY_ALL_ACCESS};
  if (auto open = state().keys.find<OpenKey>(handleValue(key))) return open->key;
  return std::nullopt;
}

HKEY openHandle(const KeyRef& key) {
  return handleFromValue<HKEY>(state().keys.add(std::make_shared<OpenKey>(key)));
}

bool closeHandle(HKEY key) { return state().keys.remove(handleValue(key)) != nullptr; }

std::optional<std::string> joinSubkey(const std::string& base, LPCSTR subKey, LSTATUS* error) {
  std::string_view sub = subKey ? subKey : "";
  if (!sub.empty() && sub.front() == '\\') {
    *error = static_cast<LSTATUS>(ERROR_BAD_PATHNAME);
    return std::nullopt;
  }
  while (!sub.empty() && sub.back() == '\\') sub.remove_suffix(1);
  if (sub.empty()) return base;
  for (std::size_t start = 0;;) {
    std::size_t end = sub.find('\\', start);
    std::size_t length = (end == std::string_view::npos ? sub.size() : end) - start;
    if (length == 0 || length > kMaxKeyName) {
      *error = static_cast<LSTATUS>(length == 0 ? ERROR_BAD_PATHNAME : ERROR_INVALID_PARAMETER);
      return std::nullopt;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return base.empty() ? std::string(sub) : base + "\\" + std::string(sub);
}

REGSAM grantedAccess(REGSAM desired) {
  REGSAM granted = desired & KEY_ALL_ACCESS;
  for (const auto& [generic, rights] : kGenericRights)
    if (desired & generic) granted |= rights;
  return granted;
}

bool isReadOnly(RegRoot root, std::string_view path) {
  std::string subject = rootName(root);
  if (!path.empty()) subject += "\\" + std::string(path);
  // The key itself first, then each parent up to the root; one rule is consumed at most.
  for (;;) {
    if (platform::shouldFail(platform::FaultOp::RegistryReadOnly, subject)) return true;
    auto sep = subject.rfind('\\');
    if (sep == std::string::npos) return false;
    subject.resize(sep);
  }
}

LSTATUS resultOf(const platform::StoreStatus& status, LSTATUS code) {
  switch (status.failure) {
    case platform::StoreFailure::Corrupt:
      return static_cast<LSTATUS>(ERROR_REGISTRY_CORRUPT);
    case platform::StoreFailure::IoFailed:
      return static_cast<LSTATUS>(ERROR_REGISTRY_IO_FAILED);
    case platform::StoreFailure::None:
      break;
  }
  return code;
}

LSTATUS copyData(const platform::StoredValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type) *type = value.type;
  if (!size) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(value.data.size());
  if (data && *size < needed) {
    *size = needed;
    return static_cast<LSTATUS>(ERROR_MORE_DATA);
  }
  if (data && needed) std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS copyName(std::string_view name, LPSTR buffer, LPDWORD size) {
  if (*size <= name.size()) return static_cast<LSTATUS>(ERROR_MORE_DATA);
  name.copy(buffer, name.size());
  buffer[name.size()] = '\0';
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace win::registry
