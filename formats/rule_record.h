// The rule record of the sensors' Rule books ("Rule.a.b.c.d.bk"), exactly as
// it lies in the file: the management server reads and writes it, the log
// server's mailer reads its ids and names.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace formats {

// Integer fields are little-endian in the files; records are read and
// written by copying whole records.
static_assert(std::endian::native == std::endian::little);

// Rule ids up to this one (unsigned) are DDoS policies; the built-in policies
// are kFirstBuiltInPolicy to kLastDDoSPolicyId.
inline constexpr std::uint32_t kFirstBuiltInPolicy = 0x00100001;
inline constexpr std::uint32_t kLastDDoSPolicyId = 0x00100008;

// Bits of BRule::flags.
inline constexpr std::uint8_t kRuleEnabled = 0x01;
inline constexpr std::uint8_t kRuleSourceIsGroup = 0x02;
inline constexpr std::uint8_t kRuleDestinationIsGroup = 0x04;

// One rule or DDoS policy of the Rule book. toSensorN fields go to offset N
// of the sensor rule; markN fields are written for the console, never read.
struct BRule {
  std::int32_t id = 0;
  std::int32_t mark4 = 0;
  char name[64] = {};
  std::uint8_t consoleData72[200] = {};
  char description[1024] = {};
  std::uint8_t consoleData1296[896] = {};
  char origin[32] = {};
  std::int32_t timeStamp = 0;  // seconds since 1970
  std::uint16_t mark2228 = 0;
  std::uint8_t protocol = 0;  // 1 ICMP, 2 IGMP, 6 TCP, 17 UDP
  std::uint8_t flags = 0;     // kRuleEnabled, kRuleSourceIsGroup, kRuleDestinationIsGroup
  std::int32_t ruleValue = 0;
  std::uint16_t toSensor392 = 0;
  std::uint16_t toSensor394 = 0;
  std::int32_t schedule = 0;  // 1-based position in the Schedule book; 0 none
  std::uint16_t toSensor388 = 0;
  std::uint16_t toSensor386 = 0;
  char content[128] = {};
  std::uint8_t contentForm = 0;  // nonzero text, 0 hexadecimal digits
  std::uint8_t contentKind = 0;  // 16: the content carries no length
  std::uint8_t toSensor164 = 0;
  std::uint8_t toSensor172 = 0;
  std::int32_t source = 0;  // 1-based Address (or Group) position; 0 none
  std::uint8_t unread2384[4] = {};
  std::int32_t destination = 0;
  std::uint8_t unread2392[4] = {};
  std::int32_t valueA = 0;
  std::int32_t valueB = 0;
  std::int32_t valueC = 0;
  std::int32_t valueD = 0;
  std::int32_t valueE = 0;
  std::int32_t valueF = 0;
  std::int32_t matchMode = 0;  // 0, 1 or 3
  std::int32_t valueG = 0;
  std::uint8_t mark2428 = 0;
  std::uint8_t flag164 = 0;  // flag of toSensor164
  std::uint8_t flag172 = 0;  // flag of toSensor172
  std::uint8_t sourceAddressFlag = 0;
  std::uint8_t destinationAddressFlag = 0;
  std::uint8_t valueFlags[7] = {};  // flags of values A to G, in this order
  // DDoS policy: three int32 thresholds at offsets 0, 4, 8 of the block; sensor
  // rule: protocol-dependent fields (offset in the block = record offset - 2440).
  std::uint8_t protocolBlock[60] = {};

  bool operator==(const BRule& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};
static_assert(sizeof(BRule) == 2500);
static_assert(offsetof(BRule, mark4) == 4);
static_assert(offsetof(BRule, name) == 8);
static_assert(offsetof(BRule, consoleData72) == 72);
static_assert(offsetof(BRule, description) == 272);
static_assert(offsetof(BRule, consoleData1296) == 1296);
static_assert(offsetof(BRule, origin) == 2192);
static_assert(offsetof(BRule, timeStamp) == 2224);
static_assert(offsetof(BRule, mark2228) == 2228);
static_assert(offsetof(BRule, protocol) == 2230);
static_assert(offsetof(BRule, flags) == 2231);
static_assert(offsetof(BRule, ruleValue) == 2232);
static_assert(offsetof(BRule, toSensor392) == 2236);
static_assert(offsetof(BRule, toSensor394) == 2238);
static_assert(offsetof(BRule, schedule) == 2240);
static_assert(offsetof(BRule, toSensor388) == 2244);
static_assert(offsetof(BRule, toSensor386) == 2246);
static_assert(offsetof(BRule, content) == 2248);
static_assert(offsetof(BRule, contentForm) == 2376);
static_assert(offsetof(BRule, contentKind) == 2377);
static_assert(offsetof(BRule, toSensor164) == 2378);
static_assert(offsetof(BRule, toSensor172) == 2379);
static_assert(offsetof(BRule, source) == 2380);
static_assert(offsetof(BRule, unread2384) == 2384);
static_assert(offsetof(BRule, destination) == 2388);
static_assert(offsetof(BRule, unread2392) == 2392);
static_assert(offsetof(BRule, valueA) == 2396);
static_assert(offsetof(BRule, valueB) == 2400);
static_assert(offsetof(BRule, valueC) == 2404);
static_assert(offsetof(BRule, valueD) == 2408);
static_assert(offsetof(BRule, valueE) == 2412);
static_assert(offsetof(BRule, valueF) == 2416);
static_assert(offsetof(BRule, matchMode) == 2420);
static_assert(offsetof(BRule, valueG) == 2424);
static_assert(offsetof(BRule, mark2428) == 2428);
static_assert(offsetof(BRule, flag164) == 2429);
static_assert(offsetof(BRule, flag172) == 2430);
static_assert(offsetof(BRule, sourceAddressFlag) == 2431);
static_assert(offsetof(BRule, destinationAddressFlag) == 2432);
static_assert(offsetof(BRule, valueFlags) == 2433);
static_assert(offsetof(BRule, protocolBlock) == 2440);

// Record offset of a protocol-block field, as an index into protocolBlock.
constexpr std::size_t protocolBlockIndex(std::size_t recordOffset) { return recordOffset - offsetof(BRule, protocolBlock); }
// The DDoS thresholds (record offsets 2440, 2444, 2448).
inline constexpr std::size_t kThresholdOffsets[3] = {2440, 2444, 2448};

inline bool isDDoSPolicy(const BRule& rule) { return static_cast<std::uint32_t>(rule.id) <= kLastDDoSPolicyId; }

static_assert(std::is_trivially_copyable_v<BRule>);

}  // namespace formats
