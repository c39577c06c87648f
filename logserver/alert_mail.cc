// Formatting of the alert mail.
#include "logserver/alert_mail.h"

#include <cstdio>
#include <ctime>

#include "platform/clock.h"

namespace halvern {

namespace {

// "year/month/day hour:minute:second", unpadded, in local time.
std::string alertTime(std::int32_t seconds) {
  std::tm tm{};
  if (!platform::localTime(static_cast<std::time_t>(seconds), tm)) tm = std::tm{};
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %d:%d:%d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                tm.tm_min, tm.tm_sec);
  return text;
}

}  // namespace

std::string alertSubject(const Ipv4Address& sensor) {
  return "Subject: IDS(" + dottedText(sensor) + ") Mail Alert: Attack Occured \r\n";
}

std::string alertHeader(const Ipv4Address& sensor) {
  return "\nRecorded attack information from IDS (" + dottedText(sensor) + "): \n\n\r\n";
}

std::string alertBlock(const AlertRecord& alert, const std::vector<RuleNameSlot>& rules) {
  return "\n\nAttack Name:   " + attackName(rules, alert.ruleId) +
         "\nSource IP:   " + dottedText(alert.source) +
         "\nDestination IP:   " + dottedText(alert.destination) +
         "\nBegin Time:   " + alertTime(alert.beginTime) +
         "\nEnd Time:   " + alertTime(alert.endTime) +
         "\nCount:   " + std::to_string(alert.count) + "\r\n";
}

std::vector<std::string> alertMail(const AlertRecord* alerts, int count, const Ipv4Address& sensor,
                                   const std::vector<RuleNameSlot>& rules) {
  std::vector<std::string> parts{alertSubject(sensor), alertHeader(sensor)};
  for (int i = 0; i < count; ++i) parts.push_back(alertBlock(alerts[i], rules));
  return parts;
}

}  // namespace halvern
