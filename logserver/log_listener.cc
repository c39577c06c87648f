// The listener: settings, the listening socket, the slot wait and the accept loop.
#include "logserver/log_listener.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "logserver/console_output.h"
#include "logserver/log_ini.h"
#include "platform/descriptor.h"

namespace halvern {

LogListener::LogListener(const LogServerConfig& config)
    : config_(config), slots_(std::make_shared<SessionSlots>()) {}

LogListener::~LogListener() { stop(); }

int LogListener::run() {
  readSettings();
  if (openSocket() != 0) return 1;
  acceptLoop();
  listener_.close();
  return 0;
}

void LogListener::stop() {
  listener_.stop();
  slots_->stop();
}

// The server address that every greeting reply carries, from "log.ini".
void LogListener::readSettings() {
  LogIni ini = readLogIni(kLogIniFile);
  serverAddress_ = ini.serverAddress;
  if (ini.opened) printText("IP = " + ini.addressText + "\n");
}

// The listening socket; each step that fails has its own message.
int LogListener::openSocket() {
  const char* failedStep = nullptr;
  if (!listener_.open(config_.address, config_.port, kListenBacklog, &failedStep)) {
    std::string step = failedStep ? failedStep : "";
    putLine(step == "socket" ? "Server: open socket error"
            : step == "listen" ? "Server: listen error"
                               : "Server: bind socket error");
    return 1;
  }
  if (listener_.port() == 0) {
    putLine("Server: get socket name error");
    listener_.close();
    return 1;
  }
  return 0;
}

// A free slot, then a connection, then its session thread. Only this loop
// takes slots, so the free slot is still free after the accept.
void LogListener::acceptLoop() {
  SessionConfig session{config_.receiveTimeoutMs, serverAddress_.load(), config_.alertSink};
  for (;;) {
    if (!slots_->waitFree()) return;
    int accepted = acceptConnection();
    if (accepted == platform::kAcceptStopped) return;
    if (accepted < 0) continue;
    platform::Descriptor fd(accepted);  // closed unless a session takes it
    int slot = slots_->acquire();
    if (slot < 0) return;
    try {
      threads_.start(slot, fd.get(), slots_, session);
      fd.release();
    } catch (...) {
      printText("Exception!\n");
      slots_->release(slot);
    }
  }
}

// The next accepted socket, -1 after a failed accept (logged; the listener
// pauses after one for want of resources), kAcceptStopped on stop().
int LogListener::acceptConnection() {
  for (;;) {
    int fd = listener_.accept();
    if (fd >= 0 || fd == platform::kAcceptStopped) return fd;
    int error = errno;
    if (error == EAGAIN || error == ECONNABORTED) continue;
    putLine(std::string("Server: accept error: ") + std::strerror(error));
    return -1;
  }
}

}  // namespace halvern
