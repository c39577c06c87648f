// The servers' registry keys on the shared registry store: each call is one
// locked read (or read-modify-write) of the store, its outcome kept as this
// thread's last registry error.
#include "platform/registry.h"

#include <algorithm>

namespace platform {

namespace {

thread_local RegError lastError;

bool succeed() {
  lastError = RegError{};
  return true;
}

bool fail(long code, std::string text) {
  lastError = RegError{code, std::move(text)};
  return false;
}

std::string trimSlashes(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.front() == '\\') p.erase(p.begin());
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return p;
}

constexpr RegType kWrittenTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD};

RegValue valueOf(const StoredValue& v) { return {v.name, static_cast<RegType>(v.type), v.data}; }

// The outcome of a store call whose step gave code: the store's own failure first.
bool outcome(const StoreStatus& status, long code) {
  if (status.failure == StoreFailure::Corrupt) return fail(ERROR_REGISTRY_CORRUPT, status.text);
  if (status.failure == StoreFailure::IoFailed) return fail(ERROR_REGISTRY_IO_FAILED, status.text);
  if (code == ERROR_FILE_NOT_FOUND) return fail(code, "no such key or value in " + registryStorePath());
  if (code != ERROR_SUCCESS) return fail(code, registryStorePath());
  return succeed();
}

}  // namespace

const RegError& registryLastError() { return lastError; }

std::string RegValue::text() const {
  std::string s(data.begin(), data.end());
  auto nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

std::uint32_t RegValue::dword() const {
  std::uint32_t d = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) d |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return d;
}

std::optional<RegistryKey> RegistryKey::create(RegRoot root, const std::string& rawPath) {
  std::string path = trimSlashes(rawPath);
  if (path.empty()) {
    fail(ERROR_INVALID_PARAMETER, "empty key path");
    return std::nullopt;
  }
  auto status = changeRegistryStore([&](RegistryStore& store) {
    bool created = false;
    store.create(root, path, &created);
    return created;
  });
  if (!outcome(status, ERROR_SUCCESS)) return std::nullopt;
  return RegistryKey(root, path);
}

std::optional<RegistryKey> RegistryKey::open(RegRoot root, const std::string& rawPath) {
  std::string path = trimSlashes(rawPath);
  std::string stored;
  long code = ERROR_FILE_NOT_FOUND;
  auto status = readRegistryStore([&](const RegistryStore& store) {
    if (const StoredKey* k = store.find(root, path)) {
      stored = k->path;
      code = ERROR_SUCCESS;
    }
  });
  if (!outcome(status, code)) return std::nullopt;
  return RegistryKey(root, stored);
}

bool RegistryKey::setValue(const RegValue& value) {
  if (std::find(std::begin(kWrittenTypes), std::end(kWrittenTypes), value.type) == std::end(kWrittenTypes))
    return fail(ERROR_INVALID_PARAMETER, "value type " + std::to_string(value.type));
  auto status = changeRegistryStore([&](RegistryStore& store) {
    RegistryStore::setValue(*store.create(root_, path_),
                            {value.name, static_cast<std::uint32_t>(value.type), value.data});
    return true;
  });
  return outcome(status, ERROR_SUCCESS);
}

bool RegistryKey::setString(const std::string& name, const std::string& value, RegType type) {
  RegValue v;
  v.name = name;
  v.type = type;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  return setValue(v);
}

bool RegistryKey::setDword(const std::string& name, std::uint32_t value) {
  RegValue v;
  v.name = name;
  v.type = REG_DWORD;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return setValue(v);
}

std::optional<RegValue> RegistryKey::value(const std::string& name) const {
  std::optional<RegValue> found;
  auto status = readRegistryStore([&](const RegistryStore& store) {
    if (const StoredKey* k = store.find(root_, path_))
      if (const StoredValue* v = RegistryStore::findValue(*k, name)) found = valueOf(*v);
  });
  if (!outcome(status, found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND)) return std::nullopt;
  return found;
}

std::vector<RegValue> RegistryKey::values() const {
  std::vector<RegValue> all;
  auto status = readRegistryStore([&](const RegistryStore& store) {
    if (const StoredKey* k = store.find(root_, path_))
      for (const auto& v : k->values) all.push_back(valueOf(v));
  });
  outcome(status, ERROR_SUCCESS);
  return all;
}

std::vector<std::string> RegistryKey::subkeys() const {
  std::vector<std::string> names;
  auto status = readRegistryStore([&](const RegistryStore& store) { names = store.subkeys(root_, path_); });
  outcome(status, ERROR_SUCCESS);
  return names;
}

bool RegistryKey::deleteValue(const std::string& name) {
  long code = ERROR_FILE_NOT_FOUND;
  auto status = changeRegistryStore([&](RegistryStore& store) {
    StoredKey* k = store.find(root_, path_);
    if (k && RegistryStore::eraseValue(*k, name)) code = ERROR_SUCCESS;
    return code == ERROR_SUCCESS;
  });
  return outcome(status, code);
}

bool RegistryKey::deleteTree() {
  auto status = changeRegistryStore([&](RegistryStore& store) { return store.eraseTree(root_, path_); });
  return outcome(status, ERROR_SUCCESS);
}

}  // namespace platform
