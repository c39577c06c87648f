// The Rule book of one sensor: rules and DDoS policies, the counts a push
// sends, and the eight built-in policies written into an empty book.
#pragma once

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

class RuleTable : public RecordTable<BRule, RULE_BOOK> {
 public:
  // Loads the book and counts it; an empty table gets the built-in policies
  // (after counting, so both counts are then 0), an unreadable one nothing.
  explicit RuleTable(std::uint32_t sensorAddress);

  // Sensor rules the enabled non-DDoS rules expand to (group sizes from the
  // Group book), and enabled DDoS policies, as the book was read.
  std::int32_t getNRules() const { return nRules_; }
  std::int32_t getNDDoS() const { return nDDoS_; }

  // kAddAppended, or kAddAlreadyThere when an equal rule is present.
  int add(const BRule& rule) { return addRecord(rule); }
  // kSaveWritten or kSaveCannotOpen.
  int save() const { return saveRecords(); }
  // Adds the eight built-in policies and saves the table; counts unchanged.
  void createDefaultDDoSPolicy();

 private:
  void countRules();

  std::int32_t nRules_ = 0;
  std::int32_t nDDoS_ = 0;
};

// 2002-01-01 00:00:00 local time in seconds since 1970: the time stamp of the
// built-in policies.
std::int32_t builtInPolicyTime();

}  // namespace cvlm
