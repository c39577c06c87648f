// The service program cvlmService: the listener runs on its own thread
// (ThreadCvlm) while the platform service host waits for the stop request.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/event_log.h"
#include "platform/notice.h"
#include "platform/paths.h"
#include "platform/service_host.h"
#include "server/connection_thread.h"
#include "server/constants.h"
#include "server/held_files.h"
#include "server/log.h"
#include "server/programs.h"
#include "server/ui_socket.h"

namespace cvlm {

namespace {

class TCvLm : public platform::Service {
 public:
  explicit TCvLm(const ListenerConfig& config) : config_(config) { platform::changeToProgramDirectory(); }

  bool start() override {
    platform::setNoticeSink(platform::eventLogNoticeSink(kEventSourceName));
    registerEventSource();
    // The log is set up before the listener thread starts so its first lines are kept.
    setLogFileName(kLogFileName);
    setLogSwitchFromMarker();
    listener_ = std::make_unique<UISocket>(config_, connectionThreadStarter(config_));
    threadCvlm_ = std::thread([this] { threadCvlmExecute(); });
    std::string started = std::string("IDS Lumarel Service Started. Version: ") + kVersionText;
    reportEvent(platform::kEventInformation, started);
    writeLog(started);
    return true;
  }

  void stop() override {
    listener_->stop();
    if (threadCvlm_.joinable()) threadCvlm_.join();
    // Threads still running after the grace may hold lock files: the next
    // start would wait on them for ever.
    if (!waitForConnectionThreads(kStopGraceMs)) removeHeldFiles();
    reportEvent(platform::kEventInformation, "IDS Lumarel Service Stopped!");
    writeLog("IDS Lumarel Service Stopped!");
  }

  bool failed() const override { return failed_.load(); }

 private:
  void threadCvlmExecute() {
    if (listener_->runServer() < 0) {
      reportEvent(platform::kEventError, "IDS Lumarel Service cannot listen on its port.");
      failed_ = true;
    }
    writeLog("Thread Cvlm Exit!");
  }

  ListenerConfig config_;
  std::unique_ptr<UISocket> listener_;
  std::thread threadCvlm_;
  std::atomic<bool> failed_{false};
};

}  // namespace

int runServiceProgram(const ListenerConfig& config) {
  TCvLm service(config);
  return platform::runService(service);
}

}  // namespace cvlm
