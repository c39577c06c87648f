// The sensor's rule backup as the alert mailer reads it: finding the file the
// management server wrote, waiting out its lock, and loading rule ids and names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logserver/log_records.h"

namespace halvern {

// A name is held in 64 characters with its terminator.
inline constexpr std::size_t kMaxRuleName = 63;

// One rule of the backup: its id and its name (at most 63 characters, control
// bytes replaced by blanks).
struct RuleNameSlot {
  std::string name;
  std::uint32_t id = 0;
};

// "Rule.a.b.c.d.bk", the name the management server writes.
std::string ruleBackupName(const Ipv4Address& sensor);

// Path of the sensor's rule backup in dataDir: "Rule.a.b.c.d.bk", then
// "rule.a.b.c.d.bk", then any name equal without regard to case; empty when
// none exists.
std::string findRuleBackup(const std::string& dataDir, const Ipv4Address& sensor);

// Waits, polling every 100 ms for at most waitMs, while "<path>.lck" exists.
// True when no lock is left; never creates a lock.
bool waitForBookLock(const std::string& path, int waitMs);

// Loads id and name of every whole record of the backup in file order; a
// trailing partial record is ignored. False when the file cannot be read.
bool loadRuleNames(const std::string& path, std::vector<RuleNameSlot>& slots);

// The name of the first rule with this id, else "Deleted( id )".
std::string attackName(const std::vector<RuleNameSlot>& slots, std::uint32_t ruleId);

}  // namespace halvern
