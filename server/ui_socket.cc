// Console listener, accept loop and per-connection send and receive.
#include "server/ui_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/net.h"
#include "platform/notice.h"
#include "server/connection_thread.h"
#include "server/log.h"
#include "server/protocol.h"

namespace cvlm {

UISocket::UISocket(const ListenerConfig& config)
    : config_(config), stopEvent_(std::make_unique<platform::StopEvent>()) {}

UISocket::UISocket(int connection, std::uint32_t peerAddress, const ListenerConfig& config)
    : config_(config), connection_(connection), peerAddress_(peerAddress) {
  // A console that stops reading must not hold its thread for ever.
  if (connection_ >= 0 && config_.sendTimeoutMs > 0) {
    timeval tv{config_.sendTimeoutMs / 1000, (config_.sendTimeoutMs % 1000) * 1000};
    ::setsockopt(connection_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  }
}

UISocket::~UISocket() {
  if (listening_ >= 0) ::close(listening_);
}

int UISocket::runServer() {
  writeLog("Try to bind server port!");
  const char* failedStep = nullptr;
  listening_ = platform::openListener(config_.address, config_.port, kListenBacklog, &failedStep);
  if (listening_ < 0) {
    writeLog(failedStep && std::string(failedStep) == "listen" ? "Failed to listen port!"
                                                               : "Failed to bind server port!");
    return -1;
  }
  boundPort_ = platform::boundPort(listening_);
  for (;;) {
    try {
      std::uint32_t peerAddress = 0;
      int fd = platform::acceptOrStop(listening_, *stopEvent_, &peerAddress);
      if (fd == platform::kAcceptStopped) break;
      if (fd < 0) {
        writeLog("Accept Client Connect ERROR!");
        if (errno == EMFILE || errno == ENFILE) ::usleep(50 * 1000);
        continue;
      }
      setLogSwitchFromMarker();
      startConnectionThread(fd, peerAddress, config_);
    } catch (...) {
      writeLog("Socket Listen TRY Exception!!");
    }
  }
  ::close(listening_);
  listening_ = -1;
  return 0;
}

void UISocket::stop() {
  if (stopEvent_) stopEvent_->signal();
}

long UISocket::sendToUI(void* buffer, std::size_t n) {
  xorUiStream(static_cast<unsigned char*>(buffer), n);
  return platform::sendAll(connection_, buffer, n);
}

long UISocket::receive(void* buffer, std::size_t n) { return recvFromUI(buffer, n, config_.receiveTimeoutMs); }

int UISocket::receiveUntil(unsigned char* p, std::size_t end, std::size_t& got, int timeoutMs) {
  while (got < end) {
    int w = platform::waitReadable(connection_, timeoutMs);
    if (w < 0) {
      writeLog("recvFromUI Error");
      return -1;
    }
    if (w == 0) {
      writeLog("recvFromUI Time-out");
      return 0;
    }
    ssize_t r = ::recv(connection_, p + got, end - got, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      int error = r == 0 ? ECONNRESET : errno;
      writeLog("recvFromUI ,Socket error");
      platform::showNotice("Error", platform::systemErrorText(error));
      return 0;
    }
    got += static_cast<std::size_t>(r);
  }
  return 1;
}

long UISocket::recvFromUI(void* buffer, std::size_t n, int timeoutMs) {
  unsigned char* p = static_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  int done = receiveUntil(p, n, got, timeoutMs);
  if (done < 0) return -1;
  if (done == 0) return static_cast<long>(got);
  xorUiStream(p, n);
  return static_cast<long>(n);
}

long UISocket::receiveGrowing(std::vector<unsigned char>& out, std::size_t n) {
  // The buffer doubles only once it is full, so it never holds more than
  // twice what arrived (and kFirstPart before the first byte).
  constexpr std::size_t kFirstPart = 64 * 1024;
  out.clear();
  std::size_t got = 0;
  while (got < n) {
    out.resize(std::min(n, std::max(kFirstPart, 2 * got)));
    int done = receiveUntil(out.data(), out.size(), got, config_.receiveTimeoutMs);
    if (done <= 0) {
      out.resize(got);
      return done < 0 ? -1 : static_cast<long>(got);
    }
  }
  xorUiStream(out.data(), n);
  return static_cast<long>(n);
}

int UISocket::closeSocket() {
  if (connection_ < 0) return -1;
  int r = platform::closeGracefully(connection_, config_.closeDrainMs);
  connection_ = -1;
  if (r != 0) writeLog("WSA closesocket ERROR!");
  return r;
}

}  // namespace cvlm
