// Test helpers: a LogListener running on its own thread on a loopback
// address and an ephemeral port, and the captured standard output.
#pragma once

#include <arpa/inet.h>

#include <mutex>
#include <string>
#include <thread>

#include "logserver/console_output.h"
#include "logserver/log_listener.h"
#include "platform_testing/child_process.h"

namespace halvern_testing {

// Collects what the server writes on its standard output and error.
class CapturedOutput {
 public:
  CapturedOutput() {
    halvern::setOutputCapture([this](bool toError, std::string_view text) {
      std::lock_guard<std::mutex> lock(mutex_);
      (toError ? err_ : out_).append(text);
    });
  }
  ~CapturedOutput() { halvern::setOutputCapture(nullptr); }
  std::string out() {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_;
  }
  std::string err() {
    std::lock_guard<std::mutex> lock(mutex_);
    return err_;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    out_.clear();
    err_.clear();
  }

 private:
  std::mutex mutex_;
  std::string out_, err_;
};

inline halvern::LogServerConfig loopbackConfig(halvern::AlertSink* sink = nullptr, int receiveTimeoutMs = 5000) {
  halvern::LogServerConfig config;
  config.address = htonl(INADDR_LOOPBACK);
  config.port = 0;
  config.receiveTimeoutMs = receiveTimeoutMs;
  config.alertSink = sink;
  return config;
}

class RunningListener {
 public:
  explicit RunningListener(const halvern::LogServerConfig& config) : listener_(config) {
    thread_ = std::thread([this] { result_ = listener_.run(); });
    platform_testing::eventually([this] { return listener_.boundPort() != 0 || result_ >= 0; });
  }
  ~RunningListener() {
    listener_.stop();
    thread_.join();
    listener_.waitSessionsEnded(10000);
  }
  std::uint16_t port() const { return listener_.boundPort(); }
  halvern::LogListener& listener() { return listener_; }

 private:
  halvern::LogListener listener_;
  std::thread thread_;
  std::atomic<int> result_{-1};
};

}  // namespace halvern_testing
