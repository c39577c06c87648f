// Starting a host program directly (fork and execve, never a shell): the
// child waits until the parent has recorded it, then changes directory and
// executes; a failure to execute comes back to the parent as an errno.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace win {

struct SpawnRequest {
  std::string program;            // host path of the executable
  std::vector<std::string> argv;  // argv[0] included
  std::vector<std::string> env;   // "NAME=value", the whole environment
  std::string directory;          // host directory to start in ("" = ours)
};

// Starts the program. recorded(pid) runs in the parent before the child may execute; it returns
// false to call the start off. Returns the pid, or -1 with *error set to the errno of the failed
// step (ECANCELED when recorded refused).
pid_t spawnProgram(const SpawnRequest& request, const std::function<bool(pid_t)>& recorded, int* error);

// The host environment of the calling process, without the named variables.
std::vector<std::string> hostEnvironmentWithout(const std::vector<std::string>& names);

}  // namespace win
