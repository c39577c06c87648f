// Memory a request may commit: a kernel image buffer grows only as the image
// arrives. Measured on this process's resident memory.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "constants.h"
#include "platform_testing/child_process.h"
#include "protocol.h"
#include "support/test_console.h"
#include "support/test_server.h"
#include "wire.h"

namespace {

using cvlm_testing::makeHeader;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

// What a few requests may add to the process: far below any file or image
// the tests offer.
constexpr long kAllowedKiB = 16 * 1024;

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
long statusKiB(const std::string& field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(MemoryBounds, AnnouncedKernelImagesTakeNoMemoryBeforeTheyArrive) {
  TestServer server;
  long idle = statusKiB("VmRSS");
  std::vector<std::unique_ptr<TestConsole>> consoles;
  for (int i = 0; i < 8; ++i) {
    cvlm::RqH header = makeHeader(cvlm::RQ_PutCVKernel);
    const std::uint8_t sensor[4] = {127, 0, 0, 1};
    std::memcpy(header.args, sensor, sizeof sensor);
    cvlm::putInt32(&header, 12, cvlm::kMaxKernelImageBytes);
    consoles.push_back(std::make_unique<TestConsole>(server.port()));
    ASSERT_TRUE(consoles.back()->sendHeader(header));  // and then nothing
  }
  std::string announced = "Dispatcher::putCVKernel() 127.0.0.1, " + std::to_string(cvlm::kMaxKernelImageBytes);
  ASSERT_TRUE(platform_testing::eventually([&] { return occurrences(server.logText(), announced) == 8; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(statusKiB("VmRSS") - idle, kAllowedKiB);
  for (auto& console : consoles) {
    console->halfClose();
    auto result = console->receiveResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(resultType(*result), cvlm::MRR_TYPE_Kernel_Receive);
  }
}

}  // namespace
