// The registry undo: restoring a value from its logged old data, removing a
// value with the keys it leaves empty, and deleting whole key trees. Keys that
// name a hive or a top-level branch are never removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win/registry.h"

namespace remvex {

// The hive of a root number 0-4; null for any other.
win::HKEY RegistryRoot(std::uint32_t root);

// A value's type and bytes from the logged texts (type numbers 0-4: SZ, EXPAND_SZ, MULTI_SZ,
// DWORD as decimal, BINARY as hexadecimal); nullopt when the texts do not make the type.
struct RegistryData {
  win::DWORD type = 0;
  std::vector<std::uint8_t> bytes;
};
std::optional<RegistryData> EncodeRegistryData(std::uint32_t type, const std::vector<std::string>& texts);

// Writes the value when its key opens; false when nothing was written.
bool RestoreRegistryValue(std::uint32_t root, const std::string& key, const std::string& name, std::uint32_t type,
                          const std::vector<std::string>& texts);

// Deletes the value, then the key and each parent that is left without values or sub-keys.
void RemoveRegistryValue(std::uint32_t root, const std::string& key, const std::string& name);

// Deletes the key with all its sub-keys.
void DeleteRegistryTree(const std::string& key, std::uint32_t root);

// A use count as stored: REG_SZ decimal, REG_DWORD or a 4-byte REG_BINARY; nullopt for
// anything else.
std::optional<std::int32_t> RegistryCount(win::DWORD type, const std::uint8_t* bytes, win::DWORD size);

// True for a key that may be removed: not empty (nor only backslashes), and a tree under roots
// 1-4 has at least two components.
bool RemovableKey(const std::string& key, std::uint32_t root, bool tree);

}  // namespace remvex
