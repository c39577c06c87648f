// Stand-ins for the log server's shared definitions (alert record, "log.ini"
// data directory, mail constants) and the rule record layout, kept apart so
// they go as soon as the shared headers exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace halvern {

// One alert of a batch, as it arrives on the wire (24 bytes).
struct AlertRecord {
  std::uint32_t ruleId;
  std::uint32_t sourceIp;
  std::uint32_t destinationIp;
  std::int32_t beginTime;
  std::int32_t endTime;
  std::int32_t count;
};
static_assert(sizeof(AlertRecord) == 24);

inline constexpr const char* kMailSender = "ids-alert@localhost";
inline constexpr std::uint16_t kSmtpPort = 25;
inline constexpr int kSmtpConnectTimeoutMs = 30000;
inline constexpr int kSmtpReplyTimeoutMs = 60000;
inline constexpr int kBookLockWaitMs = 5000;

inline constexpr std::size_t kRuleRecordSize = 2500;
inline constexpr std::size_t kRuleIdOffset = 0;
inline constexpr std::size_t kRuleNameOffset = 8;
inline constexpr std::size_t kRuleNameSize = 64;

// Line 4 of "log.ini" from its sixth character, without the line end.
inline bool readDataDirectory(std::string& dir) {
  std::FILE* f = std::fopen("log.ini", "r");
  if (!f) return false;
  std::string line;
  int c = 0;
  for (int n = 0; n < 4; ++n) {
    line.clear();
    while ((c = std::fgetc(f)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  }
  std::fclose(f);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  dir = line.size() > 5 ? line.substr(5) : std::string();
  return true;
}

}  // namespace halvern
