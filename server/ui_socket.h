// The console transport: the listening socket with its accept loop, and one
// connection object per accepted console with the timed receive and send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/listener.h"
#include "server/listener_config.h"
#include "server/protocol.h"

namespace cvlm {

// Takes over an accepted console connection (its descriptor and the peer's
// network-order address); given to the listener by the program that runs it.
using ConnectionStarter = std::function<void(int fd, std::uint32_t peerAddress)>;

class UISocket {
 public:
  // Listener role: every accepted connection goes to start.
  UISocket(const ListenerConfig& config, ConnectionStarter start);
  // Connection role: an accepted socket and its peer address (network order).
  UISocket(int connection, std::uint32_t peerAddress, const ListenerConfig& config = {});
  UISocket(const UISocket&) = delete;
  UISocket& operator=(const UISocket&) = delete;

  // Binds, listens and accepts until stop(); -1 when binding or listening failed, 0 after stop().
  int runServer();
  // Makes runServer return, which then closes the listening socket; safe from any thread.
  void stop() {
    if (listener_) listener_->stop();
  }
  // The bound port while runServer listens (tests bind port 0).
  std::uint16_t boundPort() const { return listener_ ? listener_->port() : 0; }
  bool listening() const { return boundPort() != 0; }

  // XORs the n bytes in place as one unit, then sends them all; returns the
  // count sent (short when the console takes nothing for the send time-out)
  // or -1.
  long sendToUI(void* buffer, std::size_t n);
  // Scrambles the result and sends it as one unit; false when sent short (logged).
  bool sendMRR(MgrRequestResult& result);
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
  ConnectionStarter start_;      // listener role only
  std::unique_ptr<platform::Listener> listener_;  // listener role only
  int connection_ = -1;
  std::uint32_t peerAddress_ = 0;
};

}  // namespace cvlm
