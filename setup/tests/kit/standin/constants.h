// Values of the setup-program stand-in that no caller prescribes: defaults of
// its options, its window, the runtime's name on the machine, its exit
// statuses and bounds. Documented in setup/tests/kit/README.md.
#pragma once

#include <cstddef>
#include <cstdint>

namespace merl_standin {

inline constexpr const char* kDefaultModulePath = "C:\\SETUP\\SETUP.EXE";
inline constexpr int kDefaultScreenWidth = 640;
inline constexpr int kDefaultScreenHeight = 480;
// A runtime given outside every emulated drive is copied beside the module under this name.
inline constexpr const char* kRuntimeFileName = "MERL0132.DLL";

inline constexpr const char* kMainWindowClass = "MerlSetupMain";
inline constexpr const char* kMainWindowTitle = "Setup";
// The timer the runtime starts on the main window for its waits.
inline constexpr std::uintptr_t kWaitTimerId = 8297;

// The buffers MerlMain gets for the program to start afterwards and its arguments.
inline constexpr std::size_t kProgramBufferSize = 256;

// Exit statuses: MerlMain was called and returned; a bad option or input file. The
// machine itself ends the process with 2 (refused machine.ini) or 3 (a stuck wait).
inline constexpr int kExitCalled = 0;
inline constexpr int kExitBadInput = 2;

// Bounds: the script image, a copy-callback block, disk prompts within one copy, the
// messages drained after the call.
inline constexpr std::size_t kMaxImageBytes = 64u << 20;
inline constexpr std::size_t kCopyBlockBytes = 64u << 10;
inline constexpr int kMaxDiskPromptsPerCopy = 64;
inline constexpr int kMaxDrainedMessages = 10000;

}  // namespace merl_standin
