// The modules the layer itself provides: KERNEL32.DLL (GetDiskFreeSpaceExA,
// switched by [libraries] getdiskfreespaceex), MPR.DLL (WNetGetUserA,
// WNetGetConnectionA; present unless [libraries] mpr = 0) and, on Windows 9x
// and Win32s, USER.EXE with the owner strings 514 and 515 and no exports.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win/library.h"
#include "win/machine_description.h"
#include "win/resource.h"

namespace win {

struct BuiltinModule {
  const char* fileName;  // "KERNEL32.DLL"
  bool pinned;           // loaded from the start and never unloaded
  bool (*present)(const MachineDescription&);
};

// The resource table a built-in module carries, filled from the description when it loads.
struct BuiltinResources {
  std::vector<std::string> texts;
  std::vector<ResourceEntry> entries;
  ResourceTable table{};
};

// The built-in module of a file name (case-blind) when the description has it.
const BuiltinModule* findBuiltinModule(std::string_view fileName, const MachineDescription& description);
// The built-in KERNEL32 module.
const BuiltinModule& kernel32Module();
// Fills resources for module; the table, or null when the module has none.
const ResourceTable* fillBuiltinResources(const BuiltinModule& module, const MachineDescription& description,
                                          BuiltinResources& resources);
// An export of a built-in module; null when absent or switched off.
FARPROC builtinExport(const BuiltinModule& module, std::string_view name, const MachineDescription& description);

}  // namespace win
