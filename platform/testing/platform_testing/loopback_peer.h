// A test or fuzz peer on the first free loopback address 127.0.0.N: its
// listener, and a thread that serves the connections of one run in order.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/net.h"

namespace platform_testing {

class LoopbackPeer {
 public:
  // Listens on the first free 127.0.0.N (N from 2 to 254) at port (0: an
  // ephemeral one); aborts when none is free.
  explicit LoopbackPeer(std::uint16_t port) {
    for (int n = 2; n < 255 && listener_ < 0; ++n) {
      listener_ = platform::openListener(loopback(n), port, 4);
      if (listener_ >= 0) hostN_ = n;
    }
    stopEvent_ = ::eventfd(0, EFD_CLOEXEC);
    if (listener_ < 0 || stopEvent_ < 0) std::abort();
    // Non-blocking, so that stopServing() can take every connection left waiting.
    ::fcntl(listener_, F_SETFL, ::fcntl(listener_, F_GETFL, 0) | O_NONBLOCK);
    port_ = platform::boundPort(listener_);
  }
  // A derived peer stops serving in its own destructor.
  virtual ~LoopbackPeer() {
    ::close(listener_);
    ::close(stopEvent_);
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  std::string address() const { return "127.0.0." + std::to_string(hostN_); }
  std::uint32_t addressValue() const { return loopback(hostN_); }  // network byte order
  std::uint16_t port() const { return port_; }

 protected:
  // Starts a thread that hands each accepted connection to serveOne until
  // stopServing().
  void startServing() {
    served_ = 0;
    thread_ = std::thread([this] { serve(); });
  }
  // Ends the thread and closes connections never accepted, so that none is
  // left for the next run; the number of connections served.
  int stopServing() {
    std::uint64_t one = 1;
    (void)!::write(stopEvent_, &one, sizeof one);
    thread_.join();
    std::uint64_t count;
    (void)!::read(stopEvent_, &count, sizeof count);
    for (int fd; (fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) ::close(fd);
    return served_;
  }
  bool serving() const { return thread_.joinable(); }
  // Serves and closes the index-th connection of the run (from 0).
  virtual void serveOne(int fd, int index) = 0;

 private:
  static std::uint32_t loopback(int n) { return htonl(0x7F000000u | static_cast<std::uint32_t>(n)); }

  void serve() {
    for (;;) {
      pollfd fds[2] = {{listener_, POLLIN, 0}, {stopEvent_, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents & POLLIN) return;
      int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      serveOne(fd, served_++);
    }
  }

  int listener_ = -1;
  int stopEvent_ = -1;
  int hostN_ = 0;
  std::uint16_t port_ = 0;
  int served_ = 0;
  std::thread thread_;
};

}  // namespace platform_testing
