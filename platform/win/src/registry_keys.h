// What the Reg* calls share: the predefined roots, the machine's table of open
// key handles, subkey paths checked and joined as Windows reads them, the
// read-only rules, and store failures as Windows codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_store.h"
#include "win/handles.h"
#include "win/machine.h"
#include "win/registry.h"

namespace win::registry {

using platform::RegRoot;

// A key as a handle sees it: the root, the path below it ("" = the root) and the rights granted.
struct KeyRef {
  RegRoot root = RegRoot::LocalMachine;
  std::string path;
  REGSAM access = 0;
};

// An open key handle's object.
struct OpenKey : HandleObject {
  explicit OpenKey(KeyRef k) : key(std::move(k)) {}
  KeyRef key;
};

// The machine's open key handles.
struct RegistryState : MachineState {
  explicit RegistryState(Machine&);
  HandleTable keys;
};

// The key behind a predefined or open handle; nullopt for anything else.
std::optional<KeyRef> keyOf(HKEY key);
// A new handle for a key.
HKEY openHandle(const KeyRef& key);
// Closes an open handle; false when it is none.
bool closeHandle(HKEY key);

// The path of subKey below base: NULL and "" give base; a leading '\' or an empty name gives
// ERROR_BAD_PATHNAME and a name over 255 characters ERROR_INVALID_PARAMETER (in *error).
std::optional<std::string> joinSubkey(const std::string& base, LPCSTR subKey, LSTATUS* error);
// The rights a samDesired grants (generic rights and MAXIMUM_ALLOWED mapped).
REGSAM grantedAccess(REGSAM desired);

// True when a read-only rule holds for the key or one of its parents ("HKEY_LOCAL_MACHINE\path").
bool isReadOnly(RegRoot root, std::string_view path);

// ERROR_REGISTRY_CORRUPT or ERROR_REGISTRY_IO_FAILED for a failed store call, else code.
LSTATUS resultOf(const platform::StoreStatus& status, LSTATUS code);

// Copies data to a caller's buffer the Windows way: size only with a null buffer,
// ERROR_MORE_DATA and the size needed for a short one (left unwritten).
LSTATUS copyData(const platform::StoredValue& value, LPDWORD type, LPBYTE data, LPDWORD size);
// Copies a name and its NUL into a buffer of *size characters; ERROR_MORE_DATA when it does
// not fit; on success *size is the length without the NUL.
LSTATUS copyName(std::string_view name, LPSTR buffer, LPDWORD size);

}  // namespace win::registry
