// Requests 11 and 12 and hello's mail fields against an in-process server:
// defaults, replacing and clearing entries, short and refused uploads, failed
// saves, and hellos racing settings changes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "server/email_settings.h"
#include "server/protocol.h"
#include "server/tests/support/settings_file.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm::MgrRequestResult;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

std::string readFile(const std::string& name) { return cvlm_testing::fileBytes(name); }

// The settings record of ".cvlmrc", decoded independently of the store.
bool decodeSettingsFile(cvlm::CvLmRecord& out) { return cvlm_testing::decodeSettingsFile(readFile(".cvlmrc"), out); }

struct Settings {
  std::int32_t m;
  std::string server, sender, user;
  std::vector<int> options;
  std::string entries;  // m * 64 bytes
};

std::string mailEntries(int m, const std::string& tag) {
  std::string all;
  for (int i = 0; i < m; ++i) {
    std::string entry(64, '\0');
    std::string text = tag + "-" + std::to_string(i) + "@example.org";
    entry.replace(0, text.size(), text);
    all += entry;
  }
  return all;
}

Settings makeSettings(int m, const std::string& tag) {
  return {m, "smtp." + tag + ".org", "ids@" + tag + ".org", "op-" + tag, {0, 1, 0, 1}, mailEntries(m, tag)};
}

cvlm::RqH setHeader(const Settings& s) {
  std::array<std::uint8_t, 4> options;
  for (int i = 0; i < 4; ++i) options[i] = static_cast<std::uint8_t>(s.options[i]);
  return cvlm_testing::mailSettingsHeader(s.m, s.server, s.sender, s.user, options);
}

// Request 12 with the header's count and `sent` of the entries, each its own unit.
std::int32_t setEMailInfo(std::uint16_t port, const Settings& s, int sent = -1) {
  TestConsole console(port);
  if (!console.sendHeader(setHeader(s))) return -100;
  if (sent < 0) sent = s.m;
  for (int i = 0; i < sent; ++i) console.sendUnit(std::string_view(s.entries).substr(i * 64, 64));
  if (sent < s.m) console.halfClose();
  auto result = console.receiveResult();
  if (!result) return -101;
  return resultType(*result);
}

// The mail block (m, server, sender, user, options) at offset of a result.
void expectMailBlock(const MgrRequestResult& r, std::size_t at, const Settings& s) {
  EXPECT_EQ(formats::getInt32(&r, at), s.m);
  EXPECT_EQ(formats::getText(&r, at + 4, 32), s.server);
  EXPECT_EQ(formats::getText(&r, at + 36, 32), s.sender);
  EXPECT_EQ(formats::getText(&r, at + 68, 32), s.user);
  const unsigned char* options = reinterpret_cast<const unsigned char*>(&r) + at + 100;
  EXPECT_EQ(std::vector<int>(options, options + 4), s.options);
}

// Request 11: the result and the unit of m entries that follows it.
Settings getEMailInfo(std::uint16_t port) {
  TestConsole console(port);
  auto result = console.request(cvlm::RQ_GetEMailInfo);
  EXPECT_TRUE(result);
  if (!result) return {};
  EXPECT_EQ(resultType(*result), 1);
  const MgrRequestResult& r = *result;
  const unsigned char* options = reinterpret_cast<const unsigned char*>(&r) + 108;
  Settings s{formats::getInt32(&r, 8),
             formats::getText(&r, 12, 32),
             formats::getText(&r, 44, 32),
             formats::getText(&r, 76, 32),
             std::vector<int>(options, options + 4),
             ""};
  if (s.m > 0) s.entries = console.receiveUnit(static_cast<std::size_t>(s.m) * 64).value_or("");
  EXPECT_TRUE(console.closedByServer());  // nothing after the unit
  return s;
}

TEST(EmailRequestsTest, FreshServerAnswersBuiltInSettingsAndCreatesTheFile) {
  TestServer server;
  Settings s = getEMailInfo(server.port());
  EXPECT_EQ(s.m, 0);
  EXPECT_EQ(s.server, cvlm::kDefaultMailServer);
  EXPECT_EQ(s.sender, cvlm::kDefaultMailSender);
  EXPECT_EQ(s.user, "user");
  EXPECT_EQ(s.options, (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(s.entries, "");
  cvlm::CvLmRecord onDisk{};
  ASSERT_TRUE(decodeSettingsFile(onDisk));
  EXPECT_STREQ(onDisk.subject, "Message from Corvane Lumarel");
  EXPECT_TRUE(server.logHasLine("Dispatcher::getEMailInfo()"));
}

TEST(EmailRequestsTest, SetThenGetReturnsTheSameEntriesInOneUnit) {
  TestServer server;
  getEMailInfo(server.port());
  cvlm::CvLmRecord before{};
  ASSERT_TRUE(decodeSettingsFile(before));

  Settings sent = makeSettings(3, "three");
  ASSERT_EQ(setEMailInfo(server.port(), sent), 1);
  EXPECT_TRUE(server.logHasLine("Dispatcher::setEMailInfo()"));
  std::string file = readFile(".cvlmrc");

  Settings got = getEMailInfo(server.port());
  EXPECT_EQ(got.m, 3);
  EXPECT_EQ(got.server, sent.server);
  EXPECT_EQ(got.sender, sent.sender);
  EXPECT_EQ(got.user, sent.user);
  EXPECT_EQ(got.options, sent.options);
  EXPECT_EQ(got.entries, sent.entries);
  EXPECT_EQ(readFile(".cvlmrc"), file);  // a request 11 never rewrites the file

  cvlm::CvLmRecord after{};
  ASSERT_TRUE(decodeSettingsFile(after));
  EXPECT_EQ(std::memcmp(after.owner, before.owner, sizeof after.owner), 0);
  EXPECT_EQ(std::memcmp(after.subject, before.subject, sizeof after.subject), 0);
  const cvlm::MailEntry zero{};
  for (int i = 3; i < 64; ++i) EXPECT_EQ(std::memcmp(&after.entries[i], &zero, 64), 0) << i;
}

TEST(EmailRequestsTest, ZeroCountClearsAndShortUploadChangesNothing) {
  TestServer server;
  ASSERT_EQ(setEMailInfo(server.port(), makeSettings(5, "five")), 1);
  Settings cleared = makeSettings(0, "none");
  ASSERT_EQ(setEMailInfo(server.port(), cleared), 1);
  Settings got = getEMailInfo(server.port());
  EXPECT_EQ(got.m, 0);
  EXPECT_EQ(got.server, cleared.server);
  cvlm::CvLmRecord onDisk{};
  ASSERT_TRUE(decodeSettingsFile(onDisk));
  const cvlm::MailEntry zero{};
  for (const cvlm::MailEntry& e : onDisk.entries) EXPECT_EQ(std::memcmp(&e, &zero, 64), 0);

  std::string file = readFile(".cvlmrc");
  EXPECT_EQ(setEMailInfo(server.port(), makeSettings(3, "short"), 2), 12);
  EXPECT_TRUE(server.logHasLine("Dispatcher::setEMailInfo::MRR_TYPE_Not_Enough_Data_Error"));
  EXPECT_EQ(readFile(".cvlmrc"), file);
}

TEST(EmailRequestsTest, CountOutsideRangeIsRefusedBeforeAnyEntryIsRead) {
  TestServer server;
  ASSERT_EQ(setEMailInfo(server.port(), makeSettings(2, "kept")), 1);
  std::string file = readFile(".cvlmrc");
  for (std::int32_t m : {65, 1000, -1}) {
    SCOPED_TRACE(m);
    Settings bad = makeSettings(0, "bad");
    bad.m = m;
    // No entries are sent: the answer must come without waiting for them.
    EXPECT_EQ(setEMailInfo(server.port(), bad, 0), 0);
    EXPECT_TRUE(
        server.logHasLine("Dispatcher::setEMailInfo::MRR_TYPE_Unknow_Error (mail count " + std::to_string(m) + ")"));
    EXPECT_EQ(readFile(".cvlmrc"), file);
  }
  EXPECT_EQ(getEMailInfo(server.port()).entries, mailEntries(2, "kept"));
}

TEST(EmailRequestsTest, FailedSaveAnswersOpenFileErrorAndKeepsTheFile) {
  TestServer server;
  getEMailInfo(server.port());
  std::string file = readFile(".cvlmrc");
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".cvlmrc", 1);
  EXPECT_EQ(setEMailInfo(server.port(), makeSettings(1, "lost")), 13);
  EXPECT_TRUE(server.logHasLine("Dispatcher::setEMailInfo::MRR_TYPE_Openfile_Error"));
  EXPECT_EQ(readFile(".cvlmrc"), file);
  EXPECT_EQ(getEMailInfo(server.port()).m, 0);
}

TEST(EmailRequestsTest, HelloCarriesMailFieldsAndEndsItsTrailerWithTheEntries) {
  TestServer server;
  Settings s = makeSettings(2, "hello");
  ASSERT_EQ(setEMailInfo(server.port(), s), 1);
  std::string file = readFile(".cvlmrc");

  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);
  ASSERT_EQ(resultType(*result), 1);
  expectMailBlock(*result, 148, s);
  std::int32_t n = formats::getInt32(&*result, 144);
  std::int32_t length = formats::getInt32(&*result, 252);
  EXPECT_EQ(length, 172 * n + 64 * 2);
  auto trailer = console.receiveUnit(static_cast<std::size_t>(length));
  ASSERT_TRUE(trailer);
  EXPECT_EQ(trailer->substr(trailer->size() - 128), s.entries);
  EXPECT_TRUE(console.closedByServer());
  EXPECT_EQ(readFile(".cvlmrc"), file);  // a hello never rewrites the file
}

TEST(EmailRequestsTest, HellosRacingSettingsChangesNeverUndoThem) {
  TestServer server;
  for (int round = 0; round < 50; ++round) {
    Settings s = makeSettings(round % 4, "round" + std::to_string(round));
    std::int32_t answer = -1;
    std::thread change([&] { answer = setEMailInfo(server.port(), s); });
    std::thread hello([&] {
      TestConsole console(server.port());
      auto result = console.request(cvlm::RQ_Hello);
      if (result) console.receiveUnit(static_cast<std::size_t>(formats::getInt32(&*result, 252)));
    });
    change.join();
    hello.join();
    ASSERT_EQ(answer, 1) << round;
    cvlm::CvLmRecord onDisk{};
    ASSERT_TRUE(decodeSettingsFile(onDisk)) << round;
    ASSERT_EQ(formats::getInt32(onDisk.mailCount, 0), s.m) << round;
    ASSERT_EQ(std::string(onDisk.mailServer), s.server) << round;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(onDisk.entries), s.entries.size()), s.entries) << round;
  }
}

}  // namespace
