// Memory a request may commit: a kernel image buffer grows only as the image
// arrives, and state files larger than their format allows are not read but
// answered as unreadable. Measured on this process's resident memory.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform_testing/child_process.h"
#include "server/constants.h"
#include "server/protocol.h"
#include "server/tests/support/account_requests.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

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

// Starts a new peak window at the current resident size.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Grows the file (created when missing) to the size with a sparse tail;
// reading it commits that much memory.
void growFile(const std::string& name, off_t size) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
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
    cvlm::RqH header = cvlm_testing::kernelHeader(platform::parseAddress("127.0.0.1"), cvlm::kMaxKernelImageBytes);
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

// Each file far larger than its format allows; the request that reads it
// answers as for an unreadable file, or for ".cvlmrc", whose bytes after the
// record never counted, as for the record alone.
TEST(MemoryBounds, OversizedStateFilesAreAnsweredAsUnreadableWithoutBeingRead) {
  TestServer server;
  auto request = [&](const cvlm::RqH& header) {
    TestConsole console(server.port());
    return console.request(header);
  };
  const std::uint32_t sensorAddress = platform::parseAddress("127.0.0.213");
  ASSERT_TRUE(request(makeHeader(cvlm::RQ_GetEMailInfo)));  // writes ".cvlmrc" with the built-in values
  struct Case {
    const char* file;
    off_t size;
    std::function<void()> check;
  };
  const Case cases[] = {
      {".cvdb", 40 << 20,
       [&] {
         auto hello = request(makeHeader(cvlm::RQ_Hello));
         ASSERT_TRUE(hello);
         EXPECT_EQ(resultType(*hello), 1);
         EXPECT_EQ(formats::getInt32(&*hello, 144), 0);  // no hosts
         auto list = request(makeHeader(cvlm::RQ_ListCvHost));
         ASSERT_TRUE(list);
         EXPECT_EQ(resultType(*list), cvlm::MRR_TYPE_Unknow_Error);
       }},
      {".acl", 40 << 20,
       [&] {
         auto login = request(cvlm_testing::credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser,
                                                        cvlm::kBuiltInOperatorPassword));
         ASSERT_TRUE(login);
         EXPECT_EQ(resultType(*login), cvlm::MRR_TYPE_GetAcl_Error);
       }},
      {".cvlmrc", 40 << 20,
       [&] {
         auto mail = request(makeHeader(cvlm::RQ_GetEMailInfo));
         ASSERT_TRUE(mail);
         EXPECT_EQ(resultType(*mail), 1);
         EXPECT_EQ(formats::getText(&*mail, 12, 32), cvlm::kDefaultMailServer);
       }},
      {"Group.127.0.0.213.bk", 80 << 20,
       [&] {
         // A Rule book upload with the push: the push needs the Group book.
         cvlm::RqH upload = cvlm_testing::uploadBookHeader(5, 1, 2500, sensorAddress, true);
         TestConsole console(server.port());
         ASSERT_TRUE(console.sendHeader(upload));
         ASSERT_TRUE(console.sendUnit(std::string(2500, '\0')));
         auto result = console.receiveResult();
         ASSERT_TRUE(result);
         EXPECT_EQ(resultType(*result), cvlm::MRR_TYPE_Openfile_Error);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    growFile(c.file, c.size);
    resetPeak();
    long before = statusKiB("VmRSS");
    c.check();
    EXPECT_LT(statusKiB("VmHWM") - before, kAllowedKiB);
    ::unlink(c.file);
  }
}

}  // namespace
