// A hello sent to the real console program on the fixed port.
#include <gtest/gtest.h>

#include <fstream>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"
#include "server/tests/support/test_console.h"

namespace {

using platform_testing::eventually;

TEST(DispatcherProcessTest, HelloToRunningProgramAnswersWelcomeAndLogsTheLogin) {
  platform_testing::TempDir work, state;
  std::ofstream(work.file("enlmlog.sig")).put('x');
  platform_testing::ChildProcess cvlm(CVLM_BINARY, work.path(), {{"IDS_PLATFORM_DIR", state.path()}});
  ASSERT_TRUE(eventually([] { return cvlm_testing::TestConsole(7593, cvlm_testing::kLoopback, 500).connected(); }));

  cvlm_testing::TestConsole console(7593);
  auto result = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);  // 260 bytes summing to 0
  EXPECT_EQ(cvlm_testing::resultType(*result), 1);
  EXPECT_EQ(formats::getText(&*result, 8, 136), "<V>V0.0</V> Welcome!\n");
  EXPECT_EQ(formats::getInt32(&*result, 252), 0);
  EXPECT_TRUE(console.closedByServer());

  auto logged = [&](const std::string& line) {
    return eventually([&] {
      std::string log;
      platform::readWholeFile(work.file("LM-LOG.txt"), log);
      return log.find("] " + line + "\n") != std::string::npos;
    });
  };
  EXPECT_TRUE(logged("Dispatcher::dispatcher::rqh.Type=1"));
  EXPECT_TRUE(logged("Dispatcher::hello()"));
  EXPECT_TRUE(logged("Dispatcher::hello::UI login from 127.0.0.1"));
}

}  // namespace
