// The resource lookup seam.
#include "resource_seam.h"

#include <atomic>

namespace win::detail {

namespace {

std::atomic<ResourceBytesLookup> installed{nullptr};

}  // namespace

ResourceBytesLookup setResourceBytesLookup(ResourceBytesLookup lookup) { return installed.exchange(lookup); }

std::optional<std::string_view> resourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
  ResourceBytesLookup lookup = installed.load();
  if (!lookup) return std::nullopt;
  return lookup(module, type, name);
}

}  // namespace win::detail
