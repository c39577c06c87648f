// Console listener, accept loop and per-connection send and receive.
#include "server/ui_socket.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#include "platform/net.h"
#include "platform/notice.h"
#include "server/log.h"

namespace cvlm {

UISocket::UISocket(const ListenerConfig& config, ConnectionStarter start)
    : config_(config), start_(std::move(start)), listener_(std::make_unique<platform::Listener>()) {}

UISocket::UISocket(int connection, std::uint32_t peerAddress, const ListenerConfig& config)
    : config_(config), connection_(connection), peerAddress_(peerAddress) {
  // A console that stops reading must not hold its thread for ever.
  if (connection_ >= 0 && config_.sendTimeoutMs > 0) platform::setSendTimeout(connection_, config_.sendTimeoutMs);
}

int UISocket::runServer() {
  writeLog("Try to bind server port!");
  const char* failedStep = nullptr;
  if (!listener_->open(config_.address, config_.port, kListenBacklog, &failedStep)) {
    writeLog(failedStep && std::string(failedStep) == "listen" ? "Failed to listen port!"
                                                               : "Failed to bind server port!");
    return -1;
  }
  for (;;) {
    try {
      std::uint32_t peerAddress = 0;
      int fd = listener_->accept(&peerAddress);
      if (fd == platform::kAcceptStopped) break;
      if (fd < 0) {
        writeLog("Accept Client Connect ERROR!");
        continue;
      }
      setLogSwitchFromMarker();
      start_(fd, peerAddress);
    } catch (...) {
      writeLog("Socket Listen TRY Exception!!");
    }
  }
  listener_->close();
  return 0;
}

long UISocket::sendToUI(void* buffer, std::size_t n) {
  xorUiStream(static_cast<unsigned char*>(buffer), n);
  return platform::sendAll(connection_, buffer, n);
}

bool UISocket::sendMRR(MgrRequestResult& result) {
  encodeRecord(result.bytes(), sizeof result);
  if (sendToUI(result.bytes(), sizeof result) < static_cast<long>(sizeof result)) {
    writeLog("Dispatcher::sendMRR::Send MgrRequestResult failed!");
    return false;
  }
  return true;
}

long UISocket::receive(void* buffer, std::size_t n) { return recvFromUI(buffer, n, config_.receiveTimeoutMs); }

int UISocket::receiveUntil(unsigned char* p, std::size_t end, std::size_t& got, int timeoutMs) {
  if (got >= end) return 1;
  platform::Received r = platform::receiveExactly(connection_, p + got, end - got, timeoutMs);
  got += r.count;
  switch (r.end) {
    case platform::ReceiveEnd::Complete:
      return 1;
    case platform::ReceiveEnd::WaitFailed:
      writeLog("recvFromUI Error");
      return -1;
    case platform::ReceiveEnd::TimedOut:
      writeLog("recvFromUI Time-out");
      return 0;
    case platform::ReceiveEnd::Closed:
    case platform::ReceiveEnd::Failed:
      writeLog("recvFromUI ,Socket error");
      platform::showNotice("Error", platform::systemErrorText(r.end == platform::ReceiveEnd::Closed ? ECONNRESET
                                                                                                   : r.error));
      return 0;
  }
  return 0;
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
