// Conversion of rule book records into the records the sensor executes:
// the plain field copies, match mode, schedule, content and the
// protocol-dependent fields of TCP, UDP, ICMP and IGMP.
#include "server/push/sensor_rule.h"

#include <cstring>

#include "server/log.h"
#include "server/push/content.h"

namespace cvlm {

namespace {

constexpr std::uint8_t kIcmp = 1;
constexpr std::uint8_t kIgmp = 2;
constexpr std::uint8_t kTcp = 6;
constexpr std::uint8_t kUdp = 17;

// How a protocol-block field is read: a uint16 goes to a 2-byte sensor
// field, a uint8 (zero-extended) or an int32 to a 4-byte one.
enum class Source { U8, U16, I32 };

struct ProtocolField {
  std::size_t sensorOffset;
  std::size_t ruleOffset;  // record offset inside the protocol block
  Source source;
};

#define SR(field) offsetof(SensorRule, field)

constexpr ProtocolField kTcpFields[] = {
    {SR(p76), 2444, Source::U16}, {SR(p78), 2448, Source::U16}, {SR(p80), 2488, Source::U8},
    {SR(p84), 2452, Source::U16}, {SR(p86), 2456, Source::U16}, {SR(p88), 2489, Source::U8},
    {SR(p92), 2497, Source::U8},  {SR(p96), 2498, Source::U8},  {SR(p124), 2460, Source::I32},
    {SR(p128), 2490, Source::U8}, {SR(p188), 2484, Source::I32}, {SR(p192), 2496, Source::U8},
    {SR(p196), 2464, Source::I32}, {SR(p200), 2491, Source::U8}, {SR(p204), 2468, Source::I32},
    {SR(p208), 2492, Source::U8}, {SR(p212), 2472, Source::I32}, {SR(p216), 2493, Source::U8},
    {SR(p220), 2480, Source::I32}, {SR(p224), 2495, Source::U8}, {SR(p228), 2476, Source::I32},
    {SR(p232), 2494, Source::U8},
};

constexpr ProtocolField kUdpFields[] = {
    {SR(p76), 2444, Source::U16}, {SR(p78), 2448, Source::U16},  {SR(p80), 2468, Source::U8},
    {SR(p84), 2452, Source::U16}, {SR(p86), 2456, Source::U16},  {SR(p88), 2469, Source::U8},
    {SR(p124), 2460, Source::I32}, {SR(p128), 2470, Source::U8}, {SR(p188), 2464, Source::I32},
    {SR(p192), 2471, Source::U8},
};

constexpr ProtocolField kIcmpFields[] = {
    {SR(p100), 2460, Source::U8}, {SR(p104), 2465, Source::U8},  {SR(p108), 2461, Source::U8},
    {SR(p112), 2466, Source::U8}, {SR(p124), 2448, Source::I32}, {SR(p128), 2464, Source::U8},
    {SR(p188), 2456, Source::I32}, {SR(p192), 2468, Source::U8}, {SR(p220), 2440, Source::I32},
    {SR(p224), 2462, Source::U8}, {SR(p228), 2444, Source::I32}, {SR(p232), 2463, Source::U8},
};

constexpr ProtocolField kIgmpFields[] = {
    {SR(p100), 2460, Source::U8}, {SR(p104), 2465, Source::U8}, {SR(p108), 2461, Source::U8},
    {SR(p112), 2466, Source::U8}, {SR(p204), 2452, Source::I32}, {SR(p208), 2467, Source::U8},
};

#undef SR

template <std::size_t N>
void copyProtocolFields(SensorRule& out, const BRule& rule, const ProtocolField (&fields)[N]) {
  unsigned char* base = reinterpret_cast<unsigned char*>(&out);
  for (const ProtocolField& f : fields) {
    const std::uint8_t* from = rule.protocolBlock + protocolBlockIndex(f.ruleOffset);
    if (f.source == Source::U16) {
      std::memcpy(base + f.sensorOffset, from, 2);
    } else {
      std::int32_t value = 0;
      if (f.source == Source::U8) value = *from;
      else std::memcpy(&value, from, 4);
      std::memcpy(base + f.sensorOffset, &value, 4);
    }
  }
}

void copyProtocolBlock(SensorRule& out, const BRule& rule) {
  switch (rule.protocol) {
    case kTcp: copyProtocolFields(out, rule, kTcpFields); break;
    case kUdp: copyProtocolFields(out, rule, kUdpFields); break;
    case kIcmp: copyProtocolFields(out, rule, kIcmpFields); break;
    case kIgmp: copyProtocolFields(out, rule, kIgmpFields); break;
    default: break;  // other protocols carry no protocol fields
  }
}

std::uint16_t matchModeOf(const BRule& rule) {
  if (rule.sourceAddressFlag == 0 && rule.destinationAddressFlag == 0) return 0;
  bool known = rule.matchMode == 0 || rule.matchMode == 1 || rule.matchMode == 3;
  return known ? static_cast<std::uint16_t>(rule.matchMode) : 0;
}

void copyValues(SensorRule& out, const BRule& rule) {
  out.valueA = rule.valueA;
  out.flagA = rule.valueFlags[0];
  out.valueB = rule.valueB;
  out.flagB = rule.valueFlags[1];
  out.valueC = rule.valueC;
  out.flagC = rule.valueFlags[2];
  out.valueD = rule.valueD;
  out.flagD = rule.valueFlags[3];
  out.valueE = rule.valueE;
  out.flagE = rule.valueFlags[4];
  out.valueF = rule.valueF;
  out.flagF = rule.valueFlags[5];
  out.valueG = rule.valueG;
  out.flagG = rule.valueFlags[6];
  out.field164 = rule.toSensor164;
  out.flag164 = rule.flag164;
  out.field172 = rule.toSensor172;
  out.flag172 = rule.flag172;
  out.field386 = rule.toSensor386;
  out.field388 = rule.toSensor388;
  out.field392 = rule.toSensor392;
  out.field394 = rule.toSensor394;
}

}  // namespace

SensorRule toSensorRule(const BRule& rule, const BAddress& source, const BAddress& destination,
                        const std::uint8_t (&schedule)[24]) {
  SensorRule out{};
  out.id = rule.id;
  std::memcpy(out.name, rule.name, strnlen(rule.name, sizeof out.name));
  out.protocol = rule.protocol;
  out.one = 1;
  out.srcAddress1 = source.firstValue;
  out.srcFlag1 = rule.sourceAddressFlag;
  out.srcAddress2 = source.secondValue;
  out.srcFlag2 = rule.sourceAddressFlag;
  out.dstAddress1 = destination.firstValue;
  out.dstFlag1 = rule.destinationAddressFlag;
  out.dstAddress2 = destination.secondValue;
  out.dstFlag2 = rule.destinationAddressFlag;
  copyProtocolBlock(out, rule);
  copyValues(out, rule);
  out.zero = 0;
  out.contentKind = rule.contentKind;
  out.contentLength = convertContent(rule.content, rule.contentForm, rule.contentKind, out.content);
  out.ruleValue = rule.ruleValue;
  out.matchMode = matchModeOf(rule);
  std::memcpy(out.schedule, schedule, sizeof out.schedule);
  return out;
}

DDoSPolicy makeDDoSPolicy(const BRule& rule) {
  writeLog("RuleTable::makeDDoSPolicy()");
  DDoSPolicy out{};
  out.id = rule.id;
  std::uint32_t id = static_cast<std::uint32_t>(rule.id);
  if (id >= kFirstBuiltInPolicy && id <= kLastDDoSPolicyId) {
    std::memcpy(&out.threshold1, rule.protocolBlock + protocolBlockIndex(kThresholdOffsets[0]), 4);
    std::memcpy(&out.threshold2, rule.protocolBlock + protocolBlockIndex(kThresholdOffsets[1]), 4);
    std::memcpy(&out.threshold3, rule.protocolBlock + protocolBlockIndex(kThresholdOffsets[2]), 4);
  }
  out.one = 1;
  out.ruleValue = rule.ruleValue;
  out.zero = 0;
  return out;
}

}  // namespace cvlm
