// The run's platform flags: what kind of Windows the machine is, and whether
// KERNEL32 offers the 64-bit free-space call.
#pragma once

namespace merl {

// Fills run().platform from GetVersionEx and KERNEL32's exports; called once at start-up.
void InitPlatformFlags();

}  // namespace merl
