// Until the library layer (win/library.h) is merged: where dialogs find the bytes
// of a module's resource. The library layer installs its FindResource/LoadResource
// lookup here; tests install a table of their own.
#pragma once

#include <optional>
#include <string_view>

#include "win/types.h"

namespace win::detail {

inline LPCSTR const kDialogResourceType = MAKEINTRESOURCE(5);  // RT_DIALOG

// The bytes of resource name of type in module; nullopt when there is none.
using ResourceBytesLookup = std::optional<std::string_view> (*)(HMODULE module, LPCSTR type, LPCSTR name);

// Installs the lookup (null: none, every lookup fails); returns the one before.
ResourceBytesLookup setResourceBytesLookup(ResourceBytesLookup lookup);
// The resource's bytes through the installed lookup.
std::optional<std::string_view> resourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

}  // namespace win::detail
