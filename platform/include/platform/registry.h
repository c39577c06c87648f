// The servers' registry keys: backslash paths under a root, compared without
// regard to case but kept as first written, with typed values. They live in
// the shared registry store (registry_store.h), rewritten whole under a lock;
// a store with a line that does not parse fails every call and is never rewritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace platform {

// The value types this interface writes (the store keeps any type).
enum RegType : int {
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
};

// Windows error values of failed registry calls.
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;        // no such key or value
inline constexpr long ERROR_INVALID_PARAMETER = 87;    // a value type this interface does not write
inline constexpr long ERROR_REGISTRY_CORRUPT = 1015;   // a line of the store does not parse
inline constexpr long ERROR_REGISTRY_IO_FAILED = 1016; // the store cannot be read, locked or written

struct RegError {
  long code = ERROR_SUCCESS;
  std::string text;  // what failed, for the log; empty after a success
};

// The outcome of this thread's last registry call (like GetLastError).
const RegError& registryLastError();

struct RegValue {
  std::string name;
  RegType type = REG_SZ;
  std::vector<std::uint8_t> data;  // strings carry their terminating zero

  std::string text() const;        // string data without the terminator
  std::uint32_t dword() const;     // little-endian REG_DWORD data
};

// An open key. Operations return false, nullopt or nothing on failure, with
// the reason in registryLastError().
class RegistryKey {
 public:
  // Creates the key (and its parents) when missing.
  static std::optional<RegistryKey> create(RegRoot root, const std::string& path);
  // Opens an existing key.
  static std::optional<RegistryKey> open(RegRoot root, const std::string& path);

  bool setString(const std::string& name, const std::string& value, RegType type = REG_SZ);
  bool setDword(const std::string& name, std::uint32_t value);
  bool setValue(const RegValue& value);
  std::optional<RegValue> value(const std::string& name) const;
  std::vector<RegValue> values() const;
  std::vector<std::string> subkeys() const;
  bool deleteValue(const std::string& name);
  // Removes this key and everything below it.
  bool deleteTree();

  const std::string& path() const { return path_; }

 private:
  RegistryKey(RegRoot root, std::string path) : root_(root), path_(std::move(path)) {}
  RegRoot root_;
  std::string path_;
};

}  // namespace platform
