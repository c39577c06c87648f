// Where dialogs find resource bytes: the library layer's lookup, unless a test installs its own table.
#include "resource_seam.h"

#include "win/resource.h"

#include <atomic>

namespace win::detail {

namespace {

std::atomic<ResourceBytesLookup> installed{nullptr};

}  // namespace

ResourceBytesLookup setResourceBytesLookup(ResourceBytesLookup lookup) { return installed.exchange(lookup); }

std::optional<std::string_view> resourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
  if (ResourceBytesLookup lookup = installed.load()) return lookup(module, type, name);
  auto bytes = findResourceBytes(module, type, name);
  if (!bytes) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(bytes->data), bytes->size);
}

}  // namespace win::detail
