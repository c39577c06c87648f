// Values of the installer runtime that its specification leaves open: limits
// of its own buffers and loops. Each is listed in README.md ("Installer runtime").
#pragma once

#include <cstddef>

namespace merl {

// Bytes of one log line built by the runtime (a 255-character path and its prefix fit).
inline constexpr std::size_t kLogLineSize = 1024;

// Side names MakeSideFileName tries (every value of its 16-bit counter) before it gives up.
inline constexpr unsigned kSideNameLimit = 0x10000;

// Networks GetNetUserName asks in turn on a multi-network driver before it gives up.
inline constexpr int kNetworkTargetLimit = 64;

// Virtual milliseconds PumpUntilTimer keeps waiting past its time for a main window that never
// clears the wait flag.
inline constexpr unsigned kTimerWaitGraceMs = 10000;

// Times the disk prompt opens the disk file again after its dialog before it gives up.
inline constexpr int kDiskPromptRounds = 100;

}  // namespace merl
