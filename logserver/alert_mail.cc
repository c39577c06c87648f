// Formatting of the alert mail.
#include "alert_mail.h"

#include <cstdio>
#include <ctime>

#include "platform/clock.h"
#include "platform/net.h"

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

std::string alertSubject(std::uint32_t sensorAddress) {
  return "Subject: IDS(" + platform::dottedAddress(sensorAddress) + ") Mail Alert: Attack Occured \r\n";
}

std::string alertHeader(std::uint32_t sensorAddress) {
  return "\nRecorded attack information from IDS (" + platform::dottedAddress(sensorAddress) + "): \n\n\r\n";
}

std::string alertBlock(const AlertRecord& alert, const std::vector<RuleNameSlot>& rules) {
  return "\n\nAttack Name:   " + attackName(rules, alert.ruleId) +
         "\nSource IP:   " + platform::dottedAddress(alert.sourceIp) +
         "\nDestination IP:   " + platform::dottedAddress(alert.destinationIp) +
         "\nBegin Time:   " + alertTime(alert.beginTime) +
         "\nEnd Time:   " + alertTime(alert.endTime) +
         "\nCount:   " + std::to_string(alert.count) + "\r\n";
}

std::vector<std::string> alertMail(const AlertRecord* alerts, int count, std::uint32_t sensorAddress,
                                   const std::vector<RuleNameSlot>& rules) {
  std::vector<std::string> parts{alertSubject(sensorAddress), alertHeader(sensorAddress)};
  for (int i = 0; i < count; ++i) parts.push_back(alertBlock(alerts[i], rules));
  return parts;
}

}  // namespace halvern
