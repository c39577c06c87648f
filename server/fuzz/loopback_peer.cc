// Loopback listener and serving thread of the fuzz targets' peers.
#include "loopback_peer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/net.h"

namespace cvlm_fuzz {

namespace {
std::uint32_t loopback(int n) { return htonl(0x7F000000u | static_cast<std::uint32_t>(n)); }
}  // namespace

LoopbackPeer::LoopbackPeer(std::uint16_t port) {
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

LoopbackPeer::~LoopbackPeer() {
  ::close(listener_);
  ::close(stopEvent_);
}

std::string LoopbackPeer::address() const { return "127.0.0." + std::to_string(hostN_); }

std::uint32_t LoopbackPeer::addressValue() const { return loopback(hostN_); }

void LoopbackPeer::startServing() {
  served_ = 0;
  thread_ = std::thread([this] { serve(); });
}

int LoopbackPeer::stopServing() {
  std::uint64_t one = 1;
  (void)!::write(stopEvent_, &one, sizeof one);
  thread_.join();
  std::uint64_t count;
  (void)!::read(stopEvent_, &count, sizeof count);
  for (int fd; (fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) ::close(fd);
  return served_;
}

void LoopbackPeer::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stopEvent_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents & POLLIN) return;
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    serveOne(fd, served_++);
  }
}

}  // namespace cvlm_fuzz
