// The process's module table: the executable, the built-in KERNEL32 (always
// loaded) and every loaded library, under one recursive loader lock (a
// DllMain may load libraries itself).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "builtin_modules.h"
#include "win/constants.h"
#include "win/handles.h"
#include "win/library.h"
#include "win/machine.h"
#include "win/resource.h"

namespace win {

struct Module : HandleObject {
  std::uintptr_t handle = 0;
  std::string windowsPath;            // "" for the executable: the process's module path then
  std::string fileName;               // the last name, as on disk
  std::uint64_t device = 0, inode = 0;
  void* library = nullptr;            // the dlopen handle (the executable's: dlopen(NULL))
  const BuiltinModule* builtin = nullptr;
  const ResourceTable* resources = nullptr;
  BuiltinResources builtinResources;  // a built-in module's own table
  DllMainProc dllMain = nullptr;      // set once attached
  int references = 0;
  bool pinned = false;                // never unloaded
};

class LibraryState : public MachineState {
 public:
  explicit LibraryState(Machine& machine);
  ~LibraryState() override;

  std::recursive_mutex loaderLock;
  HandleTable handles{kFirstLibraryHandle, kLibraryHandleStep};
  std::vector<std::shared_ptr<Module>> loaded;  // in load order
  std::shared_ptr<Module> executable;

  // The module of a handle (NULL and the executable's handle: the executable); null when unknown.
  std::shared_ptr<Module> find(HMODULE handle);
  // Adds a module with its first reference.
  void add(const std::shared_ptr<Module>& module);
  // Removes a module from the table.
  void remove(const std::shared_ptr<Module>& module);
  // The Windows path of a module.
  std::string pathOf(const Module& module) const;

  // Resource handles: one number per (module, entry).
  std::uintptr_t resourceHandle(std::uintptr_t module, DWORD entry);
  bool resourceOf(std::uintptr_t handle, std::uintptr_t& module, DWORD& entry) const;

 private:
  Machine& machine_;
  std::map<std::pair<std::uintptr_t, DWORD>, std::uintptr_t> resourceHandles_;
  std::map<std::uintptr_t, std::pair<std::uintptr_t, DWORD>> resourceEntries_;
  std::uintptr_t nextResource_;
};

// An export of the loaded object itself (not of a library it depends on); null when absent.
void* ownSymbol(void* library, const char* name);
// Calls DllMain(detach, reserved set) of every attached library, last loaded first.
void detachLibrariesAtExit();

}  // namespace win
