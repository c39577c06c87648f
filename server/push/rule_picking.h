// Picking the rules a push sends: the enabled DDoS policies, and the enabled
// sensor rules with their source and destination groups expanded into single
// addresses through the group-address relation.
#pragma once

#include <cstdint>
#include <vector>

#include "server/books/rule_table.h"
#include "server/push/sensor_rule.h"

namespace cvlm {

struct PickedRules {
  std::vector<SensorRule> rules;
  std::vector<DDoSPolicy> policies;
  bool booksRead = true;  // false: a book the conversion needs could not be read
};

// Picks and converts the table's enabled rules in book order; a rule with
// both groups gives, for each source address, each destination address.
// Picking stops once more than ruleLimit rules or policyLimit policies are
// found, so the lists never grow far beyond the counts the caller expects;
// nothing is picked when one of the other books cannot be read.
// Logs "# of picked Rules after extend = %d".
PickedRules pickRules(const RuleTable& table, std::int64_t ruleLimit, std::int64_t policyLimit);

}  // namespace cvlm
