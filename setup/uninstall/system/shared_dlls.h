// Shared-library reference counts: the SharedDLLs value of a file counted
// down, and the question whether a file no program uses any more goes.
#pragma once

#include <string>

namespace remvex {

// 0: not counted (an ordinary file); 1: the file stays (still in use, kept by the answer,
// or a count that cannot be read); 2: the user chose to delete it.
int DecrementSharedDllCount(const std::string& path);

}  // namespace remvex
