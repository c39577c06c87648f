// Placing and loading the runtime.
#include "runtime_module.h"

#include "constants.h"
#include "machine_files.h"
#include "win/error.h"
#include "win/library.h"
#include "win/path.h"

namespace merl_standin {

std::optional<LoadedRuntime> loadRuntime(const std::string& hostPath, const std::string& moduleDir,
                                         std::string* error) {
  std::string windowsPath;
  if (auto mapped = win::hostToWindows(hostPath)) {
    windowsPath = *mapped;
  } else {
    windowsPath = win::parsePath(moduleDir)->child(kRuntimeFileName).text();
    if (!copyIntoMachine(hostPath, windowsPath, error)) return std::nullopt;
  }
  LoadedRuntime r;
  r.module = win::LoadLibrary(windowsPath.c_str());
  if (!r.module) {
    *error = "cannot load the runtime " + windowsPath + " (error " + std::to_string(win::GetLastError()) + ")";
    return std::nullopt;
  }
  r.merlMain = win::procAddress<MerlMainProc>(r.module, "MerlMain");
  r.diskPrompt = win::procAddress<DiskPromptProc>(r.module, "DiskPrompt");
  if (!r.merlMain) {
    *error = "the runtime " + windowsPath + " does not export MerlMain";
    win::FreeLibrary(r.module);
    return std::nullopt;
  }
  return r;
}

}  // namespace merl_standin
