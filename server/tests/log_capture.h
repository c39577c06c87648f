// Fixture for tests that run in a temporary working directory with the text
// log switched on, and read back its lines.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform_testing/temp_dir.h"
#include "server/log.h"

namespace cvlm_testing {

class LoggedDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cvlm::setLogFileName("LM-LOG.txt");
    std::ofstream("enlmlog.sig").put('x');
    cvlm::setLogSwitchFromMarker();
  }
  void TearDown() override {
    ::unlink("enlmlog.sig");
    cvlm::setLogSwitchFromMarker();
  }
  // The messages of the log, without their time stamps.
  std::vector<std::string> logMessages() const {
    std::ifstream in("LM-LOG.txt");
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);)
      if (l.size() > 29) out.push_back(l.substr(29));
    return out;
  }
  int countLog(const std::string& message) const {
    int n = 0;
    for (const auto& m : logMessages()) n += m == message;
    return n;
  }

  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env{"IDS_PLATFORM_DIR", dir.path()};
  platform_testing::ScopedCwd cwd{dir.path()};
};

}  // namespace cvlm_testing
