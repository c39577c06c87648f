// Sensor host requests against an in-process server: add (with a fake
// sensor), delete with its books, list, modify with its renames, and the host
// records of hello.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform/net.h"
#include "platform_testing/child_process.h"
#include "server/cv_host.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm::ObjCvHost;
using cvlm_testing::FakeSensor;
using cvlm_testing::SensorScript;
using cvlm_testing::makeHeader;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

ObjCvHost makeHost(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, const std::string& community) {
  ObjCvHost host{};
  host.address[0] = a;
  host.address[1] = b;
  host.address[2] = c;
  host.address[3] = d;
  for (int i = 0; i < 12; ++i) host.sensorId[i] = static_cast<std::uint8_t>(0xA0 + i);
  formats::putText(host.name, 0, 32, "sensor " + std::to_string(d));
  formats::putText(host.community, 0, 32, community);
  host.number1 = d;
  host.state = 1;
  return host;
}

std::string bytesOf(const std::vector<ObjCvHost>& hosts) {
  return std::string(reinterpret_cast<const char*>(hosts.data()), hosts.size() * sizeof(ObjCvHost));
}

void writeFile(const std::string& name, const std::string& content) {
  ASSERT_TRUE(platform::writeFileAtomic(name, content));
}

std::string readFile(const std::string& name) {
  std::string content;
  platform::readWholeFile(name, content);
  return content;
}

// The network-order value of a.b.c.d.
std::uint32_t addressOf(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  const std::uint8_t bytes[4] = {a, b, c, d};
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

cvlm::RqH deleteHeader(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return cvlm_testing::sensorHeader(cvlm::RQ_DelCvHost, addressOf(a, b, c, d));
}

const char* const kBookPrefixes[] = {"Service", "Address", "Group", "Schedule", "Rule", "GARelation", "WHITLIST"};

void writeBooks(const std::string& address, const std::string& content) {
  for (const char* prefix : kBookPrefixes) writeFile(std::string(prefix) + "." + address + ".bk", content);
}

class HostRequestTest : public ::testing::Test {
 protected:
  std::optional<cvlm::MgrRequestResult> request(const cvlm::RqH& header) {
    TestConsole console(server.port());
    return console.request(header);
  }
  TestServer server;
};

// An add request for address "a.b.c.d" with every field set.
cvlm::RqH addHeader(const std::string& address) {
  cvlm_testing::HostRequest host;
  host.name = "edge sensor";
  host.community = "public";
  host.text1 = "rack 4";
  host.text2 = std::string(40, 'x');  // longer than its field
  host.number1 = 1234;
  host.number2 = -5;
  return cvlm_testing::addHostHeader(platform::parseAddress(address), host);
}

constexpr std::uint8_t kSensorId[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xFE, 0xFF};
// Nothing listens on the sensor port there.
constexpr const char* kNoSensor = "127.0.1.77";

TEST_F(HostRequestTest, AddAsksTheSensorForItsIdAndStoresTheHost) {
  FakeSensor sensor;
  ASSERT_TRUE(sensor.listening());
  sensor.on(cvlm::CVRH_GetCvId, SensorScript::accept().withId(kSensorId));
  auto result = request(addHeader(sensor.address()));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);

  ASSERT_TRUE(sensor.waitForSessions(1));
  auto sessions = sensor.sessions();
  ASSERT_EQ(sessions.size(), 1u);
  EXPECT_EQ(sessions[0].request.command, 17);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sessions[0].request.sensorId), 12), std::string(12, '\0'));
  EXPECT_EQ(sessions[0].request.param1, 0);
  EXPECT_EQ(sessions[0].request.param2, 0);

  std::string bytes = readFile(".cvdb");
  ASSERT_EQ(bytes.size(), 172u);
  std::uint32_t address = sensor.addressValue();
  EXPECT_EQ(bytes.substr(0, 4), std::string(reinterpret_cast<const char*>(&address), 4));
  EXPECT_EQ(bytes.substr(4, 12), std::string(12, '\0'));
  EXPECT_EQ(bytes.substr(16, 12), std::string(reinterpret_cast<const char*>(kSensorId), 12));
  EXPECT_EQ(bytes.substr(28, 32), "edge sensor" + std::string(21, '\0'));
  EXPECT_EQ(bytes.substr(60, 32), "public" + std::string(26, '\0'));
  EXPECT_EQ(bytes.substr(92, 32), "rack 4" + std::string(26, '\0'));
  EXPECT_EQ(bytes.substr(124, 32), std::string(31, 'x') + '\0');
  EXPECT_EQ(formats::getInt32(bytes.data(), 156), 1234);
  EXPECT_EQ(formats::getInt32(bytes.data(), 160), -5);
  EXPECT_EQ(formats::getInt32(bytes.data(), 164), 0);
  EXPECT_EQ(bytes.substr(168, 4), std::string("\x01\0\0\0", 4));
  EXPECT_TRUE(server.logHasLine("Dispatcher::addCvHost() : " + sensor.address()));
  EXPECT_TRUE(server.logHasLine("Add Corvane: " + sensor.address()));
}

TEST_F(HostRequestTest, AddRefusesAListedAddressAndAFullDatabaseWithoutContactingTheSensor) {
  FakeSensor sensor;
  ASSERT_TRUE(sensor.listening());
  std::uint32_t address = sensor.addressValue();
  const auto* a = reinterpret_cast<const std::uint8_t*>(&address);
  const std::string listed = bytesOf({makeHost(10, 0, 0, 1, "c"), makeHost(a[0], a[1], a[2], a[3], "c")});
  writeFile(".cvdb", listed);
  auto result = request(addHeader(sensor.address()));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 7);
  EXPECT_TRUE(server.logHasLine("Dispatcher::addCvHost::MRR_TYPE_CvExist_Error"));
  EXPECT_EQ(readFile(".cvdb"), listed);

  std::vector<ObjCvHost> full;
  for (int i = 0; i < 32; ++i) full.push_back(makeHost(10, 0, 2, static_cast<std::uint8_t>(i), "c"));
  writeFile(".cvdb", bytesOf(full));
  result = request(addHeader(sensor.address()));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 6);
  EXPECT_TRUE(server.logHasLine("Dispatcher::addCvHost::MRR_TYPE_TooManyCv_Error"));
  EXPECT_EQ(readFile(".cvdb"), bytesOf(full));
  EXPECT_TRUE(sensor.sessions().empty());
}

TEST_F(HostRequestTest, AddWithThirtyOneHostsListedMakesThirtyTwo) {
  FakeSensor sensor;
  ASSERT_TRUE(sensor.listening());
  std::vector<ObjCvHost> hosts;
  for (int i = 0; i < 31; ++i) hosts.push_back(makeHost(10, 0, 2, static_cast<std::uint8_t>(i), "c"));
  writeFile(".cvdb", bytesOf(hosts));
  auto result = request(addHeader(sensor.address()));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(readFile(".cvdb").size(), 32u * 172);
}

TEST_F(HostRequestTest, AddOfAnUnreachableSensorAnswers8) {
  auto result = request(addHeader(kNoSensor));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 8);
  EXPECT_TRUE(server.logHasLine("Dispatcher::addCvHost::MRR_TYPE_CvNotFound_Error"));
  EXPECT_EQ(readFile(".cvdb"), "");
}

TEST_F(HostRequestTest, AddThatTheSensorRefusesOrClosesStoresNothing) {
  FakeSensor sensor;
  ASSERT_TRUE(sensor.listening());
  const std::string listed = bytesOf({makeHost(10, 0, 0, 1, "c")});
  writeFile(".cvdb", listed);
  for (SensorScript script : {SensorScript::refuse(17), SensorScript::closeAfterRequest()}) {
    sensor.next(script);
    auto result = request(addHeader(sensor.address()));
    ASSERT_TRUE(result);
    EXPECT_EQ(resultType(*result), 0);
    EXPECT_EQ(readFile(".cvdb"), listed);
  }
  EXPECT_TRUE(server.logHasLine("dispatcher get exception!!"));
  EXPECT_EQ(server.logText().find("Add Corvane"), std::string::npos);
}

TEST_F(HostRequestTest, RequestsWhileAnAddWaitsOnItsSensorDoNotUndoIt) {
  FakeSensor sensor;
  ASSERT_TRUE(sensor.listening());
  writeFile(".cvdb", bytesOf({makeHost(10, 0, 0, 1, "c"), makeHost(10, 0, 0, 2, "c")}));
  sensor.next(SensorScript::accept().withId(kSensorId).keyAnswer(SensorScript::Key::SendInTwoPieces, 1000));
  std::optional<cvlm::MgrRequestResult> added;
  std::thread adder([&] { added = request(addHeader(sensor.address())); });
  ASSERT_TRUE(platform_testing::eventually([&] { return server.logText().find("Dispatcher::addCvHost()") != std::string::npos; }));

  TestConsole lister(server.port());
  auto listed = lister.request(cvlm::RQ_ListCvHost);
  ASSERT_TRUE(listed);
  EXPECT_TRUE(lister.receiveUnit(static_cast<std::size_t>(formats::getInt32(&*listed, 8)) * 172));
  auto deleted = request(deleteHeader(10, 0, 0, 1));
  ASSERT_TRUE(deleted);
  EXPECT_EQ(resultType(*deleted), 1);

  adder.join();
  ASSERT_TRUE(added);
  EXPECT_EQ(resultType(*added), 1);
  std::string bytes = readFile(".cvdb");
  ASSERT_EQ(bytes.size(), 2u * 172);
  EXPECT_EQ(bytes.substr(0, 172), bytesOf({makeHost(10, 0, 0, 2, "c")}));
  EXPECT_EQ(bytes.substr(188, 12), std::string(reinterpret_cast<const char*>(kSensorId), 12));
}

TEST_F(HostRequestTest, ListSendsTheCountAndOneUnitEqualToCvdb) {
  for (int n : {0, 3, 40}) {
    std::vector<ObjCvHost> hosts;
    for (int i = 0; i < n; ++i) hosts.push_back(makeHost(10, 0, 1, static_cast<std::uint8_t>(i + 1), "c"));
    writeFile(".cvdb", bytesOf(hosts) + "piece");
    TestConsole console(server.port());
    auto result = console.request(cvlm::RQ_ListCvHost);
    ASSERT_TRUE(result) << n;
    EXPECT_EQ(resultType(*result), 1);
    EXPECT_EQ(formats::getInt32(&*result, 8), n);
    auto unit = console.receiveUnit(n * 172);
    ASSERT_TRUE(unit) << n;
    EXPECT_EQ(*unit, bytesOf(hosts));
    EXPECT_TRUE(console.closedByServer());
    // Listing never rewrites the file (the partial record stays).
    EXPECT_EQ(readFile(".cvdb"), bytesOf(hosts) + "piece");
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::listCvHost()"));
}

TEST_F(HostRequestTest, ListOfAnUnreadableDatabaseIsAnErrorNotAnEmptyList) {
  ASSERT_EQ(::mkdir(".cvdb", 0755), 0);
  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_ListCvHost);
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 0);
  EXPECT_TRUE(console.closedByServer());
}

TEST_F(HostRequestTest, DeleteRemovesTheSixBooksInOrderAndKeepsTheWhiteList) {
  writeFile(".cvdb", bytesOf({makeHost(10, 0, 0, 4, "c"), makeHost(10, 0, 0, 5, "c"), makeHost(10, 0, 0, 6, "c")}));
  writeBooks("10.0.0.5", "book");
  ::unlink("Group.10.0.0.5.bk");
  auto result = request(deleteHeader(10, 0, 0, 5));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(readFile(".cvdb"), bytesOf({makeHost(10, 0, 0, 4, "c"), makeHost(10, 0, 0, 6, "c")}));
  for (const char* prefix : kBookPrefixes)
    EXPECT_EQ(platform::fileExists(std::string(prefix) + ".10.0.0.5.bk"), std::string(prefix) == "WHITLIST")
        << prefix;
  EXPECT_TRUE(server.logHasLine("Dispatcher::delCvHost(): 10.0.0.5"));
  EXPECT_TRUE(server.logHasLine("Del Corvane: 10.0.0.5"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::delCvHost::remove Group.10.0.0.5.bk error!"));
  EXPECT_EQ(server.logText().find("remove Address"), std::string::npos);
}

TEST_F(HostRequestTest, DeleteOfAnUnlistedAddressStillRemovesItsBooksAndAnswers8) {
  writeFile(".cvdb", bytesOf({makeHost(10, 0, 0, 4, "c")}));
  writeFile("Rule.192.168.1.10.bk", "rules");
  auto result = request(deleteHeader(192, 168, 1, 10));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 8);
  EXPECT_FALSE(platform::fileExists("Rule.192.168.1.10.bk"));
  EXPECT_EQ(readFile(".cvdb"), bytesOf({makeHost(10, 0, 0, 4, "c")}));
  ASSERT_TRUE(server.logHasLine("Dispatcher::delCvHost::MRR_TYPE_CvNotFound_Error"));
  std::string log = server.logText();
  std::size_t last = 0;
  for (const char* book : {"Address", "GARelation", "Group", "Schedule", "Service"}) {
    std::size_t at = log.find(std::string("Dispatcher::delCvHost::remove ") + book + ".192.168.1.10.bk error!\n");
    ASSERT_NE(at, std::string::npos) << book;
    EXPECT_GT(at, last) << book;
    last = at;
  }
}

TEST_F(HostRequestTest, DeleteKeepsTheBooksOfAHostInAnUnreadableDatabase) {
  ASSERT_EQ(::mkdir(".cvdb", 0755), 0);
  writeBooks("10.0.0.5", "book");
  auto result = request(deleteHeader(10, 0, 0, 5));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 0);
  EXPECT_TRUE(platform::fileExists("Rule.10.0.0.5.bk"));
}

cvlm::RqH modifyHeader(std::uint8_t oldLast, std::uint8_t newLast, const std::string& community) {
  cvlm_testing::HostRequest host;
  host.name = "renamed";
  host.community = "newcommunity";
  host.text1 = "first";
  host.text2 = "second";
  host.number1 = 11;
  host.number2 = -12;
  host.number3 = 13;
  host.state = 7;
  return cvlm_testing::modifyHostHeader(addressOf(10, 0, 0, oldLast), addressOf(10, 0, 0, newLast), community, host);
}

TEST_F(HostRequestTest, ModifyWithTheRightCommunityChangesTheEntryAndRenamesItsBooks) {
  writeFile(".cvdb", bytesOf({makeHost(10, 0, 0, 4, "c"), makeHost(10, 0, 0, 5, "secret")}));
  writeBooks("10.0.0.5", "old");
  writeFile("Rule.10.0.0.6.bk", "already there");
  auto result = request(modifyHeader(5, 6, "secret"));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);

  ObjCvHost changed = makeHost(10, 0, 0, 6, "newcommunity");
  formats::putText(changed.name, 0, 32, "renamed");
  formats::putText(changed.text1, 0, 32, "first");
  formats::putText(changed.text2, 0, 32, "second");
  changed.number1 = 11;
  changed.number2 = -12;
  changed.number3 = 13;
  changed.state = 7;
  EXPECT_EQ(readFile(".cvdb"), bytesOf({makeHost(10, 0, 0, 4, "c"), changed}));
  for (const char* prefix : {"Service", "Address", "Group", "Schedule", "GARelation"}) {
    EXPECT_FALSE(platform::fileExists(std::string(prefix) + ".10.0.0.5.bk")) << prefix;
    EXPECT_EQ(readFile(std::string(prefix) + ".10.0.0.6.bk"), "old") << prefix;
  }
  // An existing book under the new name stays; the old one is not lost.
  EXPECT_EQ(readFile("Rule.10.0.0.6.bk"), "already there");
  EXPECT_EQ(readFile("Rule.10.0.0.5.bk"), "old");
  EXPECT_EQ(readFile("WHITLIST.10.0.0.5.bk"), "old");
  EXPECT_FALSE(platform::fileExists("WHITLIST.10.0.0.6.bk"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::modifyCvHost() : 10.0.0.5"));
  EXPECT_TRUE(server.logHasLine("Modify Corvane: 10.0.0.5"));
}

TEST_F(HostRequestTest, ModifyThatFailsLeavesTheDatabaseAndBooksAsTheyWere) {
  const std::string start = bytesOf({makeHost(10, 0, 0, 4, "c"), makeHost(10, 0, 0, 5, "secret")});
  const struct {
    std::uint8_t oldLast, newLast;
    const char* community;
    int type;
    const char* line;
  } cases[] = {
      {5, 6, "Secret", 9, "Dispatcher::modifyCvHost::MRR_TYPE_Community_Error"},
      {9, 6, "secret", 8, "Dispatcher::modifyCvHost::MRR_TYPE_CvNotFound_Error"},
      {5, 4, "secret", 0, "Dispatcher::modifyCvHost::MRR_TYPE_Unknow_Error"},
  };
  for (const auto& c : cases) {
    writeFile(".cvdb", start);
    writeBooks("10.0.0.5", "old");
    auto result = request(modifyHeader(c.oldLast, c.newLast, c.community));
    ASSERT_TRUE(result) << c.line;
    EXPECT_EQ(resultType(*result), c.type) << c.line;
    EXPECT_EQ(readFile(".cvdb"), start) << c.line;
    EXPECT_EQ(readFile("Service.10.0.0.5.bk"), "old") << c.line;
    EXPECT_TRUE(server.logHasLine(c.line));
  }
  EXPECT_FALSE(platform::fileExists("Service.10.0.0.4.bk"));
}

TEST_F(HostRequestTest, ModifyKeepingTheAddressRenamesNothing) {
  writeFile(".cvdb", bytesOf({makeHost(10, 0, 0, 5, "secret")}));
  writeBooks("10.0.0.5", "old");
  auto result = request(modifyHeader(5, 5, "secret"));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(readFile("Rule.10.0.0.5.bk"), "old");
  std::string bytes = readFile(".cvdb");
  ASSERT_EQ(bytes.size(), 172u);
  EXPECT_EQ(formats::getText(bytes.data(), 28, 32), "renamed");
  EXPECT_EQ(bytes[3], 5);
}

TEST_F(HostRequestTest, HelloReportsTheHostsAndSendsTheirRecordsInItsTrailer) {
  const std::string hosts = bytesOf({makeHost(10, 0, 0, 4, "c"), makeHost(10, 0, 0, 5, "c")});
  writeFile(".cvdb", hosts);
  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(formats::getInt32(&*result, 144), 2);
  std::int32_t length = formats::getInt32(&*result, 252);
  ASSERT_GE(length, 344);
  auto trailer = console.receiveUnit(static_cast<std::size_t>(length));
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->substr(0, 344), hosts);
  EXPECT_EQ(readFile(".cvdb"), hosts);
}

}  // namespace
