// The registry store shared by the servers' RegistryKey and the emulated
// machine's Reg* calls: the text file <state>/registry.txt, its line format,
// and the locked read and read-modify-write every registry call goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Roots, numbered in the store as listed.
enum class RegRoot { LocalMachine, CurrentUser, ClassesRoot, Users, CurrentConfig };

// A value: any 32-bit type, its data exactly as set.
struct StoredValue {
  std::string name;  // "" is the key's default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct StoredKey {
  RegRoot root = RegRoot::LocalMachine;
  std::string path;  // "A\B" below the root, in the case of its first writer
  std::vector<StoredValue> values;  // in the order they were first set
};

// The parsed store: keys in file order, each with all its parents present.
// Paths and value names compare without regard to ASCII case.
class RegistryStore {
 public:
  // The key at path ("" is the root itself, which is never stored); null when missing.
  StoredKey* find(RegRoot root, std::string_view path);
  const StoredKey* find(RegRoot root, std::string_view path) const;
  // The key at path, made with each missing parent; *created says whether path itself was new.
  // Null for the root ("").
  StoredKey* create(RegRoot root, std::string_view path, bool* created = nullptr);
  // Names of the keys directly below path ("" = the root), in store order.
  std::vector<std::string> subkeys(RegRoot root, std::string_view path) const;
  // Removes the key at path and everything below it; false when there was nothing (or path is "").
  bool eraseTree(RegRoot root, std::string_view path);

  // The value of that name in key; null when missing.
  static StoredValue* findValue(StoredKey& key, std::string_view name);
  static const StoredValue* findValue(const StoredKey& key, std::string_view name);
  // Sets a value (an existing one keeps its name as first written).
  static void setValue(StoredKey& key, StoredValue value);
  // Removes the value of that name; false when there was none.
  static bool eraseValue(StoredKey& key, std::string_view name);

  std::vector<StoredKey> keys;
};

// True when two key paths or value names are equal without regard to ASCII case.
bool sameRegistryName(std::string_view a, std::string_view b);

// Parses the store's text; false with the number (from 1) of the first line that does not parse.
bool parseRegistryStore(std::string_view text, RegistryStore& store, std::size_t* badLine);
// The store's text.
std::string formatRegistryStore(const RegistryStore& store);

// Why a store call failed.
enum class StoreFailure {
  None,
  Corrupt,   // a line does not parse; the file is left as it is
  IoFailed,  // the file cannot be locked, read or written
};

struct StoreStatus {
  StoreFailure failure = StoreFailure::None;
  std::string text;  // what failed, naming the file (and the line); empty on success

  bool ok() const { return failure == StoreFailure::None; }
};

// Runs read on the store under a shared lock.
StoreStatus readRegistryStore(const std::function<void(const RegistryStore&)>& read);
// Runs change on the store under an exclusive lock and writes the store whole when it returns
// true. A store that does not parse is never handed to change, so it is never rewritten.
StoreStatus changeRegistryStore(const std::function<bool(RegistryStore&)>& change);

// Path of the store file.
std::string registryStorePath();

}  // namespace platform
