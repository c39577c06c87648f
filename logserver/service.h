// The log service TIDS_LogServer under the platform service host.
#pragma once

#include "logserver/log_listener.h"

namespace halvern {

// Changes to the program's directory, runs the listener thread until a stop
// request and returns the exit status: 0 after a stop, 1 when the listener
// could not be set up.
int runLogServer(const LogServerConfig& config);

}  // namespace halvern
