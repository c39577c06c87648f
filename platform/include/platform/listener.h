// The listening socket of a server: opened with SO_REUSEADDR, its bound
// port, and accepts that end when a stop is asked for and pause after a
// failure for want of descriptors or memory.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/descriptor.h"
#include "platform/net.h"

namespace platform {

// The pause after an accept that failed with EMFILE, ENFILE, ENOBUFS or
// ENOMEM: accepting again at once would only fail again.
inline constexpr int kAcceptBackoffMs = 50;

class Listener {
 public:
  Listener() = default;
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds and listens (address in network byte order, INADDR_ANY for all
  // interfaces, port 0 for a free one); false with errno set and failedStep
  // "socket", "bind" or "listen".
  bool open(std::uint32_t address, std::uint16_t port, int backlog, const char** failedStep = nullptr);
  // The bound port (host byte order) once open; 0 before, after close(), or
  // when the system could not tell it.
  std::uint16_t port() const { return port_.load(); }

  // The next connection (close-on-exec) with its peer's network-order address
  // in *peerAddress; kAcceptStopped once stop() was called; -1 with errno set
  // when the accept failed, after the back-off pause when it failed for want
  // of resources.
  int accept(std::uint32_t* peerAddress = nullptr);
  // Makes accept() return kAcceptStopped from now on; safe from any thread.
  void stop() { stop_.signal(); }
  bool stopped() const { return stop_.signalled(); }
  // Closes the socket (the thread that accepts calls it once accept() stopped).
  void close();

 private:
  Descriptor socket_;
  StopEvent stop_;
  std::atomic<std::uint16_t> port_{0};
};

}  // namespace platform
