// The alert mailer end to end: its files, the SMTP dialogue against a
// scripted peer, and one mail through a real SMTP server (aiosmtpd).
#include "logserver/mail_alert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "logserver/tests/support/mail_files.h"
#include "logserver/tests/support/running_listener.h"
#include "logserver/tests/support/smtp_peer.h"
#include "platform/files.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace halvern {
namespace {

using halvern_testing::PeerStep;
using halvern_testing::ScriptedSmtpPeer;
using halvern_testing::mailListBytes;
using halvern_testing::ruleRecord;
using halvern_testing::writeFile;

const Ipv4Address kSensor = Ipv4Address{{10, 1, 2, 3}};

AlertRecord alert(std::uint32_t ruleId, std::int32_t count) {
  return AlertRecord{ruleId, Ipv4Address{{192, 168, 1, 5}}, Ipv4Address{{10, 1, 2, 3}}, 1046161416,
                     1046161441, count};
}

const std::string kSubject = "Subject: IDS(10.1.2.3) Mail Alert: Attack Occured \r\n";
const std::string kHeader = "\nRecorded attack information from IDS (10.1.2.3): \n\n\r\n";

std::string block(const std::string& name, int count) {
  return "\n\nAttack Name:   " + name +
         "\nSource IP:   192.168.1.5\nDestination IP:   10.1.2.3\n"
         "Begin Time:   2003/2/25 8:23:36\nEnd Time:   2003/2/25 8:24:1\nCount:   " +
         std::to_string(count) + "\r\n";
}

// A working directory with "log.ini" naming data/, a two-recipient
// "maillist" for a peer on 127.0.0.2 and a rule backup with rule 7.
class MailAlertTest : public ::testing::Test {
 protected:
  MailAlertTest() : cwd_(dir_.path()) {
    std::filesystem::create_directory(dataDir());
    halvern_testing::writeLogIni(dir_.path(), dataDir());
    writeMailList(2, {"127.0.0.2", "ops@example.com", "sec@example.com"});
    writeFile(backupPath(), ruleRecord(7, "Port Scan") + ruleRecord(8, "Ping Sweep"));
  }

  std::string dataDir() const { return dir_.file("data"); }
  std::string backupPath() const { return dataDir() + "/Rule.10.1.2.3.bk"; }
  void writeMailList(std::uint32_t count, const std::vector<std::string>& words) {
    writeFile(dataDir() + "/maillist", mailListBytes(count, words));
  }
  MailerSettings settingsFor(const ScriptedSmtpPeer& peer, int replyTimeoutMs = 5000) {
    MailerSettings s;
    s.smtpPort = peer.port();
    s.connectTimeoutMs = 2000;
    s.replyTimeoutMs = replyTimeoutMs;
    s.lockWaitMs = 3000;
    return s;
  }
  // Runs prepare and returns its result with what it printed.
  int prepare(const MailerSettings& settings, const std::vector<AlertRecord>& alerts, std::string* printed = nullptr) {
    halvern_testing::CapturedOutput output;
    int result = MailAlert(settings).prepare(alerts.data(), static_cast<int>(alerts.size()), kSensor);
    std::string out = output.out();
    if (printed) *printed = out;
    return result;
  }

  halvern_testing::ScopedUtc utc_;
  platform_testing::TempDir dir_;
  platform_testing::ScopedCwd cwd_;
};

TEST_F(MailAlertTest, SendsCommandsAndMailTextInOrderWithoutHelo) {
  ScriptedSmtpPeer peer;
  ASSERT_TRUE(peer.listening());
  EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 3), alert(99, 1)}), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.received(), std::string("MAIL FROM:<") + kMailSender +
                                 ">\r\n"
                                 "RCPT TO:<ops@example.com>\r\n"
                                 "RCPT TO:<sec@example.com>\r\n"
                                 "DATA\r\n" +
                                 kSubject + kHeader + block("Port Scan", 3) + block("Deleted( 99 )", 1) +
                                 ".\r\n"
                                 "QUIT\r\n");
  EXPECT_EQ(peer.connections(), 1);
}

TEST_F(MailAlertTest, EmptyBatchMailsSubjectAndHeaderOnly) {
  ScriptedSmtpPeer peer;
  EXPECT_EQ(prepare(settingsFor(peer), {}), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.mailText(), kSubject + kHeader);
  EXPECT_EQ(peer.commands().back(), "QUIT");
}

TEST_F(MailAlertTest, AcceptsMultiLineReplies) {
  ScriptedSmtpPeer peer;
  peer.setGreeting(PeerStep::reply("220-peer.example.com\r\n220-no HELO needed\r\n220 ready\r\n"));
  peer.script("MAIL", 1, PeerStep::reply("250-sender\r\n250 ok\r\n"));
  peer.script(".", 1, PeerStep::reply("250-queued\r\n250-as 42\r\n250 done\r\n"));
  std::string printed;
  EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 1)}, &printed), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.commands().back(), "QUIT");
  EXPECT_EQ(printed, "");
}

TEST_F(MailAlertTest, GreetingContentIsNotExamined) {
  for (const char* greeting : {"hello\r\n", "554 busy\r\n"}) {
    ScriptedSmtpPeer peer;
    peer.setGreeting(PeerStep::reply(greeting));
    std::string printed;
    EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 1)}, &printed), 0) << greeting;
    ASSERT_TRUE(peer.waitAllClosed(5000)) << greeting;
    EXPECT_EQ(peer.mailText(), kSubject + kHeader + block("Port Scan", 1)) << greeting;
    EXPECT_EQ(peer.commands().back(), "QUIT") << greeting;
    EXPECT_EQ(printed, "") << greeting;
  }
}

struct FailureCase {
  const char* what;
  const char* verb;
  int occurrence;
  PeerStep step;
  std::size_t commandsSeen;  // commands the peer receives in all
  const char* printed;       // the one line naming the failure
};

TEST_F(MailAlertTest, FailedDialogueStopsClosesAndNamesTheStep) {
  const FailureCase cases[] = {
      {"550 to the second RCPT", "RCPT", 2, PeerStep::reply("550 no such user\r\n"), 3,
       "MailAlert: SMTP RCPT failed: 550 no such user\n"},
      {"peer closes after MAIL", "MAIL", 1, PeerStep::close(), 1,
       "MailAlert: SMTP MAIL failed: connection closed\n"},
      {"DATA refused", "DATA", 1, PeerStep::reply("451 try later\r\n"), 4,
       "MailAlert: SMTP DATA failed: 451 try later\n"},
      {"mail text refused", ".", 1, PeerStep::reply("554 rejected\r\n"), 5,
       "MailAlert: SMTP content failed: 554 rejected\n"},
      {"reply line over 512 bytes", "MAIL", 1, PeerStep::reply("250 " + std::string(600, 'x') + "\r\n"), 1,
       "MailAlert: SMTP MAIL failed: reply line too long\n"},
      {"reply without a code", "RCPT", 1, PeerStep::reply("hello\r\n"), 2,
       "MailAlert: SMTP RCPT failed: malformed reply: hello\n"},
  };
  for (const FailureCase& c : cases) {
    ScriptedSmtpPeer peer;
    peer.script(c.verb, c.occurrence, c.step);
    std::string printed;
    EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 1)}, &printed), 0) << c.what;
    ASSERT_TRUE(peer.waitAllClosed(5000)) << c.what;
    EXPECT_EQ(peer.commands().size(), c.commandsSeen) << c.what;
    EXPECT_EQ(printed, c.printed) << c.what;
  }
}

TEST_F(MailAlertTest, SendGivesZeroOnlyForADialogueEndingWithQuit) {
  AlertRecord a = alert(7, 1);
  ScriptedSmtpPeer accepting;
  {
    halvern_testing::CapturedOutput output;
    EXPECT_EQ(MailAlert(settingsFor(accepting)).send(&a, kSensor, accepting.address()), 0);
    EXPECT_EQ(output.out(), "");
  }
  ScriptedSmtpPeer closing;
  closing.setGreeting(PeerStep::close());
  {
    halvern_testing::CapturedOutput output;
    EXPECT_EQ(MailAlert(settingsFor(closing)).send(&a, kSensor, closing.address()), 1);
    EXPECT_EQ(output.out(), "MailAlert: SMTP greeting failed: connection closed\n");
  }
  MailerSettings nobody = settingsFor(closing);
  nobody.smtpPort = 0;  // nothing listens on port 0
  halvern_testing::CapturedOutput output;
  EXPECT_EQ(MailAlert(nobody).send(&a, kSensor, closing.address()), 1);
  EXPECT_EQ(output.out(), "MailAlert: SMTP connect to 127.0.0.2 failed\n");
}

TEST_F(MailAlertTest, SilentPeerIsLeftAfterTheReplyTimeOut) {
  for (const char* verb : {"", "MAIL", "."}) {
    ScriptedSmtpPeer peer;
    if (*verb) peer.script(verb, 1, PeerStep::silent());
    else peer.setGreeting(PeerStep::silent());
    std::string printed;
    EXPECT_EQ(prepare(settingsFor(peer, 300), {alert(7, 1)}, &printed), 0) << verb;
    EXPECT_NE(printed.find("failed: no reply (time-out)"), std::string::npos) << verb << printed;
    EXPECT_TRUE(peer.waitAllClosed(5000)) << verb;
  }
}

TEST_F(MailAlertTest, PeerThatStopsReadingAfterDataIsLeftAfterTheSendTimeOut) {
  // Some MiB of mail text: more than the kernel buffers on either side take.
  std::vector<AlertRecord> alerts(20000, alert(7, 1));
  std::string printed;
  std::future<int> result;  // destroyed after the peer, whose end frees a blocked send
  ScriptedSmtpPeer peer;
  peer.shrinkReceiveWindow();
  peer.script("DATA", 1, PeerStep::replyThenStopReading("354 go ahead\r\n"));
  result = std::async(std::launch::async, [&] { return prepare(settingsFor(peer, 300), alerts, &printed); });
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(printed, "MailAlert: SMTP content failed: send time-out\n");
}

TEST_F(MailAlertTest, PeerClosingDuringMailTextLeavesProcessAlive) {
  ScriptedSmtpPeer peer;
  peer.script("DATA", 1, PeerStep::replyThenClose("354 go\r\n"));
  std::vector<AlertRecord> alerts(200, alert(7, 1));
  std::string printed;
  EXPECT_EQ(prepare(settingsFor(peer), alerts, &printed), 0);
  EXPECT_NE(printed.find("MailAlert: SMTP content failed"), std::string::npos) << printed;
}

TEST_F(MailAlertTest, MissingFileEndsSessionWithoutConnecting) {
  struct Case {
    const char* what;
    std::string removed;
  } cases[] = {{"log.ini", "log.ini"}, {"maillist", "data/maillist"}, {"rule backup", "data/Rule.10.1.2.3.bk"}};
  for (const Case& c : cases) {
    ScriptedSmtpPeer peer;
    std::string path = dir_.file(c.removed), saved;
    ASSERT_EQ(MailAlertSink(settingsFor(peer)).alertBatch(nullptr, 0, kSensor), 0) << c.what;  // all files there
    ASSERT_TRUE(peer.waitAllClosed(5000));
    ASSERT_TRUE(platform::readWholeFile(path, saved));
    std::filesystem::remove(path);
    AlertRecord a = alert(7, 1);
    halvern_testing::CapturedOutput output;
    EXPECT_EQ(MailAlertSink(settingsFor(peer)).alertBatch(&a, 1, kSensor), 1) << c.what;
    EXPECT_NE(output.out(), "") << c.what;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(peer.connections(), 1) << c.what;
    writeFile(path, saved);
  }
}

TEST_F(MailAlertTest, LogIniWithoutADataDirectoryReadsNothingFromTheProgramDirectory) {
  // Everything the mailer needs, but in the program's own directory.
  writeFile(dir_.file("maillist"), mailListBytes(1, {"127.0.0.2", "ops@example.com"}));
  writeFile(dir_.file("Rule.10.1.2.3.bk"), ruleRecord(7, "Port Scan"));
  for (const char* logIni : {"[IDS]\nIP=127.0.0.1\n[DIR]\n", "[IDS]\nIP=127.0.0.1\n[DIR]\nPATH=\n",
                             "[IDS]\nIP=127.0.0.1\n[DIR]\nPATH\r\n"}) {
    writeFile(dir_.file("log.ini"), logIni);
    ScriptedSmtpPeer peer;
    std::string printed;
    EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 1)}, &printed), 1) << logIni;
    EXPECT_NE(printed, "") << logIni;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(peer.connections(), 0) << logIni;
  }
}

TEST_F(MailAlertTest, MailListWithoutServerOrRecipientsSendsNothing) {
  struct Case {
    std::uint32_t count;
    std::vector<std::string> words;
  } cases[] = {{2, {}}, {0, {"127.0.0.2"}}, {1, {"not-an-address", "a@x"}}, {1, {std::string(60, '1'), "a@x"}}};
  for (const Case& c : cases) {
    ScriptedSmtpPeer peer;
    writeMailList(c.count, c.words);
    std::string printed;
    EXPECT_EQ(prepare(settingsFor(peer), {alert(7, 1)}, &printed), 0) << printed;
    EXPECT_NE(printed.find("no mail sent"), std::string::npos) << printed;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(peer.connections(), 0) << printed;
  }
}

TEST_F(MailAlertTest, UsesOnlyTheRecipientsActuallyRead) {
  struct Case {
    std::uint32_t count;
    std::vector<std::string> words;
    std::vector<std::string> rcpts;
  } cases[] = {
      {11,
       {"127.0.0.2", "r1@x", "r2@x", "r3@x", "r4@x", "r5@x", "r6@x", "r7@x", "r8@x", "r9@x", "r10@x", "r11@x"},
       {"r1@x", "r2@x", "r3@x", "r4@x", "r5@x", "r6@x", "r7@x", "r8@x", "r9@x", "r10@x"}},
      {3, {"127.0.0.2", "a@x", std::string(60, 'w') + "@x", "b@x"}, {"a@x", "b@x"}},
      {4, {"127.0.0.2", "a@x"}, {"a@x"}},
  };
  for (const Case& c : cases) {
    ScriptedSmtpPeer peer;
    writeMailList(c.count, c.words);
    ASSERT_EQ(prepare(settingsFor(peer), {alert(7, 1)}), 0);
    ASSERT_TRUE(peer.waitAllClosed(5000));
    std::vector<std::string> rcpts;
    for (const std::string& line : peer.commands())
      if (line.rfind("RCPT TO:<", 0) == 0) rcpts.push_back(line.substr(9, line.size() - 10));
    EXPECT_EQ(rcpts, c.rcpts);
    EXPECT_EQ(peer.commands().back(), "QUIT");
  }
}

TEST_F(MailAlertTest, FindsBackupWrittenAsRuleAndWaitsForItsLock) {
  // The management server is rewriting the book: the old content names rule 7
  // "Old Name"; the lock goes only after the new content is in place.
  writeFile(backupPath(), ruleRecord(7, "Old Name"));
  writeFile(backupPath() + ".lck", "");
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    writeFile(backupPath(), ruleRecord(7, "Port Scan"));
    std::filesystem::remove(backupPath() + ".lck");
  });
  ScriptedSmtpPeer peer;
  int result = prepare(settingsFor(peer), {alert(7, 1)});
  writer.join();
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.mailText(), kSubject + kHeader + block("Port Scan", 1));
  EXPECT_FALSE(platform::fileExists(backupPath() + ".lck"));
}

TEST_F(MailAlertTest, FindsBackupWhateverItsCase) {
  std::filesystem::rename(backupPath(), dataDir() + "/rule.10.1.2.3.BK");
  ScriptedSmtpPeer peer;
  ASSERT_EQ(prepare(settingsFor(peer), {alert(8, 1)}), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.mailText(), kSubject + kHeader + block("Ping Sweep", 1));
}

TEST_F(MailAlertTest, RuleNamesCannotEndTheMailTextOrInjectCommands) {
  writeFile(backupPath(), ruleRecord(7, std::string(64, 'L')) + ruleRecord(8, "evil\r\n.\r\nRSET\r\nx"));
  ScriptedSmtpPeer peer;
  ASSERT_EQ(prepare(settingsFor(peer), {alert(7, 1), alert(8, 2)}), 0);
  ASSERT_TRUE(peer.waitAllClosed(5000));
  EXPECT_EQ(peer.mailText(), kSubject + kHeader + block(std::string(63, 'L'), 1) + block("evil  .  RSET  x", 2));
  std::vector<std::string> expected{std::string("MAIL FROM:<") + kMailSender + ">", "RCPT TO:<ops@example.com>",
                                    "RCPT TO:<sec@example.com>", "DATA", ".", "QUIT"};
  EXPECT_EQ(peer.commands(), expected);
}

TEST_F(MailAlertTest, RealSmtpServerAcceptsTheMail) {
  ASSERT_TRUE(platform::fileExists("/usr/bin/python3"));
  platform_testing::ChildProcess server("/usr/bin/python3", dir_.path(), {},
                                        {AIOSMTPD_PEER_SCRIPT, "127.0.0.3", dir_.path()});
  int port = 0;
  ASSERT_TRUE(platform_testing::eventually(
      [&] { return std::sscanf(server.stdoutText().c_str(), "PORT %d", &port) == 1; }, 15000))
      << server.stderrText();
  writeMailList(2, {"127.0.0.3", "ops@example.com", "sec@example.com"});
  MailerSettings settings;
  settings.smtpPort = static_cast<std::uint16_t>(port);
  settings.replyTimeoutMs = 10000;
  std::string printed;
  EXPECT_EQ(prepare(settings, {alert(7, 3), alert(99, 1)}, &printed), 0);
  EXPECT_EQ(printed, "");
  std::string message;
  ASSERT_TRUE(platform_testing::eventually([&] { return platform::readWholeFile(dir_.file("message.1"), message); }))
      << server.stderrText();
  EXPECT_EQ(message.rfind(std::string("FROM ") + kMailSender + "\nTO ops@example.com\nTO sec@example.com\n\n" +
                              "Subject: IDS(10.1.2.3) Mail Alert: Attack Occured \r\n",
                          0),
            0u)
      << message;
  EXPECT_NE(message.find("Attack Name:   Port Scan\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Attack Name:   Deleted( 99 )\n"), std::string::npos) << message;
}

}  // namespace
}  // namespace halvern
