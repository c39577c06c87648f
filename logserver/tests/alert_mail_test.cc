// The alert mail text: subject, header, alert blocks and attack names.
#include "logserver/alert_mail.h"

#include <gtest/gtest.h>

#include "logserver/tests/support/mail_files.h"

namespace halvern {
namespace {

AlertRecord alert(std::uint32_t ruleId, std::int32_t begin, std::int32_t end, std::int32_t count) {
  return AlertRecord{ruleId, Ipv4Address{{192, 168, 1, 5}}, Ipv4Address{{10, 1, 2, 3}}, begin, end,
                     count};
}

TEST(AlertMailTest, FormatsSubjectHeaderAndBlockWithUnpaddedLocalTimes) {
  halvern_testing::ScopedUtc utc;
  Ipv4Address sensor = Ipv4Address{{10, 1, 2, 3}};
  std::vector<RuleNameSlot> rules{{"Port Scan", 7}};
  AlertRecord a = alert(7, 1046161416, 1072915199, 12);
  std::vector<std::string> mail = alertMail(&a, 1, sensor, rules);
  ASSERT_EQ(mail.size(), 3u);
  EXPECT_EQ(mail[0], "Subject: IDS(10.1.2.3) Mail Alert: Attack Occured \r\n");
  EXPECT_EQ(mail[1], "\nRecorded attack information from IDS (10.1.2.3): \n\n\r\n");
  EXPECT_EQ(mail[2],
            "\n\nAttack Name:   Port Scan\nSource IP:   192.168.1.5\nDestination IP:   10.1.2.3\n"
            "Begin Time:   2003/2/25 8:23:36\nEnd Time:   2003/12/31 23:59:59\nCount:   12\r\n");
}

TEST(AlertMailTest, NamesFirstRuleWithTheIdOrDeleted) {
  std::vector<RuleNameSlot> rules{{"first", 7}, {"second", 7}, {"other", 8}};
  EXPECT_EQ(attackName(rules, 7), "first");
  EXPECT_EQ(attackName(rules, 8), "other");
  EXPECT_EQ(attackName(rules, 4660), "Deleted( 4660 )");
  EXPECT_EQ(attackName(rules, 4294967295u), "Deleted( 4294967295 )");
  EXPECT_EQ(attackName({}, 0), "Deleted( 0 )");
}

TEST(AlertMailTest, EmptyBatchHasSubjectAndHeaderOnly) {
  std::vector<std::string> mail = alertMail(nullptr, 0, Ipv4Address{{10, 1, 2, 3}}, {});
  EXPECT_EQ(mail.size(), 2u);
}

}  // namespace
}  // namespace halvern
