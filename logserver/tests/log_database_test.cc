// The MySQL log writer against the private MariaDB server (TZ=UTC): tables
// created on demand, the rows and the standard-output lines, byte-exact
// payloads, concurrent creators, non-strict values and failures.
#include <gtest/gtest.h>

#include <barrier>
#include <fstream>
#include <thread>

#include "logserver/log_database.h"
#include "logserver/log_statements.h"
#include "logserver/tests/support/fake_sensor.h"
#include "logserver/tests/support/mariadb_server.h"
#include "logserver/tests/support/running_listener.h"
#include "platform_testing/temp_dir.h"

namespace {

using namespace halvern_testing;
using halvern::AttackLogRecord;
using halvern::LogDatabase;
using halvern::PacketLogHeader;
using halvern::SystemLogRecord;

const halvern::Ipv4Address kSensor = address(10, 1, 2, 3);
constexpr std::int32_t k20030225_082336 = 1046161416;
constexpr std::int32_t k20030225_090005 = 1046163605;
constexpr std::int32_t kOneDay = 86400;

Row row(std::initializer_list<const char*> columns) {
  Row r;
  for (const char* c : columns) r.emplace_back(c ? std::optional<std::string>(c) : std::nullopt);
  return r;
}

std::vector<Row> rowsOf(const std::string& sql) { return mariaDb().query(sql); }

class LogDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mariaDb().resetDatabase();
    ASSERT_EQ(db.connect(), 0) << output.err();
  }

  CapturedOutput output;
  LogDatabase db;
};

TEST_F(LogDatabaseTest, AttackRecordCreatesItsDayTableAndOneDayIndexRow) {
  AttackLogRecord attack{0x00100001, address(192, 168, 1, 2), address(10, 0, 0, 1), 3, k20030225_082336,
                         k20030225_090005, 77, 5};
  ASSERT_EQ(db.insertAttackLog(attack, kSensor), 0);
  const std::string insert =
      "Insert into t01000100200320030225 Values( 1048577, 192168001002, 010000000001, 3, 2003, 2, 25, 082336, 2, 25, "
      "090005, 77,5 )";
  const std::string lookup = "Select * from table0100010020032003 where month= 2 and day= 25";
  EXPECT_EQ(output.out(), "cmd : " + insert + "\ncmd : " + halvern::attackTableStatement("t01000100200320030225") +
                              "\n" + lookup + "\n");

  output.clear();
  attack.Eseq = 78;
  ASSERT_EQ(db.insertAttackLog(attack, kSensor), 0);
  EXPECT_EQ(output.out(), "cmd : " + std::string(insert).replace(insert.find("77,5"), 4, "78,5") + "\n" + lookup +
                              "\nGet 1 \n");

  EXPECT_EQ(rowsOf("SELECT * FROM IDS.t01000100200320030225 ORDER BY Eseq"),
            (std::vector<Row>{row({"1048577", "192168001002", "10000000001", "3", "2003", "2", "25", "08:23:36", "2",
                                   "25", "09:00:05", "77", "5"}),
                              row({"1048577", "192168001002", "10000000001", "3", "2003", "2", "25", "08:23:36", "2",
                                   "25", "09:00:05", "78", "5"})}));
  EXPECT_EQ(rowsOf("SELECT * FROM IDS.table0100010020032003"), (std::vector<Row>{row({"2", "25"})}));

  // The next day gets its own table and a second index row.
  attack.beginTime += kOneDay;
  ASSERT_EQ(db.insertAttackLog(attack, kSensor), 0);
  EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS.t01000100200320030226"), (std::vector<Row>{row({"1"})}));
  EXPECT_EQ(rowsOf("SELECT * FROM IDS.table0100010020032003 ORDER BY day"),
            (std::vector<Row>{row({"2", "25"}), row({"2", "26"})}));
}

TEST_F(LogDatabaseTest, SystemRecordStoresTheValueTextOfItsMessage) {
  SystemLogRecord addressed{4, 2, 0, {}, k20030225_082336, 9, 21};
  std::memcpy(&addressed.value, "\x02\x01\xa8\xc0", 4);  // the wire bytes, read little-endian
  addressed = halvern::decodeSystemLogRecord(encode(addressed).data());
  SystemLogRecord plain{5, 1, 7, {}, k20030225_090005, 10, 5};
  ASSERT_EQ(db.insertSystemLog(addressed, kSensor), 0);
  ASSERT_EQ(db.insertSystemLog(plain, kSensor), 0);
  EXPECT_EQ(output.out(),
            "\nInsert into log010001002003 values( 4,20030225082336,9,21,2,'192.168.001.002')"
            "\nInsert into log010001002003 values( 5,20030225090005,10,5,1,'7')");
  EXPECT_EQ(rowsOf("SELECT * FROM IDS.log010001002003 ORDER BY SysID"),
            (std::vector<Row>{row({"4", "2003-02-25 08:23:36", "9", "21", "2", "192.168.001.002"}),
                              row({"5", "2003-02-25 09:00:05", "10", "5", "1", "7"})}));
}

TEST_F(LogDatabaseTest, PacketPayloadIsStoredByteForByteAndAnEmptyOneAsEmpty) {
  std::string payload(256, '\0');
  for (int i = 0; i < 256; ++i) payload[i] = static_cast<char>(i);  // NUL, ', \, CR, LF, 0x1A and the rest
  PacketLogHeader header{k20030225_082336, 12, 0, 4};
  ASSERT_EQ(db.insertPacketLog(header, reinterpret_cast<const unsigned char*>(payload.data()), kSensor), 0);
  EXPECT_EQ(output.out(), "Error: Table 'IDS.p01000100200320030225' doesn't exist\n");
  PacketLogHeader empty{k20030225_090005, 13, 0, 0};
  ASSERT_EQ(db.insertPacketLog(empty, nullptr, kSensor), 0);

  std::vector<Row> stored = rowsOf("SELECT * FROM IDS.p01000100200320030225 ORDER BY PKey");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], (Row{"1", "12", "2", "25", "08:23:36", "2", "25", "08:23:36", "4", payload}));
  EXPECT_EQ(stored[1], (Row{"2", "13", "2", "25", "09:00:05", "2", "25", "09:00:05", "0", ""}));
}

TEST_F(LogDatabaseTest, OutOfRangeValuesAreStoredClampedInsteadOfFailing) {
  AttackLogRecord attack{0x00100001, kSensor, kSensor, 300, k20030225_082336, k20030225_082336, 1, 1};
  EXPECT_EQ(db.insertAttackLog(attack, kSensor), 0);
  SystemLogRecord epoch{1, 1, 1, {}, 0, 1, 1};
  EXPECT_EQ(db.insertSystemLog(epoch, kSensor), 0);
  EXPECT_EQ(rowsOf("SELECT Ifno FROM IDS.t01000100200320030225"), (std::vector<Row>{row({"127"})}));
  EXPECT_EQ(rowsOf("SELECT Systime FROM IDS.log010001002003"), (std::vector<Row>{row({"0000-00-00 00:00:00"})}));
}

TEST_F(LogDatabaseTest, InsertThatFailsForAnotherReasonIsNotFollowedByACreate) {
  std::string error;
  ASSERT_TRUE(mariaDb().execute("CREATE TABLE IDS.t01000100200320030225 (only int)", &error)) << error;
  ASSERT_TRUE(mariaDb().execute("CREATE TABLE IDS.log010001002003 (only int)", &error)) << error;
  ASSERT_TRUE(mariaDb().execute("CREATE TABLE IDS.p01000100200320030225 (only int)", &error)) << error;
  AttackLogRecord attack{0x00100001, kSensor, kSensor, 1, k20030225_082336, k20030225_082336, 1, 1};
  EXPECT_EQ(db.insertAttackLog(attack, kSensor), 1);
  EXPECT_EQ(db.insertSystemLog(SystemLogRecord{1, 1, 1, {}, k20030225_082336, 1, 1}, kSensor), 1);
  EXPECT_EQ(db.insertPacketLog(PacketLogHeader{k20030225_082336, 1, 0, 0}, nullptr, kSensor), 1);
  EXPECT_EQ(output.out().find("CREATE TABLE"), std::string::npos) << output.out();
  EXPECT_EQ(output.out().find("Create table"), std::string::npos) << output.out();
}

TEST_F(LogDatabaseTest, TwoSessionsOfANewSensorStartingTogetherBothStoreTheirRecords) {
  constexpr int kRounds = 6;
  LogDatabase other;
  ASSERT_EQ(other.connect(), 0);
  std::barrier start(2);
  int results[2][kRounds][3] = {};
  auto writer = [&](LogDatabase& database, int who) {
    for (int round = 0; round < kRounds; ++round) {
      std::int32_t day = k20030225_082336 + round * kOneDay;
      AttackLogRecord attack{0x00100001, kSensor, kSensor, 1, day, day, who, round};
      start.arrive_and_wait();
      results[who][round][0] = database.insertAttackLog(attack, kSensor);
      results[who][round][1] = database.insertPacketLog(PacketLogHeader{day, who, 0, 0}, nullptr, kSensor);
      results[who][round][2] = database.insertSystemLog(SystemLogRecord{round, 1, who, {}, day, who, 5}, kSensor);
    }
  };
  std::thread second(writer, std::ref(other), 1);
  writer(db, 0);
  second.join();
  for (int who = 0; who < 2; ++who)
    for (int round = 0; round < kRounds; ++round)
      for (int kind = 0; kind < 3; ++kind) EXPECT_EQ(results[who][round][kind], 0) << who << round << kind;
  for (int round = 0; round < kRounds; ++round) {
    std::string date = "200302" + std::to_string(25 + round);
    if (round >= 4) date = "2003030" + std::to_string(round - 3);
    EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS.t010001002003" + date), (std::vector<Row>{row({"2"})})) << date;
    EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS.p010001002003" + date), (std::vector<Row>{row({"2"})})) << date;
  }
  EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS.log010001002003"), (std::vector<Row>{row({"12"})}));
}

// Through a session: the record kinds go to their tables, and a writer
// failure ends the session.
class SessionStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mariaDb().resetDatabase();
    std::ofstream(dir.file("log.ini")) << "key\nip=192.168.1.10\n";
  }
  platform_testing::TempDir dir;
  platform_testing::ScopedCwd cwd{dir.path()};
  CapturedOutput output;
  RunningListener server{loopbackConfig()};
};

TEST_F(SessionStorageTest, RecordKindsLandInTheirTablesAndTheSlotIsFreedAtTheEnd) {
  FakeSensor sensor(server.port());
  ASSERT_TRUE(sensor.greet(kSensor));
  AttackLogRecord attack{0x000FFFFF, kSensor, kSensor, 1, k20030225_082336, k20030225_082336, 1, 1};
  AttackLogRecord second{0x00100001, kSensor, kSensor, 1, k20030225_082336, k20030225_082336, 2, 1};
  SystemLogRecord system{0x000FFFFE, 1, 7, {}, k20030225_082336, 1, 5};
  std::string payload = "GET / HTTP/1.0\r\n\r\n";
  payload.resize(64, '\0');
  ASSERT_TRUE(sensor.send(logItem(encode(attack)) + logItem(encode(system)) + logItem(encode(second)) +
                          packetItem(PacketLogHeader{k20030225_082336, 3, 0, 1}, payload)));
  sensor.close();
  ASSERT_TRUE(server.listener().waitSessionsEnded(10000));
  EXPECT_EQ(rowsOf("SELECT AttackID, Eseq FROM IDS.t01000100200320030225 ORDER BY Eseq"),
            (std::vector<Row>{row({"1048575", "1"}), row({"1048577", "2"})}));
  EXPECT_EQ(rowsOf("SELECT SysID, Value FROM IDS.log010001002003"), (std::vector<Row>{row({"1048574", "7"})}));
  EXPECT_EQ(rowsOf("SELECT Header FROM IDS.p01000100200320030225"), (std::vector<Row>{Row{payload}}));
  EXPECT_NE(output.out().find("\nStep 5\nError: Table 'IDS.p01000100200320030225' doesn't exist\n\nInserting "
                              "packets.\n\n\nStep 3\n"),
            std::string::npos)
      << output.out();
}

TEST_F(SessionStorageTest, FiveSessionsOfOneSensorWritingTheSameNewDaysLeaveOneIndexRowPerDay) {
  constexpr int kSessions = 5;
  constexpr int kDays = 10;
  std::barrier start(kSessions);
  std::vector<std::thread> sessions;
  std::atomic<int> ended{0};
  for (int s = 0; s < kSessions; ++s) {
    sessions.emplace_back([&, s] {
      FakeSensor sensor(server.port());
      if (!sensor.greet(kSensor)) return;
      std::string records;
      for (int day = 0; day < kDays; ++day) {
        std::int32_t time = k20030225_082336 + day * kOneDay;
        records += logItem(encode(AttackLogRecord{0x00100001, kSensor, kSensor, 1, time, time, s, day}));
      }
      start.arrive_and_wait();
      if (!sensor.send(records)) return;
      sensor.shutdownWrite();
      if (sensor.closedByServer(10000)) ++ended;
    });
  }
  for (auto& t : sessions) t.join();
  EXPECT_EQ(ended.load(), kSessions);
  ASSERT_TRUE(server.listener().waitSessionsEnded(10000));
  std::vector<Row> days;
  for (int day = 0; day < kDays; ++day) {
    std::tm date{};
    std::time_t time = k20030225_082336 + day * kOneDay;
    ::gmtime_r(&time, &date);
    days.push_back(row({std::to_string(date.tm_mon + 1).c_str(), std::to_string(date.tm_mday).c_str()}));
    std::string table = halvern::logTableName(halvern::kAttackTableKind, 2003, date.tm_mon + 1, date.tm_mday, kSensor);
    EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS." + table), (std::vector<Row>{row({"5"})})) << table;
  }
  EXPECT_EQ(rowsOf("SELECT month, day FROM IDS.table0100010020032003 ORDER BY month, day"), days);
}

TEST_F(SessionStorageTest, WriterFailureEndsTheSessionAndKeepsWhatWasStored) {
  std::string error;
  ASSERT_TRUE(mariaDb().execute("CREATE TABLE IDS.log010001002003 (only int)", &error)) << error;
  FakeSensor sensor(server.port());
  ASSERT_TRUE(sensor.greet(kSensor));
  AttackLogRecord attack{0x00100001, kSensor, kSensor, 1, k20030225_082336, k20030225_082336, 1, 1};
  ASSERT_TRUE(sensor.send(logItem(encode(attack)) + logItem(encode(SystemLogRecord{1, 1, 1, {}, 0, 1, 1}))));
  EXPECT_TRUE(sensor.closedByServer());
  EXPECT_EQ(rowsOf("SELECT COUNT(*) FROM IDS.t01000100200320030225"), (std::vector<Row>{row({"1"})}));
}

}  // namespace
