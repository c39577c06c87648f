// The servers' listener: open, accept or stop, back-off, close.
#include "platform/listener.h"

#include <cerrno>

#include "platform/clock.h"

namespace platform {

namespace {
bool outOfResources(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}
}  // namespace

bool Listener::open(std::uint32_t address, std::uint16_t port, int backlog, const char** failedStep) {
  close();
  socket_.reset(openListener(address, port, backlog, failedStep));
  if (!socket_.valid()) return false;
  port_ = boundPort(socket_.get());
  return true;
}

int Listener::accept(std::uint32_t* peerAddress) {
  int fd = acceptOrStop(socket_.get(), stop_, peerAddress);
  if (fd == -1 && outOfResources(errno)) {
    int error = errno;
    sleepMs(kAcceptBackoffMs);
    errno = error;
  }
  return fd;
}

void Listener::close() {
  port_ = 0;
  socket_.reset();
}

}  // namespace platform
