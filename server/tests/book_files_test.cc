// Book names and record sizes by type, and the record layouts' zero and
// 0xFF initial bytes.
#include "server/books/book_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/net.h"
#include "server/books/records.h"

namespace {

TEST(BookFilesTest, NameAndRecordSizeByType) {
  struct Case {
    int type;
    const char* address;
    const char* name;
    int size;
  } cases[] = {
      {1, "10.0.0.5", "Service.10.0.0.5.bk", 84},
      {2, "10.0.0.5", "Address.10.0.0.5.bk", 116},
      {3, "1.2.3.4", "Group.1.2.3.4.bk", 76},
      {4, "255.255.255.255", "Schedule.255.255.255.255.bk", 92},
      {5, "10.0.0.5", "Rule.10.0.0.5.bk", 2500},
      {6, "192.168.1.10", "GARelation.192.168.1.10.bk", 64},
      {7, "0.0.0.0", "WHITLIST.0.0.0.0.bk", 72},
      {0, "10.0.0.5", "0", 0},
      {8, "10.0.0.5", "0", 0},
      {-1, "10.0.0.5", "0", 0},
  };
  for (const auto& c : cases) {
    char name[cvlm::kBookNameSize];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(cvlm::backupFileName(c.type, name, platform::parseAddress(c.address)), c.size) << c.type;
    EXPECT_STREQ(name, c.name);
    EXPECT_EQ(cvlm::bookRecordSize(c.type), c.size);
  }
}

TEST(BookFilesTest, NewRecordsAreZeroExceptTheScheduleBytes) {
  cvlm::BRule rule;
  cvlm::BService service;
  const unsigned char* r = reinterpret_cast<const unsigned char*>(&rule);
  for (std::size_t i = 0; i < sizeof rule; ++i) ASSERT_EQ(r[i], 0) << i;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(&service);
  for (std::size_t i = 0; i < sizeof service; ++i) ASSERT_EQ(s[i], 0) << i;
  cvlm::BSchedule schedule;
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&schedule);
  for (std::size_t i = 0; i < sizeof schedule; ++i) ASSERT_EQ(b[i], i >= 32 && i < 56 ? 0xFF : 0) << i;
}

TEST(BookFilesTest, GroupMembershipNamesStayTerminatedInTheirFields) {
  cvlm::GA ga(std::string(40, 'g'), "host");
  EXPECT_EQ(formats::fieldText(ga.groupName), std::string(31, 'g'));
  EXPECT_EQ(formats::fieldText(ga.addressName), "host");
  std::memset(ga.groupName, 'z', sizeof ga.groupName);  // full field, no terminator
  EXPECT_EQ(formats::fieldText(ga.groupName), std::string(32, 'z'));
}

TEST(BookFilesTest, PolicyIdBoundary) {
  cvlm::BRule rule;
  for (auto [id, policy] : {std::pair{0, true}, {5, true}, {0x00100008, true}, {0x00100009, false}, {-1, false}}) {
    rule.id = id;
    EXPECT_EQ(cvlm::isDDoSPolicy(rule), policy) << id;
  }
}

}  // namespace
