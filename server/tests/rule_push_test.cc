// The rule push against an in-process server and a fake sensor: the two
// sensor connections with their records, group expansion, counts the books
// cannot fill, and every failure of the sensor link.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform/net.h"
#include "server/books/book_files.h"
#include "server/books/records.h"
#include "server/books/rule_table.h"
#include "server/cv_db.h"
#include "server/protocol.h"
#include "server/push/sensor_rule.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm_testing::FakeSensor;
using cvlm_testing::makeHeader;
using cvlm_testing::resultType;
using cvlm_testing::SensorScript;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

template <class Record>
std::string bytesOf(const std::vector<Record>& records) {
  return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(Record));
}

class RulePushTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sensor.listening()); }

  template <class Record>
  void writeBook(int type, const std::vector<Record>& records, std::uint32_t address) {
    ASSERT_TRUE(platform::writeFileAtomic(cvlm::bookFileName(type, address), bytesOf(records)));
  }

  // Uploads the Rule book with the push byte set; the result type, -1 when
  // no result came, -2 when more than one result record came.
  std::int32_t push(const std::vector<cvlm::BRule>& rules, std::uint32_t address) {
    TestConsole console(server.port());
    cvlm::RqH header = cvlm_testing::uploadBookHeader(cvlm::RULE_BOOK, static_cast<std::int32_t>(rules.size()),
                                                      sizeof(cvlm::BRule), address, true);
    console.sendHeader(header);
    for (const cvlm::BRule& rule : rules) console.sendUnit(bytesOf(std::vector<cvlm::BRule>{rule}));
    auto result = console.receiveResult();
    if (!result) return -1;
    if (!console.closedByServer()) return -2;
    return resultType(*result);
  }
  std::int32_t push(const std::vector<cvlm::BRule>& rules) { return push(rules, sensor.addressValue()); }

  static std::vector<cvlm::SensorRule> sensorRules(const cvlm_testing::SensorSession& s) {
    std::vector<cvlm::SensorRule> out;
    for (const auto& block : s.blocks) {
      EXPECT_EQ(block.size(), sizeof(cvlm::SensorRule));
      cvlm::SensorRule r;
      std::memcpy(&r, block.data(), std::min(block.size(), sizeof r));
      out.push_back(r);
    }
    return out;
  }

  TestServer server;
  FakeSensor sensor;
};

std::vector<cvlm::BRule> builtInPolicies() {
  cvlm::RuleTable table(platform::parseAddress("10.9.9.9"));  // writes that sensor's book
  return table.records();
}

cvlm::BAddress address(const char* name, std::int32_t value) {
  cvlm::BAddress a;
  formats::setFieldText(a.name, name);
  a.firstValue = value;
  a.secondValue = value + 1000;
  return a;
}

cvlm::BGroup group(const char* name, std::int32_t nAddr) {
  cvlm::BGroup g;
  formats::setFieldText(g.GroupName, name);
  g.nAddr = nAddr;
  return g;
}

cvlm::BRule groupRule(std::int32_t id) {
  cvlm::BRule rule;
  rule.id = id;
  rule.flags = cvlm::kRuleEnabled | cvlm::kRuleSourceIsGroup | cvlm::kRuleDestinationIsGroup;
  rule.source = 1;       // group "inside"
  rule.destination = 2;  // group "outside"
  rule.protocol = 6;
  rule.sourceAddressFlag = 1;
  return rule;
}

TEST_F(RulePushTest, BuiltInPoliciesGoFirstThenAnEmptyRuleSet) {
  cvlm::ObjCvHost host{};
  std::uint32_t a = sensor.addressValue();
  std::memcpy(host.address, &a, 4);
  const std::uint8_t id[cvlm::kSensorIdSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xC0};
  std::memcpy(host.sensorId, id, sizeof id);
  ASSERT_TRUE(platform::writeFileAtomic(cvlm::kCvDbFile, std::string(reinterpret_cast<char*>(&host), sizeof host)));
  std::vector<cvlm::BRule> policies = builtInPolicies();
  ASSERT_EQ(policies.size(), 8u);
  EXPECT_EQ(push(policies), 1);
  ASSERT_TRUE(sensor.waitForSessions(2));
  auto sessions = sensor.sessions();
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(0, std::memcmp(sessions[0].request.sensorId, id, sizeof id));
  EXPECT_EQ(0, std::memcmp(sessions[1].request.sensorId, id, sizeof id));
  EXPECT_TRUE(server.logHasLine("Get Corvane ID: " + sensor.address()));
  EXPECT_EQ(sessions[0].request.command, cvlm::CVRH_LoadDDoS);
  EXPECT_EQ(sessions[0].request.param1, 28);
  EXPECT_EQ(sessions[0].request.param2, 8);
  std::vector<unsigned char> block = sessions[0].allData();
  ASSERT_EQ(block.size(), 224u);
  for (int i = 0; i < 8; ++i) {
    const unsigned char* p = block.data() + 28 * i;
    EXPECT_EQ(formats::getInt32(p, 0), 0x00100001 + i);
    EXPECT_EQ(formats::getInt32(p, 4), 100);
    EXPECT_EQ(formats::getInt32(p, 8), 50);
    EXPECT_EQ(formats::getInt32(p, 12), 50);
    EXPECT_EQ(formats::getInt32(p, 16), 1);
    EXPECT_EQ(formats::getInt32(p, 20), 1289);
    EXPECT_EQ(formats::getInt32(p, 24), 0);
  }
  EXPECT_EQ(sessions[1].request.command, cvlm::CVRH_LoadRules);
  EXPECT_EQ(sessions[1].request.param1, 420);
  EXPECT_EQ(sessions[1].request.param2, 0);
  EXPECT_TRUE(sessions[1].allData().empty());
  for (const char* line :
       {"Dispatcher::uploadRule()", "# of picked Rules = 0", "# of picked DDoS Rules = 8",
        "# of picked Rules after extend = 0", "RuleTable::makeDDoSPolicy()",
        "Dispatcher::uploadRule::Number of picked rules = 0", "Dispatcher::uploadRule::send DDoS policies, nDDoS = 8",
        "Dispatcher::uploadRule::send non-DDoS policies, nRules = 0"}) {
    EXPECT_TRUE(server.logHasLine(line)) << line;
  }
}

TEST_F(RulePushTest, GroupsExpandSourceMajorInRelationOrder) {
  std::uint32_t a = sensor.addressValue();
  writeBook(cvlm::ADDRESS_BOOK,
            std::vector<cvlm::BAddress>{address("a1", 11), address("a2", 12), address("a3", 13), address("b1", 21),
                                        address("b2", 22)},
            a);
  writeBook(cvlm::GROUP_BOOK, std::vector<cvlm::BGroup>{group("inside", 3), group("outside", 2)}, a);
  writeBook(cvlm::GARELATION_BOOK,
            std::vector<cvlm::GA>{{"inside", "a2"}, {"outside", "b2"}, {"inside", "a1"}, {"outside", "b1"},
                                  {"inside", "a3"}},
            a);
  cvlm::BRule rule = groupRule(0x00200000);
  cvlm::BRule disabled = rule;
  disabled.flags &= static_cast<std::uint8_t>(~cvlm::kRuleEnabled);
  disabled.id = 0x00200001;
  EXPECT_EQ(push({disabled, rule}), 1);
  ASSERT_TRUE(sensor.waitForSessions(2));
  auto sessions = sensor.sessions();
  const std::uint8_t noId[cvlm::kSensorIdSize] = {};  // the sensor is not in ".cvdb"
  EXPECT_EQ(0, std::memcmp(sessions[0].request.sensorId, noId, sizeof noId));
  EXPECT_EQ(sessions[0].request.param2, 0);
  EXPECT_EQ(sessions[1].request.param2, 6);
  std::vector<cvlm::SensorRule> rules = sensorRules(sessions[1]);
  ASSERT_EQ(rules.size(), 6u);
  const std::int32_t expected[6][2] = {{12, 22}, {12, 21}, {11, 22}, {11, 21}, {13, 22}, {13, 21}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(rules[i].id, 0x00200000);
    EXPECT_EQ(rules[i].srcAddress1, expected[i][0]) << i;
    EXPECT_EQ(rules[i].srcAddress2, expected[i][0] + 1000) << i;
    EXPECT_EQ(rules[i].dstAddress1, expected[i][1]) << i;
    EXPECT_EQ(rules[i].dstAddress2, expected[i][1] + 1000) << i;
    EXPECT_EQ(rules[i].protocol, 6);
  }
  EXPECT_TRUE(server.logHasLine("# of picked Rules after extend = 6"));
}

TEST_F(RulePushTest, CountsTheBooksCannotFillAnswer12AndSendNothing) {
  std::uint32_t a = sensor.addressValue();
  writeBook(cvlm::ADDRESS_BOOK, std::vector<cvlm::BAddress>{address("a1", 11), address("b1", 21)}, a);
  // "a2" is missing from the Address book: its copy gets no source address.
  writeBook(cvlm::GARELATION_BOOK, std::vector<cvlm::GA>{{"inside", "a1"}, {"inside", "a2"}, {"outside", "b1"}}, a);
  const struct {
    std::int32_t inside;
    std::int32_t outside;
  } cases[] = {{3, 1}, {1, 1}, {2, 0}, {INT32_MAX, INT32_MAX}, {70000, 1}, {-2, 1}};
  for (const auto& c : cases) {
    writeBook(cvlm::GROUP_BOOK, std::vector<cvlm::BGroup>{group("inside", c.inside), group("outside", c.outside)}, a);
    EXPECT_EQ(push({groupRule(0x00200000)}), 12) << c.inside << " x " << c.outside;
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadRule::MRR_TYPE_Not_Enough_Data_Error"));
  EXPECT_TRUE(sensor.sessions().empty());

  writeBook(cvlm::GROUP_BOOK, std::vector<cvlm::BGroup>{group("inside", 2), group("outside", 1)}, a);
  EXPECT_EQ(push({groupRule(0x00200000)}), 1);
  ASSERT_TRUE(sensor.waitForSessions(2));
  std::vector<cvlm::SensorRule> rules = sensorRules(sensor.sessions()[1]);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].srcAddress1, 11);
  EXPECT_EQ(rules[1].srcAddress1, 0);
  EXPECT_EQ(rules[1].srcAddress2, 0);
  EXPECT_EQ(rules[1].dstAddress1, 21);
}

TEST_F(RulePushTest, EmptyRuleBookWritesThePoliciesButAnswers12) {
  EXPECT_EQ(push({}), 12);
  std::string book;
  platform::readWholeFile(cvlm::bookFileName(cvlm::RULE_BOOK, sensor.addressValue()), book);
  EXPECT_EQ(book.size(), 8 * sizeof(cvlm::BRule));
  EXPECT_TRUE(sensor.sessions().empty());
}

TEST_F(RulePushTest, SensorLinkFailuresAnswerTheirCodesWithOneResult) {
  std::vector<cvlm::BRule> policies = builtInPolicies();
  // Nothing listens on 127.0.0.1 at the sensor port.
  EXPECT_EQ(push(policies, platform::parseAddress("127.0.0.1")), 14);
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadRule::MRR_TYPE_ConnectCV_Error"));

  const struct {
    SensorScript first;
    std::optional<SensorScript> second;
    std::int32_t expected;
    std::size_t sessions;
    const char* line;
  } cases[] = {
      {SensorScript::refuse(17), std::nullopt, 15, 1, "Dispatcher::uploadRule::MRR_TYPE_WriteToCV_Error"},
      {SensorScript::accept(), SensorScript::refuse(0), 15, 2, "Dispatcher::uploadRule::MRR_TYPE_WriteToCV_Error"},
      {SensorScript::closeAfterRequest(), std::nullopt, 16, 1, "Dispatcher::uploadRule::MRR_TYPE_ReadFromCV_Error"},
      {SensorScript::accept().cutReplyAt(10), std::nullopt, 16, 1,
       "Dispatcher::uploadRule::MRR_TYPE_ReadFromCV_Error"},
      {SensorScript::accept(), SensorScript::closeAfterRequest(), 16, 2,
       "Dispatcher::uploadRule::MRR_TYPE_ReadFromCV_Error"},
  };
  for (const auto& c : cases) {
    FakeSensor fresh;
    ASSERT_TRUE(fresh.listening());
    fresh.next(c.first);
    if (c.second) fresh.next(*c.second);
    EXPECT_EQ(push(policies, fresh.addressValue()), c.expected) << c.line;
    EXPECT_TRUE(fresh.waitForSessions(c.sessions));
    EXPECT_EQ(fresh.sessions().size(), c.sessions) << c.line;
    EXPECT_TRUE(server.logHasLine(c.line));
  }
}

}  // namespace
