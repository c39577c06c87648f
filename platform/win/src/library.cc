// LoadLibrary and its family over dlopen. Names resolve to mapped files (or
// built-in modules); a file loads once per process however it is named, and
// every load and free is a transcript line.
#include "win/library.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <optional>

#include "host_files.h"
#include "library_state.h"
#include "search_order.h"
#include "platform/faults.h"
#include "win/error.h"
#include "win/path.h"

namespace win {

namespace {

HMODULE asModule(std::uintptr_t handle) { return handleFromValue<HMODULE>(handle); }

std::string lastName(std::string_view path) {
  auto sep = path.find_last_of("\\/");
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

// A library name gets ".DLL" when its last name has no extension.
std::string withDefaultExtension(std::string_view name) {
  std::string n(name);
  if (lastName(n).find('.') == std::string::npos) n += ".DLL";
  return n;
}

// The mapped file at a Windows path, when it exists as a file.
std::optional<MappedFile> fileAt(const std::string& text) {
  DWORD ignored = 0;
  return findMappedFile(text, &ignored);
}

std::optional<MappedFile> searchLibrary(const std::string& file) {
  Machine& m = machine();
  std::vector<std::string> dirs;
  if (auto dir = programDirectory(); !dir.empty()) dirs.push_back(dir);
  dirs.push_back(m.description().systemDir);
  dirs.push_back(m.description().windowsDir);
  for (const auto& dir : dirs)
    if (auto found = fileAt(dir + "\\" + file)) return found;
  return std::nullopt;
}

std::shared_ptr<Module> loadedByName(LibraryState& s, std::string_view file) {
  for (const auto& m : s.loaded)
    if (namesEqual(m->fileName, file)) return m;
  return nullptr;
}

std::shared_ptr<Module> loadedById(LibraryState& s, std::uint64_t device, std::uint64_t inode) {
  for (const auto& m : s.loaded)
    if (!m->builtin && m->device == device && m->inode == inode) return m;
  return nullptr;
}

DWORD dlopenError() {
  const char* text = ::dlerror();
  std::string why = text ? text : "";
  if (why.find("undefined symbol") != std::string::npos) return ERROR_PROC_NOT_FOUND;
  if (why.find("cannot open shared object file") != std::string::npos) return ERROR_MOD_NOT_FOUND;
  return ERROR_BAD_EXE_FORMAT;
}

void writeLoad(const Module& m, std::string_view name) {
  machine().transcript().write("library-load", JsonObject()
                                                   .add("name", name)
                                                   .add("path", m.windowsPath)
                                                   .add("module", m.handle)
                                                   .add("refs", m.references));
}

HMODULE refuse(std::string_view name, DWORD error) {
  machine().transcript().write("library-load-failed", JsonObject().add("name", name).add("error", error));
  SetLastError(error);
  return nullptr;
}

HMODULE addReference(const std::shared_ptr<Module>& m, std::string_view name) {
  ++m->references;
  writeLoad(*m, name);
  return asModule(m->handle);
}

HMODULE loadBuiltin(LibraryState& s, const BuiltinModule& builtin, std::string_view name) {
  auto m = std::make_shared<Module>();
  m->builtin = &builtin;
  m->fileName = builtin.fileName;
  m->windowsPath = machine().description().systemDir + "\\" + builtin.fileName;
  m->resources = fillBuiltinResources(builtin, machine().description(), m->builtinResources);
  s.add(m);
  writeLoad(*m, name);
  return asModule(m->handle);
}

// Opens the file and attaches it; the module, or nullptr with *error.
std::shared_ptr<Module> openLibrary(LibraryState& s, const MappedFile& file, bool attach, DWORD* error) {
  if (!isHostExecutableImage(file.hostPath)) {
    *error = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  void* library = ::dlopen(file.hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    *error = dlopenError();
    return nullptr;
  }
  auto m = std::make_shared<Module>();
  m->windowsPath = file.windowsPath;
  m->fileName = lastName(file.windowsPath);
  auto id = hostFileId(file.hostPath);
  if (id) std::tie(m->device, m->inode) = *id;
  m->library = library;
  m->resources = static_cast<const ResourceTable*>(ownSymbol(library, kResourceTableSymbol));
  s.add(m);
  auto dllMain = attach ? reinterpret_cast<DllMainProc>(ownSymbol(library, "DllMain")) : nullptr;
  if (dllMain && !dllMain(asModule(m->handle), DLL_PROCESS_ATTACH, nullptr)) {
    dllMain(asModule(m->handle), DLL_PROCESS_DETACH, nullptr);
    s.remove(m);
    ::dlclose(library);
    *error = ERROR_DLL_INIT_FAILED;
    return nullptr;
  }
  m->dllMain = dllMain;
  return m;
}

HMODULE load(LPCSTR name, DWORD flags, bool extended) {
  if (!name || !*name) return refuse("", ERROR_INVALID_PARAMETER);
  Machine& machineRef = machine();
  auto& s = machineRef.state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  std::string file = withDefaultExtension(name);
  std::optional<MappedFile> found;
  if (isBareName(file)) {
    if (auto m = loadedByName(s, file)) {
      if (extended && platform::shouldFail(platform::FaultOp::LoadLibraryEx, m->windowsPath))
        return refuse(name, ERROR_MOD_NOT_FOUND);
      return addReference(m, name);
    }
    if (auto builtin = findBuiltinModule(file, machineRef.description())) return loadBuiltin(s, *builtin, name);
    found = searchLibrary(file);
  } else {
    found = fileAt(file);
  }
  if (!found) return refuse(name, ERROR_MOD_NOT_FOUND);
  long long value = 0;
  if (extended && platform::shouldFail(platform::FaultOp::LoadLibraryEx, found->windowsPath, &value))
    return refuse(name, value > 0 ? static_cast<DWORD>(value) : ERROR_MOD_NOT_FOUND);
  if (auto id = hostFileId(found->hostPath))
    if (auto m = loadedById(s, id->first, id->second)) return addReference(m, name);
  DWORD error = 0;
  auto m = openLibrary(s, *found, !(flags & DONT_RESOLVE_DLL_REFERENCES), &error);
  if (!m) return refuse(name, error);
  writeLoad(*m, name);
  return asModule(m->handle);
}

void unload(LibraryState& s, const std::shared_ptr<Module>& m) {
  if (m->dllMain) m->dllMain(asModule(m->handle), DLL_PROCESS_DETACH, nullptr);
  s.remove(m);
  if (m->library) ::dlclose(m->library);
}

}  // namespace

void* ownSymbol(void* library, const char* name) {
  if (!library) return nullptr;
  ::dlerror();
  void* symbol = ::dlsym(library, name);
  if (!symbol) return nullptr;
  link_map* own = nullptr;
  link_map* holder = nullptr;
  Dl_info info{};
  if (::dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 ||
      !::dladdr1(symbol, &info, reinterpret_cast<void**>(&holder), RTLD_DL_LINKMAP) || holder != own)
    return nullptr;
  return symbol;
}

LibraryState::LibraryState(Machine& machine) : machine_(machine), nextResource_(kFirstResourceHandle) {
  executable = std::make_shared<Module>();
  executable->handle = kExecutableModuleHandle;
  executable->library = ::dlopen(nullptr, RTLD_NOW);
  executable->resources = static_cast<const ResourceTable*>(ownSymbol(executable->library, kResourceTableSymbol));
  executable->pinned = true;
  auto kernel32 = std::make_shared<Module>();
  kernel32->builtin = &kernel32Module();
  kernel32->fileName = kernel32->builtin->fileName;
  kernel32->windowsPath = machine.description().systemDir + "\\" + kernel32->fileName;
  kernel32->pinned = true;
  add(kernel32);
}

LibraryState::~LibraryState() {
  while (!loaded.empty()) {
    auto m = loaded.back();
    loaded.pop_back();
    if (m->dllMain) m->dllMain(asModule(m->handle), DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
    if (m->library) ::dlclose(m->library);
  }
  if (executable->library) ::dlclose(executable->library);
}

std::shared_ptr<Module> LibraryState::find(HMODULE handle) {
  std::uintptr_t value = handleValue(handle);
  if (value == 0 || value == kExecutableModuleHandle) return executable;
  return handles.find<Module>(value);
}

void LibraryState::add(const std::shared_ptr<Module>& module) {
  module->handle = handles.add(module);
  module->references = 1;
  loaded.push_back(module);
}

void LibraryState::remove(const std::shared_ptr<Module>& module) {
  handles.remove(module->handle);
  std::erase(loaded, module);
}

std::string LibraryState::pathOf(const Module& module) const {
  return &module == executable.get() ? machine_.modulePath() : module.windowsPath;
}

std::uintptr_t LibraryState::resourceHandle(std::uintptr_t module, DWORD entry) {
  auto key = std::pair{module, entry};
  auto it = resourceHandles_.find(key);
  if (it != resourceHandles_.end()) return it->second;
  std::uintptr_t handle = nextResource_;
  nextResource_ += kResourceHandleStep;
  resourceHandles_.emplace(key, handle);
  resourceEntries_.emplace(handle, key);
  return handle;
}

bool LibraryState::resourceOf(std::uintptr_t handle, std::uintptr_t& module, DWORD& entry) const {
  auto it = resourceEntries_.find(handle);
  if (it == resourceEntries_.end()) return false;
  std::tie(module, entry) = it->second;
  return true;
}

void detachLibrariesAtExit() {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  for (auto it = s.loaded.rbegin(); it != s.loaded.rend(); ++it)
    if ((*it)->dllMain) (*it)->dllMain(asModule((*it)->handle), DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
}

HMODULE LoadLibrary(LPCSTR lpLibFileName) { return load(lpLibFileName, 0, false); }

HMODULE LoadLibraryEx(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (hFile || (dwFlags & ~(DONT_RESOLVE_DLL_REFERENCES | LOAD_WITH_ALTERED_SEARCH_PATH))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return load(lpLibFileName, dwFlags, true);
}

BOOL FreeLibrary(HMODULE hLibModule) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  auto m = hLibModule ? s.find(hLibModule) : nullptr;
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (m == s.executable) return TRUE;
  if (!m->pinned || m->references > 1) --m->references;
  machine().transcript().write(
      "library-free", JsonObject().add("path", m->windowsPath).add("module", m->handle).add("refs", m->references));
  if (m->references == 0) unload(s, m);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  auto& s = machine().state<LibraryState>();
  std::lock_guard lock(s.loaderLock);
  auto m = s.find(hModule);
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  FARPROC proc = nullptr;
  if (lpProcName && (reinterpret_cast<UINT_PTR>(lpProcName) >> 16) != 0) {
    proc = m->builtin ? builtinExport(*m->builtin, lpProcName, machine().description())
                      : reinterpret_cast<FARPROC>(ownSymbol(m->library, lpProcName));
  }
  if (!proc) SetLastError(ERROR_PROC_NOT_FOUND);
  return proc;
}

HMODULE GetModuleHandle(LPCSTR lpModuleName) {
  auto& s = machine().state<LibraryState>();
  if (!lpModuleName) return asModule(kExecutableModuleHandle);
  std::lock_guard lock(s.loaderLock);
  std::string name = withDefaultExtension(lpModuleName);
  std::string exe = s.pathOf(*s.executable);
  if (isBareName(name)) {
    if (auto m = loadedByName(s, name)) return asModule(m->handle);
    if (!exe.empty() && namesEqual(lastName(exe), name)) return asModule(kExecutableModuleHandle);
  } else if (auto path = parsePath(name)) {
    for (const auto& m : s.loaded) {
      auto mp = parsePath(m->windowsPath);
      if (mp && pathsEqual(*mp, *path)) return asModule(m->handle);
    }
    auto ep = exe.empty() ? std::nullopt : parsePath(exe);
    if (ep && pathsEqual(*ep, *path)) return asModule(kExecutableModuleHandle);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  auto& s = machine().state<LibraryState>();
  std::string path;
  {
    std::lock_guard lock(s.loaderLock);
    auto m = s.find(hModule);
    if (!m) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = s.pathOf(*m);
  }
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < nSize) {
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(lpFilename, path.data(), nSize - 1);
  lpFilename[nSize - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}

}  // namespace win
