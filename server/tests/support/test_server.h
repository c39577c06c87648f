// An in-process management server for tests: a temporary working directory
// (also the current directory, with the text log on and the platform state
// inside it) and the console listener on an ephemeral loopback port.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform_testing/temp_dir.h"
#include "server/listener_config.h"
#include "server/ui_socket.h"

namespace cvlm_testing {

// The working directory alone, for tests that drive a Dispatcher directly.
class TestWorkDir {
 public:
  TestWorkDir();
  ~TestWorkDir();

  std::string path() const { return dir_.path(); }
  // Full path of a file in the working directory.
  std::string file(const std::string& name) const { return dir_.file(name); }
  // The whole text log so far.
  std::string logText() const;
  // Waits (bounded) until the text log contains line as a whole message.
  bool logHasLine(const std::string& line, int timeoutMs = 5000) const;
  // Operator notices shown so far ("title: text").
  std::vector<std::string> notices() const;

 private:
  platform_testing::TempDir dir_;
  platform_testing::ScopedEnv env_;
  platform_testing::ScopedCwd cwd_;
  mutable std::mutex noticeMutex_;
  std::vector<std::string> notices_;
};

class TestServer : public TestWorkDir {
 public:
  // Starts the listener; receiveTimeoutMs is the server's wait per receive.
  explicit TestServer(int receiveTimeoutMs = 5000);
  // Stops the listener and waits (bounded) for running requests.
  ~TestServer();

  std::uint16_t port() const { return listener_.boundPort(); }

 private:
  static cvlm::ListenerConfig config(int receiveTimeoutMs);

  cvlm::UISocket listener_;
  std::thread loop_;
};

}  // namespace cvlm_testing
