// Records of the sensor books, exactly as they lie in the book files:
// services, addresses, groups, schedules and group memberships; the rule
// record is shared with the log server (formats/rule_record.h).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "formats/byte_order.h"
#include "formats/rule_record.h"

namespace cvlm {

// The rule record is the shared one; the book code names it as its own.
using formats::BRule;
using formats::isDDoSPolicy;
using formats::kFirstBuiltInPolicy;
using formats::kLastDDoSPolicyId;
using formats::kRuleDestinationIsGroup;
using formats::kRuleEnabled;
using formats::kRuleSourceIsGroup;
using formats::kThresholdOffsets;
using formats::protocolBlockIndex;

// Integer fields are little-endian in the files; records are read and
// written by copying whole records.
static_assert(std::endian::native == std::endian::little);

// One service definition of the Service book.
struct BService {
  char name[32] = {};
  std::int32_t value1 = 0;
  std::int32_t value2 = 0;
  char comment[32] = {};
  std::int32_t value3 = 0;
  std::uint8_t value4 = 0;
  std::uint8_t value5 = 0;
  std::uint8_t values6to9[4] = {};
  std::uint8_t unused[2] = {};

  bool operator==(const BService& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};
static_assert(sizeof(BService) == 84);
static_assert(offsetof(BService, value1) == 32);
static_assert(offsetof(BService, value2) == 36);
static_assert(offsetof(BService, comment) == 40);
static_assert(offsetof(BService, value3) == 72);
static_assert(offsetof(BService, value4) == 76);
static_assert(offsetof(BService, value5) == 77);
static_assert(offsetof(BService, values6to9) == 78);
static_assert(offsetof(BService, unused) == 82);

// One address entry of the Address book.
struct BAddress {
  char name[96] = {};  // terminated; bytes after the terminator are console data
  std::int32_t firstValue = 0;
  std::int32_t secondValue = 0;
  std::uint8_t consoleData[12] = {};
};
static_assert(sizeof(BAddress) == 116);
static_assert(offsetof(BAddress, firstValue) == 96);
static_assert(offsetof(BAddress, secondValue) == 100);
static_assert(offsetof(BAddress, consoleData) == 104);

// One address group of the Group book.
struct BGroup {
  char GroupName[68] = {};  // terminated; then the enable flag and Comment
  std::int32_t nAddr = 0;   // number of addresses in the group
  std::uint8_t consoleData[4] = {};
};
static_assert(sizeof(BGroup) == 76);
static_assert(offsetof(BGroup, nAddr) == 68);
static_assert(offsetof(BGroup, consoleData) == 72);

// One time schedule of the Schedule book.
struct BSchedule {
  std::uint8_t consoleHead[32] = {};
  std::uint8_t schedule[24] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::uint8_t consoleTail[36] = {};
};
static_assert(sizeof(BSchedule) == 92);
static_assert(offsetof(BSchedule, schedule) == 32);
static_assert(offsetof(BSchedule, consoleTail) == 56);

// One group membership of the GARelation book.
struct GA {
  char groupName[32] = {};
  char addressName[32] = {};

  GA() = default;
  // Both names are cut to 31 characters so each stays terminated.
  GA(std::string_view group, std::string_view address) {
    formats::setFieldText(groupName, group);
    formats::setFieldText(addressName, address);
  }
};
static_assert(sizeof(GA) == 64);
static_assert(offsetof(GA, addressName) == 32);

static_assert(std::is_trivially_copyable_v<BService> && std::is_trivially_copyable_v<BAddress> &&
              std::is_trivially_copyable_v<BGroup> && std::is_trivially_copyable_v<BSchedule> &&
              std::is_trivially_copyable_v<GA>);

}  // namespace cvlm
