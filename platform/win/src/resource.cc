// Resources from a module's exported table: lookup by type and name (numbers
// or case-blind texts), the FindResource family over it, and LoadString.
#include "win/resource.h"

#include <algorithm>
#include <cstring>

#include "library_state.h"
#include "win/error.h"
#include "win/path.h"

namespace win {

namespace {

// True when an entry's number or name matches a MAKEINTRESOURCE-style argument.
bool matches(WORD id, const char* name, LPCSTR wanted) {
  if (IS_INTRESOURCE(wanted)) return !name && id == static_cast<WORD>(reinterpret_cast<UINT_PTR>(wanted));
  if (wanted[0] == '#') {  // "#123" names number 123
    char* end = nullptr;
    unsigned long n = std::strtoul(wanted + 1, &end, 10);
    return !name && *end == '\0' && n == id;
  }
  return name && namesEqual(name, wanted);
}

struct Found {
  std::shared_ptr<Module> module;
  DWORD entry = 0;
};

// The entry of a resource; nullopt with the last error set.
std::optional<Found> findEntry(LibraryState& s, HMODULE handle, LPCSTR type, LPCSTR name) {
  auto m = s.find(handle);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return std::nullopt;
  }
  const ResourceTable* table = m->resources;
  if (!table || !table->entries || !type || !name) {
    SetLastError(table ? ERROR_INVALID_PARAMETER : ERROR_RESOURCE_DATA_NOT_FOUND);
    return std::nullopt;
  }
  bool typeSeen = false;
  for (DWORD i = 0; i < table->count; ++i) {
    const ResourceEntry& e = table->entries[i];
    if (!matches(e.typeId, e.typeName, type)) continue;
    typeSeen = true;
    if (matches(e.id, e.name, name)) return Found{m, i};
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return std::nullopt;
}

// The entry behind a resource handle of a module.
const ResourceEntry* entryOfHandle(LibraryState& s, HMODULE handle, HRSRC resource) {
  std::uintptr_t module = 0;
  DWORD index = 0;
  auto m = s.find(handle);
  if (!m || !s.resourceOf(handleValue(resource), module, index) || module != m->handle || !m->resources ||
      index >= m->resources->count) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &m->resources->entries[index];
}

}  // namespace

std::optional<ResourceBytes> findResourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  auto found = findEntry(s, module, type, name);
  if (!found) return std::nullopt;
  const ResourceEntry& e = found->module->resources->entries[found->entry];
  return ResourceBytes{static_cast<const BYTE*>(e.data), e.data ? e.size : 0};
}

HRSRC FindResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  auto found = findEntry(s, hModule, lpType, lpName);
  if (!found) return nullptr;
  return handleFromValue<HRSRC>(s.resourceHandle(found->module->handle, found->entry));
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  const ResourceEntry* e = entryOfHandle(s, hModule, hResInfo);
  if (!e) return nullptr;
  if (!e->data) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return const_cast<void*>(e->data);
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  const ResourceEntry* e = entryOfHandle(s, hModule, hResInfo);
  return e && e->data ? e->size : 0;
}

int LoadString(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0 || uID > 0xFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto bytes = findResourceBytes(hInstance, RT_STRING, MAKEINTRESOURCE(static_cast<WORD>(uID)));
  if (!bytes) {
    lpBuffer[0] = '\0';
    return 0;
  }
  const char* text = reinterpret_cast<const char*>(bytes->data);
  std::size_t length = text ? ::strnlen(text, bytes->size) : 0;
  length = std::min(length, static_cast<std::size_t>(cchBufferMax - 1));
  if (length) std::memcpy(lpBuffer, text, length);
  lpBuffer[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace win
