// Finding, waiting for and loading the sensor's rule backup.
#include "logserver/rule_backup.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "formats/rule_record.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace halvern {

namespace {

constexpr int kLockPollMs = 100;

// Control bytes in a name could end the mail text early or start a command.
std::string blankControlBytes(std::string text) {
  for (char& c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) c = ' ';
  }
  return text;
}

}  // namespace

std::string ruleBackupName(const Ipv4Address& sensor) { return "Rule." + dottedText(sensor) + ".bk"; }

std::string findRuleBackup(const std::string& dataDir, const Ipv4Address& sensor) {
  std::string written = ruleBackupName(sensor);
  std::string lower = "rule." + dottedText(sensor) + ".bk";
  for (const std::string& name : {written, lower}) {
    std::string found = platform::findFileIgnoringCase(dataDir, name);
    if (found == name) return platform::joinPath(dataDir, found);
  }
  std::string found = platform::findFileIgnoringCase(dataDir, written);
  return found.empty() ? std::string() : platform::joinPath(dataDir, found);
}

bool waitForBookLock(const std::string& path, int waitMs) {
  std::string lock = path + ".lck";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while (platform::fileExists(lock)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kLockPollMs));
  }
  return true;
}

bool loadRuleNames(const std::string& path, std::vector<RuleNameSlot>& slots) {
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return false;
  slots.clear();
  std::size_t records = bytes.size() / sizeof(formats::BRule);
  slots.reserve(records);
  formats::BRule rule;
  for (std::size_t i = 0; i < records; ++i) {
    std::memcpy(&rule, bytes.data() + i * sizeof rule, sizeof rule);
    RuleNameSlot slot;
    slot.id = static_cast<std::uint32_t>(rule.id);
    slot.name = blankControlBytes(std::string(formats::fieldText(rule.name).substr(0, kMaxRuleName)));
    slots.push_back(std::move(slot));
  }
  return true;
}

std::string attackName(const std::vector<RuleNameSlot>& slots, std::uint32_t ruleId) {
  for (const RuleNameSlot& slot : slots)
    if (slot.id == ruleId) return slot.name;
  char text[32];
  std::snprintf(text, sizeof text, "Deleted( %u )", ruleId);
  return text;
}

}  // namespace halvern
