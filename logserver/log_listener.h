// LogListener: reads "log.ini", listens on TCP 7595 and starts one session
// thread per accepted sensor connection, at most five at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "logserver/alert_sink.h"
#include "logserver/constants.h"
#include "logserver/session_slots.h"
#include "logserver/session_thread.h"
#include "platform/listener.h"

namespace halvern {

struct LogServerConfig {
  std::uint32_t address = 0;  // network byte order; 0 is INADDR_ANY
  std::uint16_t port = kLogPort;
  int receiveTimeoutMs = kReceiveSeconds * 1000;
  AlertSink* alertSink = nullptr;  // must outlive every session
};

class LogListener {
 public:
  explicit LogListener(const LogServerConfig& config = {});
  ~LogListener();
  LogListener(const LogListener&) = delete;
  LogListener& operator=(const LogListener&) = delete;

  // Reads "log.ini", opens the listening socket and accepts until stop().
  // 1 (after its message) when the socket cannot be opened, bound, named or
  // listened on; 0 after stop().
  int run();
  // Makes run() return, which then closes the listener; running sessions go on.
  // Safe from any thread.
  void stop();

  // The bound port once run() listens (tests bind port 0), else 0.
  std::uint16_t boundPort() const { return listener_.port(); }
  // The server address read from "log.ini" (network byte order).
  std::uint32_t serverAddress() const { return serverAddress_.load(); }
  int freeSlots() const { return slots_->freeCount(); }
  int runningSessions() const { return kUsableSessionSlots - slots_->freeCount(); }
  bool waitSessionsEnded(int timeoutMs) const { return slots_->waitAllFree(timeoutMs); }
  // Waits at most timeoutMs for the thread of every session to end and joins
  // them; false when a session still runs. For a stop after run() returned.
  bool joinSessionThreads(int timeoutMs) { return threads_.joinAll(timeoutMs); }

 private:
  void readSettings();
  int openSocket();
  void acceptLoop();
  int acceptConnection();

  LogServerConfig config_;
  std::shared_ptr<SessionSlots> slots_;
  SessionThreads threads_;
  platform::Listener listener_;
  std::atomic<std::uint32_t> serverAddress_{0};
};

}  // namespace halvern
