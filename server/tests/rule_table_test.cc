// Rule table: the eight built-in DDoS policies of an empty book, the rule and
// policy counts of a load, and save results when the book cannot be written.
#include "server/books/rule_table.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

#include "formats/byte_order.h"
#include "platform_testing/faults.h"
#include "server/lock_file.h"
#include "server/push/rule_picking.h"
#include "server/tests/books_fixture.h"

namespace {

using cvlm::BGroup;
using cvlm::BRule;

class RuleTableTest : public cvlm_testing::BooksTest {
 protected:
  std::string ruleBook() { return fileBytes(book(cvlm::RULE_BOOK)); }
};

// A built-in policy as raw bytes, from the record offsets.
std::string expectedPolicy(std::uint32_t id, const char* name, const char* description, int protocol) {
  std::string r(2500, '\0');
  char* p = r.data();
  formats::putInt32(p, 0, static_cast<std::int32_t>(id));
  formats::putInt32(p, 4, 5);
  formats::putText(p, 8, 64, name);
  formats::putText(p, 272, 1024, description);
  formats::putText(p, 2192, 32, "Build-In");
  formats::putInt32(p, 2224, 1009843200);  // 2002-01-01 00:00:00 UTC
  p[2228] = 1;
  p[2230] = static_cast<char>(protocol);
  p[2231] = 1;
  formats::putInt32(p, 2232, 1289);
  p[2428] = 1;
  formats::putInt32(p, 2440, 100);
  formats::putInt32(p, 2444, 50);
  formats::putInt32(p, 2448, 50);
  return r;
}

TEST_F(RuleTableTest, EmptyBookGetsTheEightBuiltInPoliciesOnce) {
  {
    cvlm::RuleTable table(sensor);
    EXPECT_EQ(table.size(), 8);
    EXPECT_EQ(table.getNRules(), 0);
    EXPECT_EQ(table.getNDDoS(), 0);
  }
  std::string expected = expectedPolicy(0x00100001, "TCP SYN Flooding", "TCP SYN defense policy", 6) +
                         expectedPolicy(0x00100002, "TCP Flooding", "TCP Flooding defense policy", 6) +
                         expectedPolicy(0x00100003, "UDP Flooding", "UDP Flooding defense policy", 17) +
                         expectedPolicy(0x00100004, "UDP Smurfing", "UDP Smurfing defense policy", 17) +
                         expectedPolicy(0x00100005, "ICMP Flooding", "ICMP Flooding defense policy", 1) +
                         expectedPolicy(0x00100006, "ICMP Smurfing", "ICMP Smurfing defense policy", 1) +
                         expectedPolicy(0x00100007, "IGMP Flooding", "IGMP Flooding defense policy", 2) +
                         expectedPolicy(0x00100008, "IP Flooding", "IP Flooding defense policy", 0);
  std::string written = ruleBook();
  ASSERT_EQ(written.size(), 20000u);
  for (std::size_t i = 0; i < 8; ++i)
    EXPECT_EQ(written.substr(i * 2500, 2500), expected.substr(i * 2500, 2500)) << "policy " << i + 1;
  EXPECT_EQ(countLog("RuleTable::createDefaultDDoSPolicy()"), 1);
  EXPECT_EQ(countLog("# of picked Rules = 0"), 1);
  EXPECT_EQ(countLog("# of picked DDoS Rules = 0"), 1);

  cvlm::RuleTable again(sensor);
  EXPECT_EQ(again.getNDDoS(), 8);
  EXPECT_EQ(again.getNRules(), 0);
  EXPECT_EQ(ruleBook(), written);
  EXPECT_EQ(countLog("RuleTable::createDefaultDDoSPolicy()"), 1);
  EXPECT_EQ(countLog("# of picked DDoS Rules = 8"), 1);
  again.createDefaultDDoSPolicy();  // all eight already there: nothing added
  EXPECT_EQ(again.size(), 8);
  EXPECT_EQ(ruleBook(), written);
  EXPECT_TRUE(onlyBooksAndLogsLeft());
}

BRule rule(std::uint32_t id, std::uint8_t flags, std::int32_t source = 0, std::int32_t destination = 0) {
  BRule r;
  r.id = static_cast<std::int32_t>(id);
  r.flags = flags;
  r.source = source;
  r.destination = destination;
  return r;
}

BGroup group(std::int32_t nAddr) {
  BGroup g;
  g.nAddr = nAddr;
  return g;
}

TEST_F(RuleTableTest, CountsEnabledPoliciesAndRulesExpandedByGroupSizes) {
  constexpr std::uint8_t on = cvlm::kRuleEnabled, src = cvlm::kRuleSourceIsGroup, dst = cvlm::kRuleDestinationIsGroup;
  struct Case {
    const char* what;
    std::vector<BRule> rules;
    std::vector<BGroup> groups;
    int nRules;
    int nDDoS;
  } cases[] = {
      {"disabled rule and policy", {rule(0x00200000, 0, 0, 0), rule(0x00100001, src)}, {}, 0, 0},
      {"plain sensor rule", {rule(0x00200000, on)}, {}, 1, 0},
      {"source group 2 x destination group 1", {rule(7000000, on | src | dst, 2, 1)}, {group(4), group(3)}, 12, 0},
      {"only the source a group", {rule(7000000, on | src, 2, 1)}, {group(4), group(3)}, 3, 0},
      {"missing source group", {rule(7000000, on | src, 5, 1)}, {group(4), group(3)}, 0, 0},
      {"position 0 and the lowest position", {rule(7000000, on | src, 0), rule(7000001, on | dst, 0, INT32_MIN)},
       {group(4)}, 0, 0},
      {"policy id boundary", {rule(0, on), rule(5, on), rule(0x00100008, on), rule(0x00100009, on), rule(0xFFFFFFFF, on)},
       {}, 2, 3},
      {"negative group size counts as empty", {rule(7000000, on | src | dst, 1, 2)}, {group(-2), group(-3)}, 0, 0},
      {"huge groups saturate", {rule(7000000, on | src | dst, 1, 1), rule(7000001, on)}, {group(INT32_MAX)}, INT32_MAX,
       0},
  };
  for (const auto& c : cases) {
    writeRecords(cvlm::RULE_BOOK, c.rules);
    writeRecords(cvlm::GROUP_BOOK, c.groups);
    cvlm::RuleTable table(sensor);
    EXPECT_EQ(table.getNRules(), c.nRules) << c.what;
    EXPECT_EQ(table.getNDDoS(), c.nDDoS) << c.what;
    EXPECT_EQ(table.size(), static_cast<int>(c.rules.size())) << c.what;
  }
  EXPECT_EQ(countLog("RuleTable::createDefaultDDoSPolicy()"), 0);
}

class SaveFailureTest : public RuleTableTest {
 protected:
  void SetUp() override {
    RuleTableTest::SetUp();
    writeRecords<BRule>(cvlm::RULE_BOOK, {rule(0x00200000, cvlm::kRuleEnabled)});
    old = ruleBook();
  }
  // A loaded table with seven more rules than the book holds.
  int saveGrownTable() {
    cvlm::RuleTable table(sensor);
    for (std::uint32_t id = 1; id <= 7; ++id) table.add(rule(0x00300000 + id, 0));
    return table.save();
  }
  std::string old;
};

TEST_F(SaveFailureTest, ShortWriteAnswersFourAndKeepsTheOldBook) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 10000;  // the grown book has 20000 bytes
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int result = saveGrownTable();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(result, cvlm::kSaveCannotOpen);
  EXPECT_EQ(ruleBook(), old);
  EXPECT_TRUE(onlyBooksAndLogsLeft());
}

TEST_F(SaveFailureTest, FailedReplaceAnswersFourAndKeepsTheOldBook) {
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, "Rule.*.bk", 1);
  EXPECT_EQ(saveGrownTable(), cvlm::kSaveCannotOpen);
  EXPECT_EQ(ruleBook(), old);
  EXPECT_TRUE(onlyBooksAndLogsLeft());
  EXPECT_EQ(saveGrownTable(), cvlm::kSaveWritten);
  EXPECT_EQ(ruleBook().size(), 20000u);
}

TEST_F(SaveFailureTest, UnopenableTemporaryFileAnswersFour) {
  ASSERT_EQ(::mkdir((book(cvlm::RULE_BOOK) + ".save.tmp").c_str(), 0755), 0);
  EXPECT_EQ(saveGrownTable(), cvlm::kSaveCannotOpen);
  EXPECT_EQ(ruleBook(), old);
  EXPECT_FALSE(platform::fileExists(book(cvlm::RULE_BOOK) + ".lck"));
}

TEST_F(RuleTableTest, UnwritableBookKeepsThePoliciesInMemoryOnly) {
  ASSERT_EQ(::mkdir(book(cvlm::RULE_BOOK).c_str(), 0755), 0);  // cannot be replaced by a file
  {
    cvlm::RuleTable table(sensor);
    EXPECT_EQ(table.size(), 8);
    EXPECT_EQ(table.save(), cvlm::kSaveCannotOpen);
  }
  cvlm::RuleTable again(sensor);
  EXPECT_EQ(again.size(), 8);
  EXPECT_EQ(countLog("RuleTable::createDefaultDDoSPolicy()"), 2);
  EXPECT_TRUE(std::filesystem::is_directory(book(cvlm::RULE_BOOK)));
  EXPECT_TRUE(onlyBooksAndLogsLeft());
}

TEST_F(RuleTableTest, SaveWaitsForAnotherWritersLockAndLeavesItsOwnNoLock) {
  cvlm::RuleTable table(sensor);  // written once: eight policies
  table.add(rule(0x00200000, 0));
  ASSERT_EQ(cvlm::touchLockFile(book(cvlm::RULE_BOOK)), 0);
  std::atomic<int> result{0};
  std::thread saver([&] { result = table.save(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(ruleBook().size(), 20000u);
  ASSERT_EQ(cvlm::untouchLockFile(book(cvlm::RULE_BOOK)), 0);
  saver.join();
  EXPECT_EQ(result.load(), cvlm::kSaveWritten);
  EXPECT_EQ(ruleBook().size(), 22500u);
  EXPECT_TRUE(onlyBooksAndLogsLeft());
}

TEST_F(RuleTableTest, PickingLooksUpEveryNonzeroScheduleIndex) {
  cvlm::BSchedule weekly;
  std::memset(weekly.schedule, 0x0F, sizeof weekly.schedule);
  writeRecords<cvlm::BSchedule>(cvlm::SCHEDULE_BOOK, {weekly});
  std::vector<BRule> rules;
  for (std::int32_t schedule : {0, 1, 2, -3, INT32_MIN}) {
    rules.push_back(rule(0x00200000 + static_cast<std::uint32_t>(rules.size()), cvlm::kRuleEnabled));
    rules.back().schedule = schedule;
  }
  // Each sensor rule a group expands to looks its schedule up; an empty group none.
  BGroup three = group(3), none = group(0);
  formats::setFieldText(three.GroupName, "three");
  formats::setFieldText(none.GroupName, "none");
  writeRecords<BGroup>(cvlm::GROUP_BOOK, {three, none});
  writeRecords<cvlm::GA>(cvlm::GARELATION_BOOK, {{"three", "a"}, {"three", "b"}, {"three", "c"}});
  for (std::int32_t position : {1, 2}) {
    rules.push_back(rule(0x00300000, cvlm::kRuleEnabled | cvlm::kRuleSourceIsGroup, position));
    rules.back().schedule = 1;
  }
  writeRecords(cvlm::RULE_BOOK, rules);
  cvlm::RuleTable table(sensor);
  ::testing::internal::CaptureStdout();
  cvlm::PickedRules picked = cvlm::pickRules(table, 8, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "before: 0\nindex: 0\nbefore: 1\nbefore: -4\nbefore: 2147483647\n"
            "before: 0\nindex: 0\nbefore: 0\nindex: 0\nbefore: 0\nindex: 0\n");
  ASSERT_EQ(picked.rules.size(), 8u);
  const std::uint8_t expected[] = {0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x0F};
  for (std::size_t i = 0; i < 8; ++i) {
    for (std::uint8_t b : picked.rules[i].schedule) ASSERT_EQ(b, expected[i]) << "rule " << i;
  }
}

}  // namespace
