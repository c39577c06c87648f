// Service host in place of the service control manager: the service program
// runs in the foreground (a systemd Type=simple unit), SIGTERM or SIGINT is
// the stop request, and pausing is not supported.
#pragma once

namespace platform {

// The contract a service implements.
class Service {
 public:
  virtual ~Service() = default;
  // Starts the service; false ends the host with a failure status.
  virtual bool start() = 0;
  // Called once when the stop request arrives.
  virtual void stop() = 0;
  // A failure the service found after start (e.g. its listener died);
  // polled by the host, which then stops the service and fails.
  virtual bool failed() const { return false; }
};

// Runs a service until a stop request (SIGTERM/SIGINT) or a failure.
// Returns the process exit status: 0 after a normal stop, 1 after a failure.
int runService(Service& service);

// Asks a running runService to stop (as a stop request would); safe from any thread.
void requestServiceStop();

}  // namespace platform
