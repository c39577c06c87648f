// The shared-file counters: one REG_DWORD per shared file under HKLM's
// SharedDLLs key, named by the file's long absolute path.
#pragma once

namespace merl {

inline constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr char kSharedCounterIgnored[] = "Shared DLL counter ignored:";

// Counts one more installation of a shared file (a file that existed without a counter
// counts as one earlier installation). For an unshared file only a counter above 0 is
// logged, never changed. Registry failures are silent.
void SharedDllCount(const char* path, bool existed, bool notShared);

}  // namespace merl
