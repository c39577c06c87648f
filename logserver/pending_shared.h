// Stand-ins for the log server's shared definitions (alert record, "log.ini"
// data directory, mail constants) and the rule record layout, kept apart so
// they go as soon as the shared headers exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace halvern {

struct Ipv4Address {
  std::uint8_t octet[4];
};

struct AlertRecord {
  std::uint32_t ruleId;
  Ipv4Address source;
  Ipv4Address destination;
  std::int32_t beginTime;
  std::int32_t endTime;
  std::int32_t count;
};
static_assert(sizeof(AlertRecord) == 24);

inline std::string dottedText(const Ipv4Address& a) {
  return std::to_string(a.octet[0]) + "." + std::to_string(a.octet[1]) + "." + std::to_string(a.octet[2]) + "." +
         std::to_string(a.octet[3]);
}

inline constexpr const char* kMailSender = "halvern@localhost";
inline constexpr const char* kLogIniFile = "log.ini";
inline constexpr std::uint16_t kSmtpPort = 25;
inline constexpr int kSmtpConnectTimeoutMs = 30000;
inline constexpr int kSmtpReplyTimeoutMs = 60000;
inline constexpr int kBookLockWaitMs = 5000;

inline constexpr std::size_t kRuleRecordSize = 2500;
inline constexpr std::size_t kRuleIdOffset = 0;
inline constexpr std::size_t kRuleNameOffset = 8;
inline constexpr std::size_t kRuleNameSize = 64;

struct LogIni {
  bool opened = false;
  std::string dataDirectory;
};

inline LogIni readLogIni(const std::string& path) {
  LogIni ini;
  std::string& dir = ini.dataDirectory;
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return ini;
  ini.opened = true;
  std::string line;
  int c = 0;
  for (int n = 0; n < 4; ++n) {
    line.clear();
    while ((c = std::fgetc(f)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  }
  std::fclose(f);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  dir = line.size() > 5 ? line.substr(5) : std::string();
  return ini;
}

}  // namespace halvern
