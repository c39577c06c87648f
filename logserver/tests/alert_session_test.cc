// Sessions that mail their alert batches: a refused or silent mail server
// leaves the session storing the next records; a missing mail file ends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "logserver/mail_alert.h"
#include "logserver/tests/support/fake_sensor.h"
#include "logserver/tests/support/mail_files.h"
#include "logserver/tests/support/mariadb_server.h"
#include "logserver/tests/support/running_listener.h"
#include "logserver/tests/support/smtp_peer.h"
#include "platform/files.h"
#include "platform_testing/temp_dir.h"

namespace {

using namespace halvern_testing;
using platform_testing::eventually;

const halvern::Ipv4Address kSensor = address(10, 1, 2, 3);
constexpr std::int32_t k20030225_082336 = 1046161416;

std::string alertBatch(const std::vector<halvern::AlertRecord>& alerts) {
  std::string bytes = word(halvern::kKindAlertBatch) + word(static_cast<std::uint32_t>(alerts.size()));
  for (const halvern::AlertRecord& a : alerts) bytes += encode(a);
  return bytes;
}

std::string attackItem() {
  halvern::AttackLogRecord attack{0x00100001, address(192, 168, 1, 5), kSensor, 1, k20030225_082336,
                                  k20030225_082336, 1, 1};
  return logItem(encode(attack));
}

// Rows of the attack table of 2003-02-25; -1 while it does not exist.
int storedAttacks() {
  std::vector<Row> tables = mariaDb().query(
      "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema='IDS' AND "
      "table_name='t01000100200320030225'");
  if (tables.empty() || tables[0][0] != "1") return -1;
  std::vector<Row> rows = mariaDb().query("SELECT COUNT(*) FROM IDS.t01000100200320030225");
  return rows.empty() ? -1 : std::stoi(*rows[0][0]);
}

class AlertSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mariaDb().resetDatabase();
    std::filesystem::create_directory(dir.file("data"));
    writeLogIni(dir.path(), dir.file("data"));
    writeFile(dir.file("data/maillist"), mailListBytes(2, {"127.0.0.2", "ops@example.com", "sec@example.com"}));
    writeFile(dir.file("data/Rule.10.1.2.3.bk"), ruleRecord(7, "Port Scan"));
  }
  std::unique_ptr<RunningListener> startListener(int replyTimeoutMs = 5000) {
    halvern::MailerSettings settings;
    settings.smtpPort = peer.port();
    settings.connectTimeoutMs = 2000;
    settings.replyTimeoutMs = replyTimeoutMs;
    sink = std::make_unique<halvern::MailAlertSink>(settings);
    auto listener = std::make_unique<RunningListener>(loopbackConfig(sink.get()));
    EXPECT_NE(listener->port(), 0);
    return listener;
  }

  platform_testing::TempDir dir;
  platform_testing::ScopedCwd cwd{dir.path()};
  CapturedOutput output;
  ScriptedSmtpPeer peer;
  std::unique_ptr<halvern::MailAlertSink> sink;
};

TEST_F(AlertSessionTest, MailsEachBatchAndARefusedRecipientLeavesTheSessionStoring) {
  peer.script("RCPT", 4, PeerStep::reply("550 no such user\r\n"));  // the second batch's second RCPT
  auto server = startListener();
  FakeSensor sensor(server->port());
  ASSERT_TRUE(sensor.greet(kSensor));
  halvern::AlertRecord found{7, address(192, 168, 1, 5), kSensor, k20030225_082336, k20030225_082336 + 25, 3};
  halvern::AlertRecord deleted{99, address(1, 2, 3, 4), address(5, 6, 7, 8), k20030225_082336, k20030225_082336, 1};
  ASSERT_TRUE(sensor.send(alertBatch({found, deleted})));
  ASSERT_TRUE(eventually([&] { return peer.connections() == 1 && peer.waitAllClosed(0); }));
  EXPECT_EQ(peer.mailText(),
            "Subject: IDS(10.1.2.3) Mail Alert: Attack Occured \r\n"
            "\nRecorded attack information from IDS (10.1.2.3): \n\n\r\n"
            "\n\nAttack Name:   Port Scan\nSource IP:   192.168.1.5\nDestination IP:   10.1.2.3\n"
            "Begin Time:   2003/2/25 8:23:36\nEnd Time:   2003/2/25 8:24:1\nCount:   3\r\n"
            "\n\nAttack Name:   Deleted( 99 )\nSource IP:   1.2.3.4\nDestination IP:   5.6.7.8\n"
            "Begin Time:   2003/2/25 8:23:36\nEnd Time:   2003/2/25 8:23:36\nCount:   1\r\n");

  ASSERT_TRUE(sensor.send(alertBatch({found}) + attackItem()));
  ASSERT_TRUE(eventually([] { return storedAttacks() == 1; }));
  EXPECT_TRUE(peer.waitAllClosed(5000));
  std::vector<std::string> commands = peer.commands();
  ASSERT_EQ(commands.size(), 6u + 3u);  // the whole first dialogue, then MAIL, RCPT, RCPT
  EXPECT_EQ(commands.back(), "RCPT TO:<sec@example.com>");
  EXPECT_NE(output.out().find("MailAlert: SMTP RCPT failed: 550 no such user\n"), std::string::npos);
}

TEST_F(AlertSessionTest, SilentMailServerHoldsTheSessionOnlyUntilTheReplyTimeOut) {
  peer.setGreeting(PeerStep::silent());
  auto server = startListener(300);
  FakeSensor sensor(server->port());
  ASSERT_TRUE(sensor.greet(kSensor));
  ASSERT_TRUE(sensor.send(alertBatch({}) + attackItem()));
  ASSERT_TRUE(eventually([] { return storedAttacks() == 1; }));
  EXPECT_NE(output.out().find("MailAlert: SMTP greeting failed: no reply (time-out)\n"), std::string::npos);
}

TEST_F(AlertSessionTest, MissingMailFileEndsTheSessionAfterTheBatchWithoutMail) {
  for (const char* missing : {"log.ini", "data/maillist", "data/Rule.10.1.2.3.bk"}) {
    SCOPED_TRACE(missing);
    mariaDb().resetDatabase();
    std::string saved;
    ASSERT_TRUE(platform::readWholeFile(dir.file(missing), saved));
    std::filesystem::remove(dir.file(missing));
    {
      auto server = startListener();
      FakeSensor sensor(server->port());
      ASSERT_TRUE(sensor.greet(kSensor));
      ASSERT_TRUE(sensor.send(alertBatch({}) + attackItem()));
      EXPECT_TRUE(sensor.closedByServer());
      EXPECT_TRUE(server->listener().waitSessionsEnded(5000));
    }
    EXPECT_EQ(storedAttacks(), -1);
    EXPECT_EQ(peer.connections(), 0);
    writeFile(dir.file(missing), saved);
  }
}

}  // namespace
