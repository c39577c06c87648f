// Test helpers that write the mailer's input files: "log.ini" naming a data
// directory, "maillist" and rule backups of 2500-byte records.
#pragma once

#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "formats/rule_record.h"
#include "platform_testing/temp_dir.h"

namespace halvern_testing {

// Local time is UTC while the object lives, so mail texts are exact.
class ScopedUtc {
 public:
  ScopedUtc() : tz_("TZ", "UTC") { ::tzset(); }
  ~ScopedUtc() { ::tzset(); }

 private:
  platform_testing::ScopedEnv tz_;
};

// "log.ini" in dir whose fourth line names dataDir after five key characters.
inline void writeLogIni(const std::string& dir, const std::string& dataDir) {
  std::ofstream(dir + "/log.ini", std::ios::binary) << "[IDS]\nIP=127.0.0.1\n[DIR]\nPATH=" << dataDir << "\n";
}

// "maillist" bytes: the count big-endian, then the words one per line.
inline std::string mailListBytes(std::uint32_t count, const std::vector<std::string>& words) {
  std::string bytes{static_cast<char>(count >> 24), static_cast<char>(count >> 16), static_cast<char>(count >> 8),
                    static_cast<char>(count)};
  for (const std::string& w : words) bytes += w + "\r\n";
  return bytes;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// One rule record with this id and name bytes (up to the whole 64-byte
// field, so without a terminator when the name fills it).
inline std::string ruleRecord(std::uint32_t id, const std::string& name) {
  formats::BRule rule;
  rule.id = static_cast<std::int32_t>(id);
  rule.mark4 = 5;
  std::memcpy(rule.name, name.data(), name.size() < sizeof rule.name ? name.size() : sizeof rule.name);
  rule.consoleData72[0] = 'Z';  // the byte after the name field must never reach a name
  return std::string(reinterpret_cast<const char*>(&rule), sizeof rule);
}

}  // namespace halvern_testing
