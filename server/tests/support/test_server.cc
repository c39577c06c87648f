// In-process test server: working directory, text log, listener thread.
#include "server/tests/support/test_server.h"

#include <fstream>

#include "platform/files.h"
#include "platform/notice.h"
#include "platform_testing/child_process.h"
#include "server/connection_thread.h"
#include "server/log.h"
#include "server/tests/support/test_console.h"

namespace cvlm_testing {

namespace {
// Platform state (event sink, registry) of the test process, kept out of the
// working directory so tests can list it.
const std::string& platformStateDir() {
  static platform_testing::TempDir dir;
  return dir.path();
}
}  // namespace

TestWorkDir::TestWorkDir() : env_("IDS_PLATFORM_DIR", platformStateDir()), cwd_(dir_.path()) {
  std::ofstream("enlmlog.sig").put('x');
  cvlm::setLogFileName("LM-LOG.txt");
  cvlm::setLogSwitchFromMarker();
  platform::setNoticeSink([this](const std::string& title, const std::string& text) {
    std::lock_guard<std::mutex> lock(noticeMutex_);
    notices_.push_back(title + ": " + text);
  });
}

TestWorkDir::~TestWorkDir() { platform::setNoticeSink(nullptr); }

std::string TestWorkDir::logText() const {
  std::string text;
  platform::readWholeFile(file("LM-LOG.txt"), text);
  return text;
}

bool TestWorkDir::logHasLine(const std::string& line, int timeoutMs) const {
  return platform_testing::eventually(
      [&] { return logText().find("] " + line + "\n") != std::string::npos; }, timeoutMs);
}

std::vector<std::string> TestWorkDir::notices() const {
  std::lock_guard<std::mutex> lock(noticeMutex_);
  return notices_;
}

cvlm::ListenerConfig TestServer::config(int receiveTimeoutMs) {
  cvlm::ListenerConfig config;
  config.address = kLoopback;
  config.port = 0;
  config.receiveTimeoutMs = receiveTimeoutMs;
  config.closeDrainMs = 200;
  return config;
}

TestServer::TestServer(int receiveTimeoutMs)
    : listener_(config(receiveTimeoutMs), cvlm::connectionThreadStarter(config(receiveTimeoutMs))) {
  loop_ = std::thread([this] { listener_.runServer(); });
  platform_testing::eventually([this] { return listener_.listening(); });
}

TestServer::~TestServer() {
  listener_.stop();
  loop_.join();
  cvlm::waitForConnectionThreads(10000);
}

}  // namespace cvlm_testing
