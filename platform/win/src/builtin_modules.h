// The modules the layer itself provides: KERNEL32.DLL (GetDiskFreeSpaceExA,
// switched by [libraries] getdiskfreespaceex) and MPR.DLL (WNetGetUserA,
// WNetGetConnectionA; present unless [libraries] mpr = 0).
#pragma once

#include <string_view>

#include "win/library.h"
#include "win/machine_description.h"

namespace win {

struct BuiltinModule {
  const char* fileName;  // "KERNEL32.DLL"
  bool pinned;           // loaded from the start and never unloaded
  bool (*present)(const MachineDescription&);
};

// The built-in module of a file name (case-blind) when the description has it.
const BuiltinModule* findBuiltinModule(std::string_view fileName, const MachineDescription& description);
// The built-in KERNEL32 module.
const BuiltinModule& kernel32Module();
// An export of a built-in module; null when absent or switched off.
FARPROC builtinExport(const BuiltinModule& module, std::string_view name, const MachineDescription& description);

}  // namespace win
