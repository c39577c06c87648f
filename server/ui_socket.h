// The console transport: the listening socket with its accept loop, and one
// connection object per accepted console with the timed receive and send.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/net.h"
#include "server/constants.h"

namespace cvlm {

struct ListenerConfig {
  std::uint32_t address = 0;  // network byte order; 0 is INADDR_ANY
  std::uint16_t port = kConsolePort;
  int receiveTimeoutMs = kReceiveSeconds * 1000;
  int sendTimeoutMs = kSendSeconds * 1000;
  int closeDrainMs = kCloseDrainMs;
};

class UISocket {
 public:
  // Listener role.
  explicit UISocket(const ListenerConfig& config = {});
  // Connection role: an accepted socket and its peer address (network order).
  UISocket(int connection, std::uint32_t peerAddress, const ListenerConfig& config = {});
  ~UISocket();
  UISocket(const UISocket&) = delete;
  UISocket& operator=(const UISocket&) = delete;

  // Binds, listens and accepts until stop(); -1 when binding or listening failed, 0 after stop().
  int runServer();
  // Makes runServer return and closes the listening socket; safe from any thread.
  void stop();
  // The bound port once runServer has bound (tests bind port 0).
  std::uint16_t boundPort() const { return boundPort_.load(); }
  bool listening() const { return boundPort_.load() != 0; }

  // XORs the n bytes in place as one unit, then sends them all; returns the
  // count sent (short when the console takes nothing for the send time-out)
  // or -1.
  long sendToUI(void* buffer, std::size_t n);
  // recvFromUI with the configured receive time-out.
  long receive(void* buffer, std::size_t n);
  // Receives exactly n bytes, waiting at most timeoutMs before each read.
  // n on success (un-XORed as one unit), the short count on time-out or close,
  // -1 when a wait failed.
  long recvFromUI(void* buffer, std::size_t n, int timeoutMs);
  // receive() of one n-byte unit into out, which grows as the bytes arrive
  // instead of being committed before the first one; results as receive().
  // The buffer's growth may throw std::bad_alloc.
  long receiveGrowing(std::vector<unsigned char>& out, std::size_t n);

  std::uint32_t peerAddress() const { return peerAddress_; }
  int closeSocket();
  int connection() const { return connection_; }

 private:
  // Receives into p until got reaches end: 1 then, 0 after a time-out or a
  // closed connection, -1 when a wait failed (each logged).
  int receiveUntil(unsigned char* p, std::size_t end, std::size_t& got, int timeoutMs);

  ListenerConfig config_;
  int listening_ = -1;
  int connection_ = -1;
  std::uint32_t peerAddress_ = 0;
  std::unique_ptr<platform::StopEvent> stopEvent_;  // listener role only
  std::atomic<std::uint16_t> boundPort_{0};
};

}  // namespace cvlm
