// Socket helpers: whole sends, poll() waits, receives, listeners, bounded connects.
#include "platform/net.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/faults.h"

namespace platform {

namespace {

// The peer of a socket as the fault point names it: "a.b.c.d:port", empty
// for any other kind of socket.
std::string peerOf(int fd) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET) return "";
  return dottedAddress(sa.sin_addr.s_addr) + ":" + std::to_string(ntohs(sa.sin_port));
}

// How many of the n bytes one send may take: n, or fewer when the fault
// point says so; 0 (errno EIO) when the send is to fail.
std::size_t sendable(int fd, std::size_t n) {
  if (!faultsArmed()) return n;
  long long most = 0;
  if (!shouldFail(FaultOp::Send, peerOf(fd), &most, static_cast<long long>(n))) return n;
  if (most <= 0) {
    errno = EIO;
    return 0;
  }
  return std::min(n, static_cast<std::size_t>(most));
}

}  // namespace

long sendAll(int fd, const void* buffer, std::size_t n) {
  const char* p = static_cast<const char*>(buffer);
  std::size_t sent = 0;
  while (sent < n) {
    std::size_t take = sendable(fd, n - sent);
    if (take == 0) return sent > 0 ? static_cast<long>(sent) : -1;
    ssize_t r = ::send(fd, p + sent, take, MSG_NOSIGNAL);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return sent > 0 ? static_cast<long>(sent) : -1;
    sent += static_cast<std::size_t>(r);
  }
  return static_cast<long>(sent);
}

namespace {

using Deadline = std::chrono::steady_clock::time_point;

Deadline deadlineIn(int timeoutMs) { return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs); }

// Waits until fd has one of events or the deadline passes. 1 ready (or hung
// up), 0 time-out, -1 error.
int waitUntil(int fd, short events, Deadline deadline) {
  pollfd pfd{fd, events, 0};
  for (;;) {
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left < 0) left = 0;
    int r = ::poll(&pfd, 1, left);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) return 0;
    if (pfd.revents & POLLNVAL) return -1;
    return 1;
  }
}

}  // namespace

long sendAllWithin(int fd, const void* buffer, std::size_t n, int timeoutMs) {
  const char* p = static_cast<const char*>(buffer);
  Deadline deadline = deadlineIn(timeoutMs);
  std::size_t sent = 0;
  while (sent < n) {
    int w = waitUntil(fd, POLLOUT, deadline);
    if (w <= 0) {
      if (w == 0) errno = ETIMEDOUT;
      return sent > 0 ? static_cast<long>(sent) : -1;
    }
    std::size_t take = sendable(fd, n - sent);
    if (take == 0) return sent > 0 ? static_cast<long>(sent) : -1;
    // Never blocks: a send that would is waited for by the poll above.
    ssize_t r = ::send(fd, p + sent, take, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (r < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (r <= 0) return sent > 0 ? static_cast<long>(sent) : -1;
    sent += static_cast<std::size_t>(r);
  }
  return static_cast<long>(sent);
}

bool setSendTimeout(int fd, int timeoutMs) {
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
}

int waitReadable(int fd, int timeoutMs) { return waitUntil(fd, POLLIN, deadlineIn(timeoutMs)); }

Received receiveSome(int fd, void* buffer, std::size_t n, int timeoutMs) {
  int w = waitReadable(fd, timeoutMs);
  if (w < 0) return {0, ReceiveEnd::WaitFailed, errno};
  if (w == 0) return {0, ReceiveEnd::TimedOut, 0};
  for (;;) {
    ssize_t r = ::recv(fd, buffer, n, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return {0, ReceiveEnd::Failed, errno};
    if (r == 0 && n > 0) return {0, ReceiveEnd::Closed, 0};
    return {static_cast<std::size_t>(r), ReceiveEnd::Complete, 0};
  }
}

Received receiveExactly(int fd, void* buffer, std::size_t n, int timeoutMs) {
  char* p = static_cast<char*>(buffer);
  std::size_t got = 0;
  while (got < n) {
    Received piece = receiveSome(fd, p + got, n - got, timeoutMs);
    got += piece.count;
    if (piece.end != ReceiveEnd::Complete) return {got, piece.end, piece.error};
  }
  return {got, ReceiveEnd::Complete, 0};
}

long recvExact(int fd, void* buffer, std::size_t n, int timeoutMs) {
  Received r = receiveExactly(fd, buffer, n, timeoutMs);
  if (r.end == ReceiveEnd::WaitFailed && r.count == 0) return -1;
  return static_cast<long>(r.count);
}

int openListener(std::uint32_t address, std::uint16_t port, int backlog, const char** failedStep) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (failedStep) *failedStep = "socket";
    return -1;
  }
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    int e = errno;
    ::close(fd);
    errno = e;
    if (failedStep) *failedStep = "bind";
    return -1;
  }
  if (::listen(fd, backlog) != 0) {
    int e = errno;
    ::close(fd);
    errno = e;
    if (failedStep) *failedStep = "listen";
    return -1;
  }
  return fd;
}

std::uint16_t boundPort(int fd) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

StopEvent::StopEvent() { fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

StopEvent::~StopEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void StopEvent::signal() {
  signalled_ = true;
  if (fd_ >= 0) {
    std::uint64_t one = 1;
    (void)!::write(fd_, &one, sizeof one);
  }
}

int acceptOrStop(int listener, const StopEvent& stop, std::uint32_t* peerAddress) {
  for (;;) {
    if (stop.signalled()) return kAcceptStopped;
    pollfd fds[2] = {{listener, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    int r = ::poll(fds, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (stop.signalled() || (r > 0 && (fds[1].revents & POLLIN))) return kAcceptStopped;
    if (r < 0) return -1;
    if (!(fds[0].revents & POLLIN)) continue;
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
    if (fd < 0 && errno == EINTR) continue;
    if (fd >= 0 && peerAddress) *peerAddress = peer.sin_addr.s_addr;
    return fd;
  }
}

int connectTo(std::uint32_t address, std::uint16_t port, int timeoutMs) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  int r = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  if (r != 0 && errno != EINPROGRESS) {
    int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  if (r != 0) {
    pollfd pfd{fd, POLLOUT, 0};
    int w;
    do {
      w = ::poll(&pfd, 1, timeoutMs);
    } while (w < 0 && errno == EINTR);
    int err = 0;
    socklen_t len = sizeof err;
    if (w <= 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
      ::close(fd);
      errno = w == 0 ? ETIMEDOUT : (err ? err : errno);
      return -1;
    }
  }
  ::fcntl(fd, F_SETFL, flags);
  return fd;
}

int closeGracefully(int fd, int drainMs) {
  if (fd < 0) return -1;
  ::shutdown(fd, SHUT_WR);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(drainMs);
  char sink[4096];
  for (;;) {
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0 || waitReadable(fd, left) <= 0) break;
    ssize_t r = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
  }
  return ::close(fd);
}

std::string dottedAddress(std::uint32_t address) {
  return dottedAddress(reinterpret_cast<const std::uint8_t*>(&address));
}

std::string dottedAddress(const std::uint8_t* b) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
  return text;
}

std::uint32_t parseAddress(const std::string& text) {
  in_addr a{};
  if (::inet_aton(text.c_str(), &a) == 0) return 0;
  return a.s_addr;
}

int openDescriptorCount() {
  DIR* d = ::opendir("/proc/self/fd");
  if (!d) return -1;
  int n = 0;
  while (::readdir(d)) ++n;
  ::closedir(d);
  return n - 3;  // ".", ".." and the directory's own descriptor
}

}  // namespace platform
