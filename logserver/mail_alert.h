// MailAlert: mails one alert batch over SMTP to the recipients of "maillist",
// naming each attack from the sensor's rule backup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logserver/alert_sink.h"
#include "logserver/constants.h"
#include "logserver/log_records.h"
#include "logserver/rule_backup.h"

namespace halvern {

// Where and how long the mailer talks; tests use short waits and their own port.
struct MailerSettings {
  std::uint16_t smtpPort = kSmtpPort;
  int connectTimeoutMs = kSmtpConnectTimeoutMs;
  int replyTimeoutMs = kSmtpReplyTimeoutMs;
  int lockWaitMs = kBookLockWaitMs;
};

class MailAlert {
 public:
  explicit MailAlert(MailerSettings settings = {}) : settings_(settings) {}

  // Reads "log.ini", "maillist" and the rule backup, then sends the mail.
  // 1 when one of the three files cannot be opened (nothing is sent), else 0
  // whatever the SMTP dialogue did.
  int prepare(const AlertRecord* alerts, int count, const Ipv4Address& sensor);

  // The SMTP dialogue with a network-order mail server address: 0 when it
  // ended with QUIT, 1 on any failure (one line names the failing step).
  int send(const AlertRecord* alerts, const Ipv4Address& sensor, std::uint32_t mailServer);

 private:
  bool readRuleBackup(const std::string& dataDir, const Ipv4Address& sensor);

  MailerSettings settings_;
  std::vector<RuleNameSlot> rules_;
  int alertCount_ = 0;
  std::vector<std::string> recipients_;
};

// The sessions' alert sink: one MailAlert per batch, its prepare result
// decides whether the session goes on.
class MailAlertSink : public AlertSink {
 public:
  explicit MailAlertSink(MailerSettings settings = {}) : settings_(settings) {}
  int alertBatch(const AlertRecord* alerts, int count, const Ipv4Address& sensor) override {
    return MailAlert(settings_).prepare(alerts, count, sensor);
  }

 private:
  MailerSettings settings_;
};

}  // namespace halvern
