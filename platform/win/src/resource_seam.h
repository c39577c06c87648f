// Where dialogs find the bytes of a module's resource: the library layer's lookup
// (win/resource.h), or a table a test installs in its place.
#pragma once

#include <optional>
#include <string_view>

#include "win/types.h"

namespace win::detail {

inline LPCSTR const kDialogResourceType = MAKEINTRESOURCE(5);  // RT_DIALOG

// The bytes of resource name of type in module; nullopt when there is none.
using ResourceBytesLookup = std::optional<std::string_view> (*)(HMODULE module, LPCSTR type, LPCSTR name);

// Installs a test lookup in place of the library layer's (null: the library layer again); returns the one before.
ResourceBytesLookup setResourceBytesLookup(ResourceBytesLookup lookup);
// The resource's bytes through the installed lookup, else the library layer.
std::optional<std::string_view> resourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

}  // namespace win::detail
