// One detached thread per accepted console connection (WDispatcher), with a
// count of running threads so a stopping service can wait for them.
#pragma once

#include <cstdint>

#include "server/listener_config.h"
#include "server/ui_socket.h"

namespace cvlm {

// Starts a thread that serves one request on fd; closes fd when the thread
// cannot be started (and throws std::system_error).
void startConnectionThread(int fd, std::uint32_t peerAddress, const ListenerConfig& config);

// The listener's starter for the programs: a connection thread per connection.
ConnectionStarter connectionThreadStarter(const ListenerConfig& config);

// Number of connection threads still running.
int runningConnectionThreads();

// Waits at most timeoutMs for every connection thread to end; true when none runs.
bool waitForConnectionThreads(int timeoutMs);

}  // namespace cvlm
