// Wire layouts of the sensor log protocol: decoding from little-endian bytes
// and the boundary between attack and system records.
#include <gtest/gtest.h>

#include "logserver/log_records.h"
#include "logserver/tests/support/fake_sensor.h"

namespace {

using namespace halvern_testing;

TEST(LogRecordsTest, FirstWordDecidesBetweenSystemAndAttackRecord) {
  struct Case {
    std::uint32_t firstWord;
    bool attack;
  } cases[] = {{0, false}, {0x000FFFFE, false}, {0x000FFFFF, true}, {0x00100001, true}, {0xFFFFFFFF, true},
               {0x80000000, true}};
  for (const Case& c : cases) {
    std::string record = word(c.firstWord) + std::string(28, '\0');
    EXPECT_EQ(halvern::isAttackRecord(record.data()), c.attack) << std::hex << c.firstWord;
  }
}

TEST(LogRecordsTest, DecodesEveryFieldFromItsWireBytes) {
  std::string attack = word(0x00100001) + "\x0a\x01\x02\x03" + "\xc0\xa8\x01\x02" + word(0xFFFFFFFE) +
                       word(1046161416) + word(1046161476) + word(77) + word(5);
  halvern::AttackLogRecord a = halvern::decodeAttackLogRecord(attack.data());
  EXPECT_EQ(a.AttackID, 0x00100001u);
  EXPECT_EQ(addressBytes(a.SourceIP), "\x0a\x01\x02\x03");
  EXPECT_EQ(addressBytes(a.ScopeIP), "\xc0\xa8\x01\x02");
  EXPECT_EQ(a.Ifno, -2);
  EXPECT_EQ(a.beginTime, 1046161416);
  EXPECT_EQ(a.endTime, 1046161476);
  EXPECT_EQ(a.Eseq, 77);
  EXPECT_EQ(a.PacketNum, 5);
  EXPECT_EQ(encode(a), attack);

  std::string system = word(3) + word(4) + std::string("\x02\x01\xa8\xc0", 4) + std::string("12345678") +
                       word(1046161416) + word(9) + word(21);
  halvern::SystemLogRecord s = halvern::decodeSystemLogRecord(system.data());
  EXPECT_EQ(s.SysID, 3);
  EXPECT_EQ(s.MseType, 4);
  EXPECT_EQ(static_cast<std::uint32_t>(s.value), 0xC0A80102u);
  EXPECT_EQ(s.Systime, 1046161416);
  EXPECT_EQ(s.SysEseq, 9);
  EXPECT_EQ(s.MesID, 21);
  EXPECT_EQ(encode(s), system);

  std::string header = word(1046161416) + word(12) + word(0xDEADBEEF) + word(25);
  halvern::PacketLogHeader h = halvern::decodePacketLogHeader(header.data());
  EXPECT_EQ(h.packetTime, 1046161416);
  EXPECT_EQ(h.Eseq, 12);
  EXPECT_EQ(h.Plen, 25);
  EXPECT_EQ(encode(h), header);

  std::string alert = word(4660) + "\x01\x02\x03\x04" + "\x05\x06\x07\x08" + word(10) + word(20) + word(0xFFFFFFFF);
  halvern::AlertRecord r = halvern::decodeAlertRecord(alert.data());
  EXPECT_EQ(r.ruleId, 4660u);
  EXPECT_EQ(addressBytes(r.destination), "\x05\x06\x07\x08");
  EXPECT_EQ(r.count, -1);
  EXPECT_EQ(encode(r), alert);
}

}  // namespace
