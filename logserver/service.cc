// TIDS_LogServer: the service starts the listener thread ThreadLog; a stop
// request closes the listener. Sessions still open end with the process;
// threads of sessions that have ended are joined before the client library
// shuts down.
#include "logserver/service.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "logserver/log_database.h"
#include "platform/paths.h"
#include "platform/service_host.h"

namespace halvern {

namespace {

class TIDS_LogServer : public platform::Service {
 public:
  explicit TIDS_LogServer(const LogServerConfig& config) : listener_(config) {
    platform::changeToProgramDirectory();
  }

  bool start() override {
    threadLog_ = std::thread([this] { threadLogExecute(); });
    return true;
  }

  void stop() override {
    listener_.stop();
    if (threadLog_.joinable()) threadLog_.join();
  }

  bool failed() const override { return failed_.load(); }

  // True once no session runs and the thread of every session that ended
  // has been joined, so none is left inside the database client library.
  bool sessionThreadsEnded() {
    return listener_.runningSessions() == 0 && listener_.joinSessionThreads(kSessionThreadsEndWaitMs);
  }

 private:
  void threadLogExecute() {
    if (listener_.run() != 0) failed_ = true;
  }

  LogListener listener_;
  std::thread threadLog_;
  std::atomic<bool> failed_{false};
};

}  // namespace

int runLogServer(const LogServerConfig& config) {
  LogDatabase::libraryInit();
  TIDS_LogServer service(config);
  int status = platform::runService(service);
  std::fflush(nullptr);
  // Open sessions are not waited for: they end with the process, and the
  // client library is left as it is. Only when every session thread has
  // gone is the library shut down.
  if (!service.sessionThreadsEnded()) std::_Exit(status);
  LogDatabase::libraryEnd();
  return status;
}

}  // namespace halvern
