// Finding, waiting for and loading the sensor's rule backup.
#include "logserver/rule_backup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "logserver/tests/support/mail_files.h"
#include "platform/files.h"

namespace halvern {
namespace {

using halvern_testing::ruleRecord;
using halvern_testing::writeFile;

const Ipv4Address kSensor = Ipv4Address{{10, 1, 2, 3}};

TEST(RuleBackupTest, PrefersManagementServerNameThenLowerCaseThenAnyCase) {
  platform_testing::TempDir dir;
  EXPECT_EQ(findRuleBackup(dir.path(), kSensor), "");
  writeFile(dir.file("RULE.10.1.2.3.BK"), "");
  EXPECT_EQ(findRuleBackup(dir.path(), kSensor), dir.file("RULE.10.1.2.3.BK"));
  writeFile(dir.file("rule.10.1.2.3.bk"), "");
  EXPECT_EQ(findRuleBackup(dir.path(), kSensor), dir.file("rule.10.1.2.3.bk"));
  writeFile(dir.file("Rule.10.1.2.3.bk"), "");
  EXPECT_EQ(findRuleBackup(dir.path(), kSensor), dir.file("Rule.10.1.2.3.bk"));
  EXPECT_EQ(findRuleBackup(dir.path() + "/", kSensor), dir.file("Rule.10.1.2.3.bk"));
  EXPECT_EQ(findRuleBackup(dir.path(), Ipv4Address{{10, 1, 2, 30}}), "");
}

TEST(RuleBackupTest, LoadsEveryWholeRecordWithBoundedCleanNames) {
  platform_testing::TempDir dir;
  std::string bytes = ruleRecord(7, "Port Scan") + ruleRecord(8, std::string(64, 'N')) +
                      ruleRecord(9, "bad\r\n.\r\nQUIT\x7f") + ruleRecord(0x80000001u, "high");
  for (std::uint32_t id = 100; id < 1700; ++id) bytes += ruleRecord(id, "r" + std::to_string(id));
  bytes += ruleRecord(42, "partial").substr(0, 2499);
  writeFile(dir.file("Rule.10.1.2.3.bk"), bytes);

  std::vector<RuleNameSlot> slots;
  ASSERT_TRUE(loadRuleNames(dir.file("Rule.10.1.2.3.bk"), slots));
  ASSERT_EQ(slots.size(), 4u + 1600u);
  EXPECT_EQ(slots[0].id, 7u);
  EXPECT_EQ(slots[0].name, "Port Scan");
  EXPECT_EQ(slots[1].name, std::string(63, 'N'));
  EXPECT_EQ(slots[2].name, "bad  .  QUIT ");
  EXPECT_EQ(slots[3].id, 0x80000001u);
  EXPECT_EQ(attackName(slots, 1699), "r1699");
  EXPECT_EQ(attackName(slots, 42), "Deleted( 42 )");
  EXPECT_FALSE(loadRuleNames(dir.file("missing"), slots));
}

TEST(RuleBackupTest, LockWaitEndsWhenLockGoesAndIsBoundedWhenItStays) {
  platform_testing::TempDir dir;
  std::string book = dir.file("Rule.10.1.2.3.bk");
  EXPECT_TRUE(waitForBookLock(book, 0));
  writeFile(book + ".lck", "");
  EXPECT_FALSE(waitForBookLock(book, 250));
  EXPECT_TRUE(platform::fileExists(book + ".lck"));
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::filesystem::remove(book + ".lck");
  });
  EXPECT_TRUE(waitForBookLock(book, 10000));
  release.join();
  EXPECT_FALSE(platform::fileExists(book));  // the reader never creates files
}

}  // namespace
}  // namespace halvern
