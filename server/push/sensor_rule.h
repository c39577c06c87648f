// The two records a rule push sends to a sensor: the 420-byte SensorRule
// (sensor command 1) and the 28-byte DDoSPolicy (sensor command 9).
#pragma once

#include <cstddef>
#include <cstdint>

#include "server/books/records.h"

namespace cvlm {

// Fields are named after what the rule book gives them (fieldN receives the
// rule's toSensorN); pN are the protocol-dependent fields at offset N, filled
// per protocol from the rule's protocol block.
struct SensorRule {
  std::int32_t id;
  char name[32];
  std::int32_t protocol;
  std::int32_t one;
  std::int32_t srcAddress1;
  std::int32_t srcFlag1;
  std::int32_t srcAddress2;
  std::int32_t srcFlag2;
  std::int32_t dstAddress1;
  std::int32_t dstFlag1;
  std::int32_t dstAddress2;
  std::int32_t dstFlag2;
  std::uint16_t p76;
  std::uint16_t p78;
  std::int32_t p80;
  std::uint16_t p84;
  std::uint16_t p86;
  std::int32_t p88;
  std::int32_t p92;
  std::int32_t p96;
  std::int32_t p100;
  std::int32_t p104;
  std::int32_t p108;
  std::int32_t p112;
  std::int32_t valueA;
  std::int32_t flagA;
  std::int32_t p124;
  std::int32_t p128;
  std::int32_t valueC;
  std::int32_t flagC;
  std::int32_t valueB;
  std::int32_t flagB;
  std::int32_t valueD;
  std::int32_t flagD;
  std::int32_t valueE;
  std::int32_t flagE;
  std::int32_t field164;
  std::int32_t flag164;
  std::int32_t field172;
  std::int32_t flag172;
  std::int32_t valueF;
  std::int32_t flagF;
  std::int32_t p188;
  std::int32_t p192;
  std::int32_t p196;
  std::int32_t p200;
  std::int32_t p204;
  std::int32_t p208;
  std::int32_t p212;
  std::int32_t p216;
  std::int32_t p220;
  std::int32_t p224;
  std::int32_t p228;
  std::int32_t p232;
  std::int32_t valueG;
  std::int32_t flagG;
  std::int32_t zero;
  std::int32_t contentKind;
  std::uint8_t content[128];
  std::int32_t ruleValue;
  std::uint16_t contentLength;
  std::uint16_t field386;
  std::uint16_t field388;
  std::uint16_t matchMode;
  std::uint16_t field392;
  std::uint16_t field394;
  std::uint8_t schedule[24];
};
static_assert(sizeof(SensorRule) == 420);
static_assert(offsetof(SensorRule, name) == 4);
static_assert(offsetof(SensorRule, protocol) == 36);
static_assert(offsetof(SensorRule, srcAddress1) == 44);
static_assert(offsetof(SensorRule, dstFlag2) == 72);
static_assert(offsetof(SensorRule, p76) == 76);
static_assert(offsetof(SensorRule, p80) == 80);
static_assert(offsetof(SensorRule, p84) == 84);
static_assert(offsetof(SensorRule, p88) == 88);
static_assert(offsetof(SensorRule, p112) == 112);
static_assert(offsetof(SensorRule, valueA) == 116);
static_assert(offsetof(SensorRule, p124) == 124);
static_assert(offsetof(SensorRule, valueC) == 132);
static_assert(offsetof(SensorRule, valueB) == 140);
static_assert(offsetof(SensorRule, field164) == 164);
static_assert(offsetof(SensorRule, valueF) == 180);
static_assert(offsetof(SensorRule, p188) == 188);
static_assert(offsetof(SensorRule, p232) == 232);
static_assert(offsetof(SensorRule, valueG) == 236);
static_assert(offsetof(SensorRule, zero) == 244);
static_assert(offsetof(SensorRule, contentKind) == 248);
static_assert(offsetof(SensorRule, content) == 252);
static_assert(offsetof(SensorRule, ruleValue) == 380);
static_assert(offsetof(SensorRule, contentLength) == 384);
static_assert(offsetof(SensorRule, field386) == 386);
static_assert(offsetof(SensorRule, field388) == 388);
static_assert(offsetof(SensorRule, matchMode) == 390);
static_assert(offsetof(SensorRule, field392) == 392);
static_assert(offsetof(SensorRule, field394) == 394);
static_assert(offsetof(SensorRule, schedule) == 396);

struct DDoSPolicy {
  std::int32_t id;
  std::int32_t threshold1;
  std::int32_t threshold2;
  std::int32_t threshold3;
  std::int32_t one;
  std::int32_t ruleValue;
  std::int32_t zero;
};
static_assert(sizeof(DDoSPolicy) == 28);
static_assert(offsetof(DDoSPolicy, threshold1) == 4);
static_assert(offsetof(DDoSPolicy, one) == 16);
static_assert(offsetof(DDoSPolicy, ruleValue) == 20);
static_assert(offsetof(DDoSPolicy, zero) == 24);

// Record sizes the push announces to the sensor.
inline constexpr std::int32_t kSensorRuleSize = sizeof(SensorRule);
inline constexpr std::int32_t kDDoSPolicySize = sizeof(DDoSPolicy);

// Builds the sensor rule of one rule whose source and destination are single
// addresses (all-zero records when there are none) and whose schedule bytes
// are resolved (24 bytes of 0xFF when it has none).
SensorRule toSensorRule(const BRule& rule, const BAddress& source, const BAddress& destination,
                        const std::uint8_t (&schedule)[24]);

// Builds the sensor record of one DDoS policy; logs "RuleTable::makeDDoSPolicy()".
DDoSPolicy makeDDoSPolicy(const BRule& rule);

}  // namespace cvlm
