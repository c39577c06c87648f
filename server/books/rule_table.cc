// Rule table: counting while loading, and the built-in DDoS policies.
#include "server/books/rule_table.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>

#include "formats/byte_order.h"
#include "server/books/group_table.h"
#include "server/log.h"

namespace cvlm {

namespace {

struct BuiltInPolicy {
  std::uint32_t id;
  const char* name;
  const char* description;
  std::uint8_t protocol;
};

constexpr BuiltInPolicy kBuiltInPolicies[] = {
    {0x00100001, "TCP SYN Flooding", "TCP SYN defense policy", 6},
    {0x00100002, "TCP Flooding", "TCP Flooding defense policy", 6},
    {0x00100003, "UDP Flooding", "UDP Flooding defense policy", 17},
    {0x00100004, "UDP Smurfing", "UDP Smurfing defense policy", 17},
    {0x00100005, "ICMP Flooding", "ICMP Flooding defense policy", 1},
    {0x00100006, "ICMP Smurfing", "ICMP Smurfing defense policy", 1},
    {0x00100007, "IGMP Flooding", "IGMP Flooding defense policy", 2},
    {0x00100008, "IP Flooding", "IP Flooding defense policy", 0},
};
constexpr std::int32_t kBuiltInThresholds[3] = {100, 50, 50};

// Addresses a group side of a rule stands for: the group's nAddr (0 for a
// missing group; a negative count is taken as an empty group).
std::int64_t sideCount(const GroupTable& groups, std::int32_t position) {
  BGroup group;
  groups.getAt(indexOfPosition(position), group);
  return group.nAddr > 0 ? group.nAddr : 0;
}

// The fields all eight built-in policies share.
BRule builtInPolicyBase() {
  BRule rule;
  rule.mark4 = 5;
  formats::setFieldText(rule.origin, "Build-In");
  rule.timeStamp = builtInPolicyTime();
  rule.mark2228 = 1;
  rule.flags = kRuleEnabled;
  rule.ruleValue = 1289;
  rule.mark2428 = 1;
  for (std::size_t i = 0; i < 3; ++i) formats::putInt32(&rule, kThresholdOffsets[i], kBuiltInThresholds[i]);
  return rule;
}

}  // namespace

std::int32_t builtInPolicyTime() {
  std::tm t{};
  t.tm_year = 102;
  t.tm_mon = 0;
  t.tm_mday = 1;
  t.tm_isdst = 0;
  return static_cast<std::int32_t>(std::mktime(&t));
}

RuleTable::RuleTable(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {
  countRules();
  // A book that could not be read is not empty: it is never overwritten.
  if (readable() && records_.empty()) createDefaultDDoSPolicy();
}

void RuleTable::countRules() {
  GroupTable groups(sensorAddress());
  std::int64_t rules = 0;
  nDDoS_ = 0;
  for (const BRule& rule : records_) {
    if (!(rule.flags & kRuleEnabled)) continue;
    if (isDDoSPolicy(rule)) {
      ++nDDoS_;
      continue;
    }
    std::int64_t s = rule.flags & kRuleSourceIsGroup ? sideCount(groups, rule.source) : 1;
    std::int64_t d = rule.flags & kRuleDestinationIsGroup ? sideCount(groups, rule.destination) : 1;
    // Saturates instead of overflowing on absurd group sizes.
    rules = std::min<std::int64_t>(rules + s * d, INT32_MAX);
  }
  nRules_ = static_cast<std::int32_t>(rules);
  writeLogf("# of picked Rules = %d", nRules_);
  writeLogf("# of picked DDoS Rules = %d", nDDoS_);
}

void RuleTable::createDefaultDDoSPolicy() {
  writeLog("RuleTable::createDefaultDDoSPolicy()");
  BRule rule = builtInPolicyBase();
  for (const BuiltInPolicy& p : kBuiltInPolicies) {
    std::memset(rule.name, 0, sizeof rule.name);
    std::memset(rule.description, 0, sizeof rule.description);
    rule.id = static_cast<std::int32_t>(p.id);
    formats::setFieldText(rule.name, p.name);
    formats::setFieldText(rule.description, p.description);
    rule.protocol = p.protocol;
    add(rule);
  }
  save();
}

}  // namespace cvlm
