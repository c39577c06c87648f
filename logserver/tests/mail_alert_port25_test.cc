// The mailer with its default settings talks to port 25 of the mail server.
#include <gtest/gtest.h>

#include <filesystem>

#include "logserver/mail_alert.h"
#include "logserver/tests/support/mail_files.h"
#include "logserver/tests/support/smtp_peer.h"
#include "platform_testing/temp_dir.h"

namespace halvern {
namespace {

TEST(MailAlertPort25Test, DefaultSettingsMailToPort25) {
  halvern_testing::ScriptedSmtpPeer peer("127.0.0.2", 25);
  if (!peer.listening()) GTEST_SKIP() << "port 25 of 127.0.0.2 cannot be bound here";
  platform_testing::TempDir dir;
  platform_testing::ScopedCwd cwd(dir.path());
  std::filesystem::create_directory(dir.file("data"));
  halvern_testing::writeLogIni(dir.path(), dir.file("data"));
  halvern_testing::writeFile(dir.file("data/maillist"), halvern_testing::mailListBytes(1, {"127.0.0.2", "ops@x"}));
  halvern_testing::writeFile(dir.file("data/Rule.10.1.2.3.bk"), halvern_testing::ruleRecord(7, "Port Scan"));
  AlertRecord a{7, Ipv4Address{{192, 168, 1, 5}}, Ipv4Address{{10, 1, 2, 3}}, 0, 0, 1};
  EXPECT_EQ(MailAlert().prepare(&a, 1, Ipv4Address{{10, 1, 2, 3}}), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.commands().back(), "QUIT");
  EXPECT_NE(peer.mailText().find("Attack Name:   Port Scan\n"), std::string::npos);
}

}  // namespace
}  // namespace halvern
