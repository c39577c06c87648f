// The two programs of the server: the console program and the service program.
#pragma once

#include "server/listener_config.h"

namespace cvlm {

// Console program: logs its start, serves until binding or listening fails.
// Returns the process exit status (1 after a bind or listen failure).
int runConsoleProgram(const ListenerConfig& config = {});

// Service program: changes to the program's directory, then runs the service
// under the platform service host until a stop request.
int runServiceProgram(const ListenerConfig& config = {});

}  // namespace cvlm
