// Statement texts and table names, checked literally (spacing, tabs and the
// one agreed change: the system table's time column is "timestamp").
#include <gtest/gtest.h>

#include "logserver/log_statements.h"
#include "logserver/tests/support/fake_sensor.h"

namespace {

using namespace halvern;
using halvern_testing::address;

std::tm at(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

const Ipv4Address kSensor = address(10, 1, 2, 3);

TEST(LogStatementsTest, TableNamesAndAddressDigits) {
  EXPECT_EQ(ipDigits(kSensor), "010001002003");
  EXPECT_EQ(ipDigits(address(255, 0, 10, 192)), "255000010192");
  EXPECT_EQ(logTableName(kAttackTableKind, 2003, 2, 25, kSensor), "t01000100200320030225");
  EXPECT_EQ(logTableName(kPacketTableKind, 2003, 12, 1, kSensor), "p01000100200320031201");
  EXPECT_EQ(logTableName(2, 2003, 2, 25, kSensor), "");
}

TEST(LogStatementsTest, StatementTextsAreSentExactlyAsWritten) {
  AttackLogRecord attack{0x00100001, address(192, 168, 1, 2), address(10, 0, 0, 1), 3, 0, 0, 77, 5};
  PacketLogHeader packet{0, 12, 0, 2};
  SystemLogRecord plain{4, 2, 7, {}, 0, 9, 5};
  SystemLogRecord addressed{4, 2, static_cast<std::int32_t>(0xC0A80102), {}, 0, 9, 21};
  std::tm begin = at(2003, 2, 25, 8, 23, 36), end = at(2003, 2, 25, 9, 0, 5);
  struct Case {
    const char* name;
    std::string statement;
    const char* expected;
  } cases[] = {
      {"attack insert", attackInsert("t01000100200320030225", attack, begin, end),
       "Insert into t01000100200320030225 Values( 1048577, 192168001002, 010000000001, 3, 2003, 2, 25, 082336, 2, "
       "25, 090005, 77,5 )"},
      {"attack table", attackTableStatement("t01000100200320030225"),
       "CREATE TABLE t01000100200320030225  (AttackID int UNSIGNED ,SourceIP bigint ,ScopeIP bigint ,Ifno tinyint "
       ",Year int ,BMonth tinyint ,BDay tinyint ,BTime time ,EMonth tinyint ,EDay tinyint ,ETime time ,Eseq int "
       ",PacketNum int)"},
      {"day lookup", dayLookup(kSensor, begin), "Select * from table0100010020032003 where month= 2 and day= 25"},
      {"day table", dayTableStatement(kSensor, begin), "Create table table0100010020032003 (month int,day int)"},
      {"day insert", dayInsert(kSensor, begin), "Insert into table0100010020032003 values( 2,25 )"},
      {"packet insert head", packetInsertHead("p01000100200320030225", packet, begin),
       "Insert into p01000100200320030225 values( NULL, 12, 2, 25, 082336, 2, 25, 082336, 2, '"},
      {"packet insert tail", kPacketInsertTail, "')"},
      {"packet table", packetTableStatement("p01000100200320030225"),
       "CREATE TABLE p01000100200320030225 ( PKey bigint NOT NULL AUTO_INCREMENT PRIMARY KEY,Eseq\tint ,BMonth "
       "tinyint ,BDay tinyint ,BTime time ,PMonth tinyint ,PDay tinyint ,PTime time ,Plen int ,Header BLOB  )"},
      {"system insert, number", systemInsert(kSensor, plain, begin),
       "Insert into log010001002003 values( 4,20030225082336,9,5,2,'7')"},
      {"system insert, address", systemInsert(kSensor, addressed, at(2003, 12, 1, 0, 0, 5)),
       "Insert into log010001002003 values( 4,20031201000005,9,21,2,'192.168.001.002')"},
      {"system table", systemTableStatement(kSensor),
       "Create table log010001002003 ( SysID int , Systime timestamp , SysEseq int , MesID int, MseType int, Value "
       "char(50))"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.statement, c.expected) << c.name;
}

TEST(LogStatementsTest, ValueTextIsDottedForAddressMessagesOnly) {
  struct Case {
    std::int32_t mesId;
    std::uint32_t value;
    const char* text;
  } cases[] = {
      {20, 0xC0A80102, "192.168.001.002"}, {21, 0xC0A80102, "192.168.001.002"}, {22, 0x0A000001, "010.000.000.001"},
      {23, 0xFFFFFFFF, "255.255.255.255"}, {28, 0, "000.000.000.000"},          {5, 7, "7"},
      {24, 0xC0A80102, "-1062731518"},     {19, 0xFFFFFFFF, "-1"},
  };
  for (const Case& c : cases) {
    SystemLogRecord r{};
    r.MesID = c.mesId;
    r.value = static_cast<std::int32_t>(c.value);
    EXPECT_EQ(systemValueText(r), c.text) << c.mesId;
  }
}

}  // namespace
