// The runtime as the stand-in loads it: through the machine's loader, from its
// own Windows path when the host file lies on an emulated drive, else from a
// copy beside the module. MerlMain is required; DiskPrompt may be missing.
#pragma once

#include <optional>
#include <string>

#include "merl/setup_interface.h"
#include "standin_run.h"

namespace merl_standin {

using MerlMainProc = win::INT (*)(merl::SetupRec* setup, win::LPCSTR commandLine, win::INT* exitCode,
                                  win::LPSTR program, win::LPSTR arguments);

struct LoadedRuntime {
  win::HMODULE module = nullptr;
  MerlMainProc merlMain = nullptr;
  DiskPromptProc diskPrompt = nullptr;
};

// Loads the runtime at hostPath; nullopt with *error.
std::optional<LoadedRuntime> loadRuntime(const std::string& hostPath, const std::string& moduleDir, std::string* error);

}  // namespace merl_standin
