// The fault-injection point: glob matching, counts, values, thread safety.
#include "platform/faults.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct GlobCase {
  const char* pattern;
  const char* subject;
  bool caseBlind;
  bool matches;
};

TEST(FaultsTest, GlobPatternsMatchWholeSubjects) {
  const GlobCase cases[] = {
      {"*", "", false, true},
      {"*", "anything at all", false, true},
      {"C:\\App\\*.EXE", "C:\\App\\SETUP.EXE", false, true},
      {"C:\\App\\*.EXE", "c:\\app\\setup.exe", false, false},
      {"C:\\App\\*.EXE", "c:\\app\\setup.exe", true, true},
      {"C:\\App\\*.EXE", "C:\\App\\Sub\\X.EXE", false, true},  // '*' spans separators
      {"C:\\App\\*.EXE", "C:\\App\\SETUP.EXE.BAK", false, false},
      {"QD?1234.TMP", "QDJ1234.TMP", false, true},
      {"QD?1234.TMP", "QD1234.TMP", false, false},
      {"*a*b*c", "xxaxxbxxbxc", false, true},
      {"*a*b*c", "xxaxxbxxbx", false, false},
      {"a.txt", "a.txt", false, true},
      {"a.txt", "a.txtx", false, false},
      {"", "", false, true},
      {"", "x", false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::globMatch(c.pattern, c.subject, c.caseBlind), c.matches)
        << c.pattern << " ~ " << c.subject << " caseBlind=" << c.caseBlind;
}

TEST(FaultsTest, CountedRuleFailsThatManyTimesThenStops) {
  platform::clearFaults();
  platform::addFault({platform::FaultOp::Rename, "*.tmp", 2, 0, false});
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Rename, "state"));
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Send, "a.tmp"));
  EXPECT_TRUE(platform::shouldFail(platform::FaultOp::Rename, "a.tmp"));
  EXPECT_TRUE(platform::shouldFail(platform::FaultOp::Rename, "b.tmp"));
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Rename, "c.tmp"));
  platform::clearFaults();
}

TEST(FaultsTest, FirstMatchingRuleGivesItsValueAndUnlimitedRulesStay) {
  platform::clearFaults();
  platform::addFault({platform::FaultOp::ShortWrite, "C:\\A\\*", 1, 10, true});
  platform::addFault({platform::FaultOp::ShortWrite, "*", -1, 3, true});
  long long value = 0;
  EXPECT_TRUE(platform::shouldFail(platform::FaultOp::ShortWrite, "c:\\a\\x", &value));
  EXPECT_EQ(value, 10);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(platform::shouldFail(platform::FaultOp::ShortWrite, "c:\\a\\x", &value));
    EXPECT_EQ(value, 3);
  }
  platform::addFault({platform::FaultOp::Busy, "*", 0, 0, false});  // count 0: no rule
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Busy, "x"));
  platform::clearFaults();
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::ShortWrite, "c:\\a\\x"));
}

TEST(FaultsTest, ConcurrentCallersConsumeEachCountOnce) {
  platform::clearFaults();
  platform::addFault({platform::FaultOp::Send, "*", 1000, 0, false});
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i)
        if (platform::shouldFail(platform::FaultOp::Send, "peer")) ++failures;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 1000);
  platform::clearFaults();
}

TEST(FaultsTest, OperationNamesRoundTrip) {
  for (auto op : {platform::FaultOp::Rename, platform::FaultOp::LockRemove, platform::FaultOp::ShortWrite,
                  platform::FaultOp::RegistryReadOnly, platform::FaultOp::LoadLibraryEx})
    EXPECT_EQ(platform::faultOpFromName(platform::faultOpName(op)), op);
  EXPECT_EQ(platform::faultOpFromName("short-write"), platform::FaultOp::ShortWrite);
  EXPECT_FALSE(platform::faultOpFromName("explode"));
}

}  // namespace
