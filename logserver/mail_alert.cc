// The alert mailer: its three files and the SMTP dialogue.
#include "logserver/mail_alert.h"

#include <cstdarg>
#include <cstdio>

#include "logserver/alert_mail.h"
#include "logserver/console_output.h"
#include "logserver/log_ini.h"
#include "logserver/mail_list.h"
#include "logserver/smtp_connection.h"
#include "platform/net.h"
#include "platform/paths.h"

namespace halvern {

namespace {

void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void report(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  putLine(text);
}

// Reads a reply and tests its code; a failure names the step and the reply.
bool expectReply(SmtpConnection& smtp, const char* step, int code) {
  SmtpReply reply = smtp.readReply();
  if (reply.code == code) return true;
  report("MailAlert: SMTP %s failed: %s", step, reply.text.c_str());
  return false;
}

bool sendStep(SmtpConnection& smtp, const char* step, const std::string& text) {
  std::string why;
  if (smtp.sendText(text, &why)) return true;
  report("MailAlert: SMTP %s failed: %s", step, why.c_str());
  return false;
}

}  // namespace

int MailAlert::prepare(const AlertRecord* alerts, int count, const Ipv4Address& sensor) {
  alertCount_ = count > 0 ? count : 0;
  LogIni ini = readLogIni(kLogIniFile);
  if (!ini.opened) {
    report("MailAlert: cannot open %s", kLogIniFile);
    return 1;
  }
  const std::string& dataDir = ini.dataDirectory;
  // Without a data directory there is no "maillist" to read: relative names
  // would find the program's own files instead.
  if (dataDir.empty()) {
    report("MailAlert: cannot open %s: %s names no data directory", kMailListFile, kLogIniFile);
    return 1;
  }
  MailList list;
  std::string listPath = platform::joinPath(dataDir, kMailListFile);
  if (!readMailList(listPath, list)) {
    report("MailAlert: cannot open %s", listPath.c_str());
    return 1;
  }
  recipients_ = list.recipients;
  if (!readRuleBackup(dataDir, sensor)) return 1;

  std::uint32_t server = platform::parseAddress(list.server);
  if (server == 0) {
    report("MailAlert: maillist names no usable mail server, no mail sent");
    return 0;
  }
  if (recipients_.empty()) {
    report("MailAlert: maillist names no recipient, no mail sent");
    return 0;
  }
  send(alerts, sensor, server);
  return 0;
}

bool MailAlert::readRuleBackup(const std::string& dataDir, const Ipv4Address& sensor) {
  std::string written = platform::joinPath(dataDir, ruleBackupName(sensor));
  bool unlocked = waitForBookLock(written, settings_.lockWaitMs);
  std::string path = findRuleBackup(dataDir, sensor);
  if (path.empty()) {
    report("MailAlert: no rule backup %s", written.c_str());
    return false;
  }
  if (path != written) unlocked = waitForBookLock(path, settings_.lockWaitMs) && unlocked;
  if (!unlocked) report("MailAlert: %s is still locked, reading it anyway", path.c_str());
  if (!loadRuleNames(path, rules_)) {
    report("MailAlert: cannot read %s", path.c_str());
    return false;
  }
  return true;
}

int MailAlert::send(const AlertRecord* alerts, const Ipv4Address& sensor, std::uint32_t mailServer) {
  SmtpConnection smtp(settings_.replyTimeoutMs);
  if (!smtp.open(mailServer, settings_.smtpPort, settings_.connectTimeoutMs)) {
    report("MailAlert: SMTP connect to %s failed", platform::dottedAddress(mailServer).c_str());
    return 1;
  }
  // The greeting's content is not examined; only its absence fails.
  SmtpReply greeting = smtp.readReply();
  if (!greeting.lineRead) {
    report("MailAlert: SMTP greeting failed: %s", greeting.text.c_str());
    return 1;
  }
  if (!sendStep(smtp, "MAIL", std::string("MAIL FROM:<") + kMailSender + ">\r\n") ||
      !expectReply(smtp, "MAIL", 250))
    return 1;
  for (const std::string& recipient : recipients_)
    if (!sendStep(smtp, "RCPT", "RCPT TO:<" + recipient + ">\r\n") || !expectReply(smtp, "RCPT", 250)) return 1;
  if (!sendStep(smtp, "DATA", "DATA\r\n") || !expectReply(smtp, "DATA", 354)) return 1;
  for (const std::string& part : alertMail(alerts, alertCount_, sensor, rules_))
    if (!sendStep(smtp, "content", part)) return 1;
  if (!sendStep(smtp, "content", kEndOfData) || !expectReply(smtp, "content", 250)) return 1;
  if (smtp.sendText("QUIT\r\n")) smtp.readReply();
  return 0;
}

}  // namespace halvern
