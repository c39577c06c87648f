// Lock files: exclusion between writers, readers waiting for a release, the
// release attempts and their log lines.
#include "server/lock_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform_testing/faults.h"
#include "server/tests/log_capture.h"

namespace {

class LockFileTest : public cvlm_testing::LoggedDirTest {};

TEST_F(LockFileTest, TouchCreatesAndUntouchRemovesTheLock) {
  ASSERT_EQ(cvlm::touchLockFile("data"), 0);
  EXPECT_TRUE(platform::fileExists("data.lck"));
  EXPECT_FALSE(platform::fileExists("data"));
  EXPECT_EQ(cvlm::untouchLockFile("data"), 0);
  EXPECT_FALSE(platform::fileExists("data.lck"));
}

TEST_F(LockFileTest, ReleasingAMissingLockAnswersMinusOneAndLogsNothing) {
  EXPECT_EQ(cvlm::untouchLockFile("data"), -1);
  EXPECT_FALSE(cvlm::waitLockFile("data"));
  EXPECT_TRUE(logMessages().empty());
}

TEST_F(LockFileTest, ReaderReturnsOnlyAfterTheWriterReleases) {
  ASSERT_EQ(cvlm::touchLockFile(".acl"), 0);
  EXPECT_TRUE(platform::fileExists(".acl.lck"));
  std::atomic<bool> released{false};
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    released = true;
    cvlm::untouchLockFile(".acl");
  });
  cvlm::waitForUnlock(".acl");
  EXPECT_TRUE(released.load());
  writer.join();
}

TEST_F(LockFileTest, TwoWritersNeverHoldTheLockTogether) {
  std::atomic<int> inside{0};
  std::atomic<int> most{0};
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&] {
      for (int i = 0; i < 5; ++i) {
        cvlm::LockFileGuard lock("book");
        ASSERT_TRUE(lock.held());
        int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        --inside;
      }
    });
  for (auto& w : writers) w.join();
  EXPECT_EQ(most.load(), 1);
  EXPECT_FALSE(platform::fileExists("book.lck"));
}

TEST_F(LockFileTest, UncreatableLockIsLoggedAndNotReleasedByTheGuard) {
  EXPECT_EQ(cvlm::touchLockFile("missing/data"), -1);
  EXPECT_EQ(countLog("Touch lock file [missing/data.lck] error!"), 1);
  {
    cvlm::LockFileGuard guard("missing/data");
    EXPECT_FALSE(guard.held());
  }
  EXPECT_EQ(countLog("Touch lock file [missing/data.lck] error!"), 2);
}

TEST_F(LockFileTest, StuckLockIsTriedThreeTimesAndReportedStillPresent) {
  ASSERT_EQ(cvlm::touchLockFile("data"), 0);
  platform_testing::ScopedFault stuck(platform::FaultOp::LockRemove, "data.lck", 3);
  EXPECT_EQ(cvlm::untouchLockFile("data"), 1);
  EXPECT_EQ(countLog("Lock File [data.lck] can't untouch!"), 3);
  EXPECT_TRUE(platform::fileExists("data.lck"));
  EXPECT_EQ(cvlm::untouchLockFile("data"), 0);
}

TEST_F(LockFileTest, UnreadableLockStillBlocksReaders) {
  std::ofstream("data.lck").put('x');
  ASSERT_EQ(::chmod("data.lck", 0), 0);
  EXPECT_TRUE(cvlm::waitLockFile("data"));
  EXPECT_EQ(cvlm::untouchLockFile("data"), 0);
  EXPECT_FALSE(cvlm::waitLockFile("data"));
}

}  // namespace
