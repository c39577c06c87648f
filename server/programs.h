// The two hosts of the server: the console program and the service program.
#pragma once

#include "server/ui_socket.h"

namespace cvlm {

// Console program: logs its start, serves until binding or listening fails.
// Returns the process exit status (1 after a bind or listen failure).
int runConsoleHost(const ListenerConfig& config = {});

// Service program: changes to the program's directory, then runs the service
// under the platform service host until a stop request.
int runServiceHost(const ListenerConfig& config = {});

}  // namespace cvlm
