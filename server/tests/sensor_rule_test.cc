// Conversion of rule book records into sensor rules and DDoS policies: the
// plain copies, match modes, schedules and the per-protocol field table,
// checked at the sensor record's byte offsets.
#include "server/push/sensor_rule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/byte_order.h"

namespace cvlm {
namespace {

std::uint32_t sensorField(const SensorRule& r, std::size_t offset, int width) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&r) + offset;
  return width == 2 ? static_cast<std::uint32_t>(p[0] | p[1] << 8) : static_cast<std::uint32_t>(formats::getInt32(p, 0));
}

std::uint32_t ruleField(const BRule& r, std::size_t offset, int width) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&r) + offset;
  if (width == 1) return p[0];
  if (width == 2) return static_cast<std::uint32_t>(p[0] | p[1] << 8);
  return static_cast<std::uint32_t>(formats::getInt32(p, 0));
}

// A rule whose every byte differs from its neighbours, with the given protocol.
BRule patternedRule(std::uint8_t protocol) {
  BRule rule;
  unsigned char* p = reinterpret_cast<unsigned char*>(&rule);
  for (std::size_t i = 0; i < sizeof rule; ++i) p[i] = static_cast<unsigned char>(i * 7 + 3);
  rule.protocol = protocol;
  rule.contentForm = 1;
  return rule;
}

const std::uint8_t kNoSchedule[24] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

struct Copy {
  std::size_t sensorOffset;
  int sensorWidth;
  std::size_t ruleOffset;
  int ruleWidth;
};

TEST(SensorRuleConversion, CopiesTheFieldsEveryProtocolCarries) {
  BRule rule = patternedRule(6);
  const Copy copies[] = {
      {0, 4, 0, 4},        {36, 4, 2230, 1},    {48, 4, 2431, 1},    {56, 4, 2431, 1},    {64, 4, 2432, 1},
      {72, 4, 2432, 1},    {116, 4, 2396, 4},   {120, 4, 2433, 1},   {132, 4, 2404, 4},   {136, 4, 2435, 1},
      {140, 4, 2400, 4},   {144, 4, 2434, 1},   {148, 4, 2408, 4},   {152, 4, 2436, 1},   {156, 4, 2412, 4},
      {160, 4, 2437, 1},   {164, 4, 2378, 1},   {168, 4, 2429, 1},   {172, 4, 2379, 1},   {176, 4, 2430, 1},
      {180, 4, 2416, 4},   {184, 4, 2438, 1},   {236, 4, 2424, 4},   {240, 4, 2439, 1},   {248, 4, 2377, 1},
      {380, 4, 2232, 4},   {386, 2, 2246, 2},   {388, 2, 2244, 2},   {392, 2, 2236, 2},   {394, 2, 2238, 2},
  };
  BAddress source;
  source.firstValue = 0x0A000001;
  source.secondValue = 0x0A0000FF;
  BAddress destination;
  destination.firstValue = 0x0B000001;
  destination.secondValue = 0x0B0000FF;
  SensorRule out = toSensorRule(rule, source, destination, kNoSchedule);
  for (const Copy& c : copies) {
    EXPECT_EQ(sensorField(out, c.sensorOffset, c.sensorWidth), ruleField(rule, c.ruleOffset, c.ruleWidth))
        << "sensor offset " << c.sensorOffset;
  }
  EXPECT_EQ(sensorField(out, 40, 4), 1u);
  EXPECT_EQ(sensorField(out, 44, 4), 0x0A000001u);
  EXPECT_EQ(sensorField(out, 52, 4), 0x0A0000FFu);
  EXPECT_EQ(sensorField(out, 60, 4), 0x0B000001u);
  EXPECT_EQ(sensorField(out, 68, 4), 0x0B0000FFu);
  EXPECT_EQ(sensorField(out, 244, 4), 0u);
  EXPECT_EQ(0, std::memcmp(out.schedule, kNoSchedule, 24));
}

TEST(SensorRuleConversion, TakesTheFirst32BytesOfTheName) {
  BRule rule;
  formats::setFieldText(rule.name, "short");
  SensorRule out = toSensorRule(rule, BAddress{}, BAddress{}, kNoSchedule);
  EXPECT_EQ(std::string(out.name, 32), std::string("short") + std::string(27, '\0'));

  formats::setFieldText(rule.name, std::string(40, 'n'));
  out = toSensorRule(rule, BAddress{}, BAddress{}, kNoSchedule);
  EXPECT_EQ(std::string(out.name, 32), std::string(32, 'n'));  // not terminated
  EXPECT_EQ(out.protocol, 0);                                  // the field after the name
}

TEST(SensorRuleConversion, FollowsTheProtocolTable) {
  struct ProtocolCase {
    std::uint8_t protocol;
    std::vector<Copy> copies;
  };
  const ProtocolCase cases[] = {
      {6,
       {{76, 2, 2444, 2}, {78, 2, 2448, 2}, {80, 4, 2488, 1}, {84, 2, 2452, 2}, {86, 2, 2456, 2},
        {88, 4, 2489, 1}, {92, 4, 2497, 1}, {96, 4, 2498, 1}, {124, 4, 2460, 4}, {128, 4, 2490, 1},
        {188, 4, 2484, 4}, {192, 4, 2496, 1}, {196, 4, 2464, 4}, {200, 4, 2491, 1}, {204, 4, 2468, 4},
        {208, 4, 2492, 1}, {212, 4, 2472, 4}, {216, 4, 2493, 1}, {220, 4, 2480, 4}, {224, 4, 2495, 1},
        {228, 4, 2476, 4}, {232, 4, 2494, 1}}},
      {17,
       {{76, 2, 2444, 2}, {78, 2, 2448, 2}, {80, 4, 2468, 1}, {84, 2, 2452, 2}, {86, 2, 2456, 2},
        {88, 4, 2469, 1}, {124, 4, 2460, 4}, {128, 4, 2470, 1}, {188, 4, 2464, 4}, {192, 4, 2471, 1}}},
      {1,
       {{100, 4, 2460, 1}, {104, 4, 2465, 1}, {108, 4, 2461, 1}, {112, 4, 2466, 1}, {124, 4, 2448, 4},
        {128, 4, 2464, 1}, {188, 4, 2456, 4}, {192, 4, 2468, 1}, {220, 4, 2440, 4}, {224, 4, 2462, 1},
        {228, 4, 2444, 4}, {232, 4, 2463, 1}}},
      {2,
       {{100, 4, 2460, 1}, {104, 4, 2465, 1}, {108, 4, 2461, 1}, {112, 4, 2466, 1}, {204, 4, 2452, 4},
        {208, 4, 2467, 1}}},
      {0, {}},
      {47, {}},
  };
  // The protocol-dependent areas of the sensor rule.
  const std::pair<std::size_t, std::size_t> areas[] = {{76, 116}, {124, 132}, {188, 236}};
  for (const ProtocolCase& c : cases) {
    BRule rule = patternedRule(c.protocol);
    SensorRule out = toSensorRule(rule, BAddress{}, BAddress{}, kNoSchedule);
    std::vector<bool> filled(sizeof out, false);
    for (const Copy& copy : c.copies) {
      EXPECT_EQ(sensorField(out, copy.sensorOffset, copy.sensorWidth), ruleField(rule, copy.ruleOffset, copy.ruleWidth))
          << "protocol " << int(c.protocol) << " sensor offset " << copy.sensorOffset;
      for (int i = 0; i < copy.sensorWidth; ++i) filled[copy.sensorOffset + i] = true;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&out);
    for (auto [from, to] : areas) {
      for (std::size_t i = from; i < to; ++i) {
        if (!filled[i]) {
          EXPECT_EQ(bytes[i], 0) << "protocol " << int(c.protocol) << " byte " << i;
        }
      }
    }
  }
}

TEST(SensorRuleConversion, MatchModeNeedsAnAddressFlagAndAKnownMode) {
  struct ModeCase {
    std::int32_t mode;
    std::uint8_t sourceFlag;
    std::uint8_t destinationFlag;
    std::uint16_t expected;
  };
  const ModeCase cases[] = {
      {0, 1, 0, 0}, {1, 1, 0, 1}, {3, 0, 1, 3}, {2, 1, 1, 0}, {4, 1, 1, 0}, {-1, 1, 0, 0}, {3, 0, 0, 0}, {1, 0, 0, 0},
  };
  for (const ModeCase& c : cases) {
    BRule rule;
    rule.matchMode = c.mode;
    rule.sourceAddressFlag = c.sourceFlag;
    rule.destinationAddressFlag = c.destinationFlag;
    SensorRule out = toSensorRule(rule, BAddress{}, BAddress{}, kNoSchedule);
    EXPECT_EQ(sensorField(out, 390, 2), c.expected) << "mode " << c.mode;
  }
}

TEST(SensorRuleConversion, CarriesScheduleBytesAndContent) {
  BRule rule;
  formats::setFieldText(rule.content, "abc");
  rule.contentForm = 0;
  rule.contentKind = 16;
  std::uint8_t schedule[24];
  for (int i = 0; i < 24; ++i) schedule[i] = static_cast<std::uint8_t>(i);
  SensorRule out = toSensorRule(rule, BAddress{}, BAddress{}, schedule);
  EXPECT_EQ(0, std::memcmp(reinterpret_cast<const unsigned char*>(&out) + 396, schedule, 24));
  EXPECT_EQ(out.content[0], 0x0A);
  EXPECT_EQ(out.content[1], 0xBC);
  EXPECT_EQ(sensorField(out, 384, 2), 2u);
  EXPECT_EQ(sensorField(out, 248, 4), 16u);
}

TEST(DDoSPolicyConversion, SendsThresholdsOnlyForBuiltInIds) {
  struct PolicyCase {
    std::int32_t id;
    bool thresholds;
  };
  const PolicyCase cases[] = {{0x00100001, true}, {0x00100008, true}, {0x00100000, false}, {0, false}, {5, false}};
  for (const PolicyCase& c : cases) {
    BRule rule;
    rule.id = c.id;
    rule.ruleValue = 1289;
    formats::putInt32(&rule, 2440, 100);
    formats::putInt32(&rule, 2444, 50);
    formats::putInt32(&rule, 2448, 51);
    DDoSPolicy out = makeDDoSPolicy(rule);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&out);
    EXPECT_EQ(formats::getInt32(p, 0), c.id);
    EXPECT_EQ(formats::getInt32(p, 4), c.thresholds ? 100 : 0);
    EXPECT_EQ(formats::getInt32(p, 8), c.thresholds ? 50 : 0);
    EXPECT_EQ(formats::getInt32(p, 12), c.thresholds ? 51 : 0);
    EXPECT_EQ(formats::getInt32(p, 16), 1);
    EXPECT_EQ(formats::getInt32(p, 20), 1289);
    EXPECT_EQ(formats::getInt32(p, 24), 0);
  }
}

}  // namespace
}  // namespace cvlm
