// The self-registration queue and SelfRegister: each queued file registers
// itself as a program ("/REGSERVER"), through the support program (PE files) or
// through its "DllRegisterServer" with OLE ready (other modules).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "run.h"

namespace merl {

inline constexpr std::size_t kSelfRegisterLimit = 1024;
inline constexpr std::size_t kSelfRegisterEntrySize = 256;
inline constexpr int kSelfRegisterTitle = 18;
inline constexpr char kSelfRegisteredLine[] = "Self-Register: ";
inline constexpr char kNotSelfRegisteredLine[] = "Could not Self-Register: ";

// The queued paths, absolute and in short form, in the order they were queued.
struct SelfRegisterQueue : RunState {
  std::vector<std::array<char, kSelfRegisterEntrySize>> entries;
};

SelfRegisterQueue& selfRegisterQueue();

// Appends path (made absolute, short form; cut to 255 characters) to the queue. A full queue
// refuses it and logs it as not registered at once; false then.
bool QueueSelfRegister(const char* path);

// Registers every queued file in order, logs each result, empties the queue and restores the
// current directory. With /M1 each path is shown first.
void SelfRegister();

}  // namespace merl
