// Group expansion and conversion of a sensor's Rule book for the push.
#include "server/push/rule_picking.h"

#include <cstring>

#include "server/books/address_table.h"
#include "server/books/ga_relation.h"
#include "server/books/group_table.h"
#include "server/books/schedule_table.h"
#include "server/log.h"

namespace cvlm {

namespace {

// The other books a conversion reads, loaded once per push.
struct PushBooks {
  explicit PushBooks(std::uint32_t sensor) : addresses(sensor), schedules(sensor), groups(sensor), relation(sensor) {}
  bool readable() const {
    return addresses.readable() && schedules.readable() && groups.readable() && relation.readable();
  }
  AddressTable addresses;
  ScheduleTable schedules;
  GroupTable groups;
  GARelation relation;
};

// The address positions one side of a rule stands for: the position itself,
// or for a group side every GA entry of the group, in relation order (the
// entry's address position, 0 when the address book lacks the name).
std::vector<std::int32_t> sidePositions(const PushBooks& books, std::int32_t position, bool isGroup) {
  if (!isGroup) return {position};
  BGroup group;
  books.groups.getAt(indexOfPosition(position), group);
  std::vector<std::int32_t> positions;
  for (const GA& entry : books.relation.records()) {
    if (formats::fieldText(entry.groupName) == formats::fieldText(group.GroupName))
      positions.push_back(books.addresses.indexOf(formats::fieldText(entry.addressName)) + 1);
  }
  return positions;
}

BAddress addressAt(const PushBooks& books, std::int32_t position) {
  BAddress address;
  books.addresses.getAt(indexOfPosition(position), address);
  return address;
}

void scheduleOf(const PushBooks& books, const BRule& rule, std::uint8_t (&out)[24]) {
  BSchedule schedule;
  // Every nonzero index is looked up (and traced); the wrap of the lowest is the 32-bit one.
  if (rule.schedule != 0)
    books.schedules.getAt(static_cast<int>(static_cast<std::uint32_t>(rule.schedule) - 1u), schedule);
  std::memcpy(out, schedule.schedule, sizeof out);
}

// Appends the rule's expansion; false once the list holds more than limit.
bool expandRule(const PushBooks& books, const BRule& rule, std::vector<SensorRule>& out, std::int64_t limit) {
  std::vector<std::int32_t> sources = sidePositions(books, rule.source, rule.flags & kRuleSourceIsGroup);
  std::vector<std::int32_t> destinations =
      sidePositions(books, rule.destination, rule.flags & kRuleDestinationIsGroup);
  for (std::int32_t source : sources) {
    BAddress from = addressAt(books, source);
    for (std::int32_t destination : destinations) {
      // Looked up for each sensor rule, as each conversion traces it.
      std::uint8_t schedule[24];
      scheduleOf(books, rule, schedule);
      out.push_back(toSensorRule(rule, from, addressAt(books, destination), schedule));
      if (static_cast<std::int64_t>(out.size()) > limit) return false;
    }
  }
  return true;
}

}  // namespace

PickedRules pickRules(const RuleTable& table, std::int64_t ruleLimit, std::int64_t policyLimit) {
  PushBooks books(table.sensorAddress());
  PickedRules picked;
  if (!table.readable() || !books.readable()) {
    picked.booksRead = false;
    return picked;
  }
  std::vector<const BRule*> policies;
  for (const BRule& rule : table.records()) {
    if (!(rule.flags & kRuleEnabled)) continue;
    if (isDDoSPolicy(rule)) {
      policies.push_back(&rule);
      if (static_cast<std::int64_t>(policies.size()) > policyLimit) break;
    } else if (!expandRule(books, rule, picked.rules, ruleLimit)) {
      break;
    }
  }
  writeLogf("# of picked Rules after extend = %d", static_cast<int>(picked.rules.size()));
  for (const BRule* rule : policies) picked.policies.push_back(makeDDoSPolicy(*rule));
  return picked;
}

}  // namespace cvlm
