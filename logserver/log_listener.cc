// The listener: settings, the listening socket, the slot wait and the accept loop.
#include "logserver/log_listener.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "logserver/console_output.h"
#include "logserver/log_ini.h"
#include "platform/net.h"

namespace halvern {

namespace {
bool outOfResources(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}
}  // namespace

LogListener::LogListener(const LogServerConfig& config)
    : config_(config), slots_(std::make_shared<SessionSlots>()) {}

LogListener::~LogListener() {
  stop();
  if (listening_ >= 0) ::close(listening_);
}

int LogListener::run() {
  readSettings();
  if (openSocket() != 0) return 1;
  acceptLoop();
  boundPort_ = 0;
  ::close(listening_);
  listening_ = -1;
  return 0;
}

void LogListener::stop() {
  stopEvent_.signal();
  slots_->stop();
}

// Steps 1 to 3: the server address from "log.ini".
void LogListener::readSettings() {
  LogIni ini = readLogIni(kLogIniFile);
  serverAddress_ = ini.serverAddress;
  if (ini.opened) printText("IP = " + ini.addressText + "\n");
}

// Steps 4 to 7: socket, bind, getsockname, listen.
int LogListener::openSocket() {
  const char* failedStep = nullptr;
  listening_ = platform::openListener(config_.address, config_.port, kListenBacklog, &failedStep);
  if (listening_ < 0) {
    std::string step = failedStep ? failedStep : "";
    putLine(step == "socket" ? "Server: open socket error"
            : step == "listen" ? "Server: listen error"
                               : "Server: bind socket error");
    return 1;
  }
  std::uint16_t port = platform::boundPort(listening_);
  if (port == 0) {
    putLine("Server: get socket name error");
    ::close(listening_);
    listening_ = -1;
    return 1;
  }
  boundPort_ = port;
  return 0;
}

// Step 8: a free slot, then a connection, then its session thread. Only
// this loop takes slots, so the free slot is still free after the accept.
void LogListener::acceptLoop() {
  SessionConfig session{config_.receiveTimeoutMs, serverAddress_.load(), config_.alertSink};
  for (;;) {
    if (!slots_->waitFree()) return;
    int fd = acceptConnection();
    if (fd == platform::kAcceptStopped) return;
    if (fd < 0) continue;
    int slot = slots_->acquire();
    if (slot < 0) {
      ::close(fd);
      return;
    }
    try {
      threads_.start(slot, fd, slots_, session);
    } catch (...) {
      printText("Exception!\n");
      ::close(fd);
      slots_->release(slot);
    }
  }
}

// The next accepted socket, -1 after a failed accept (logged), kStopped on stop().
int LogListener::acceptConnection() {
  for (;;) {
    int fd = platform::acceptOrStop(listening_, stopEvent_, nullptr);
    if (fd >= 0 || fd == platform::kAcceptStopped) return fd;
    int error = errno;
    if (error == EAGAIN || error == ECONNABORTED) continue;
    putLine(std::string("Server: accept error: ") + std::strerror(error));
    if (outOfResources(error)) ::usleep(kAcceptBackoffMs * 1000);
    return -1;
  }
}

}  // namespace halvern
