// Socket helpers shared by every server: whole sends without SIGPIPE (they
// consult the fault point, platform/faults.h), bounded waits with poll(),
// receives that say why they stopped, listeners and bounded connects.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Sends all n bytes (MSG_NOSIGNAL, retried on EINTR and short sends).
// Returns n, or the count sent before the failure (-1 when nothing went out).
long sendAll(int fd, const void* buffer, std::size_t n);

// sendAll with one bound for the whole buffer: a peer that stops taking data
// is given up after timeoutMs. Returns n, or the count sent before the
// failure (-1 when nothing went out) with errno ETIMEDOUT after a time-out.
long sendAllWithin(int fd, const void* buffer, std::size_t n, int timeoutMs);

// Makes a blocking send on fd give up after timeoutMs without progress
// (SO_SNDTIMEO); false when the option cannot be set.
bool setSendTimeout(int fd, int timeoutMs);

// Waits until fd is readable. 1 readable (or hung up), 0 time-out, -1 error.
int waitReadable(int fd, int timeoutMs);

// Why a receive stopped.
enum class ReceiveEnd {
  Complete,    // every byte asked for arrived (receiveSome: at least one)
  TimedOut,    // a wait ended without data
  Closed,      // the peer closed its side
  Failed,      // the read failed; error holds its errno
  WaitFailed,  // the wait itself failed
};

struct Received {
  std::size_t count = 0;  // bytes received before the end
  ReceiveEnd end = ReceiveEnd::Complete;
  int error = 0;
};

// Receives exactly n bytes with a fresh wait of timeoutMs before each read.
Received receiveExactly(int fd, void* buffer, std::size_t n, int timeoutMs);
// Waits at most timeoutMs, then receives what is there, at most n bytes.
Received receiveSome(int fd, void* buffer, std::size_t n, int timeoutMs);

// receiveExactly as a count: n, the short count on time-out, close or a
// failed read, or -1 when the first wait failed.
long recvExact(int fd, void* buffer, std::size_t n, int timeoutMs);

// A bound, listening TCP socket with SO_REUSEADDR. address is in network byte
// order (INADDR_ANY for all interfaces); port 0 picks a free port.
// Returns the descriptor, or -1 with errno set; failedStep says "bind" or "listen".
int openListener(std::uint32_t address, std::uint16_t port, int backlog, const char** failedStep = nullptr);

// The local port a socket is bound to (host byte order), 0 on error.
std::uint16_t boundPort(int fd);

// A stop request for a thread blocked in acceptOrStop: once signalled it
// stays signalled. Safe to signal from any thread.
class StopEvent {
 public:
  StopEvent();
  ~StopEvent();
  StopEvent(const StopEvent&) = delete;
  StopEvent& operator=(const StopEvent&) = delete;

  void signal();
  bool signalled() const { return signalled_.load(); }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::atomic<bool> signalled_{false};
};

// acceptOrStop's result once the stop event is signalled.
inline constexpr int kAcceptStopped = -2;

// Waits for a connection on listener or for stop. Returns the accepted
// descriptor (close-on-exec) with the peer's network-order address in
// *peerAddress, kAcceptStopped after stop, or -1 with errno set when the
// wait or the accept failed (EINTR is retried).
int acceptOrStop(int listener, const StopEvent& stop, std::uint32_t* peerAddress);

// Connects a TCP socket to address:port (network-order address) within timeoutMs.
// Returns the descriptor or -1; no descriptor is left open on failure.
int connectTo(std::uint32_t address, std::uint16_t port, int timeoutMs);

// Shuts the sending side, drains unread input for at most drainMs, then
// closes; returns the close result.
int closeGracefully(int fd, int drainMs);

// "a.b.c.d" for a network-order address.
std::string dottedAddress(std::uint32_t address);
// "a.b.c.d" for four address bytes, the first byte first.
std::string dottedAddress(const std::uint8_t* bytes);

// Network-order address from dotted text; 0 when the text is not an address.
std::uint32_t parseAddress(const std::string& text);

// Number of open descriptors of this process (for leak checks in tests).
int openDescriptorCount();

}  // namespace platform
