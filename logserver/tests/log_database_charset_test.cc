// The log writer against a MariaDB server whose init_connect switches every
// ordinary account to gbk, a multi-byte character set in which an escaped
// quote can turn into the second byte of a character.
#include <mysql.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "logserver/constants.h"
#include "logserver/log_database.h"
#include "logserver/tests/support/fake_sensor.h"
#include "logserver/tests/support/mariadb_server.h"
#include "logserver/tests/support/running_listener.h"

namespace {

using namespace halvern_testing;

const halvern::Ipv4Address kSensor = address(10, 1, 2, 3);
constexpr std::int32_t k20030225_082336 = 1046161416;

// What a connection of the log server's own account gets from the server,
// before it sets anything itself.
std::string accountCharacterSet() {
  MYSQL mysql;
  mysql_init(&mysql);
  std::string charset = "(no connection)";
  if (mysql_real_connect(&mysql, halvern::kDatabaseHost, halvern::kDatabaseUser, halvern::kDatabasePassword,
                         halvern::kDatabaseName, 0, nullptr, 0) &&
      mysql_query(&mysql, "SELECT @@character_set_client, @@character_set_connection") == 0) {
    if (MYSQL_RES* result = mysql_store_result(&mysql)) {
      if (MYSQL_ROW row = mysql_fetch_row(result)) charset = std::string(row[0]) + "/" + row[1];
      mysql_free_result(result);
    }
  }
  mysql_close(&mysql);
  return charset;
}

// A full 64-byte unit: the text, then blanks.
std::string unit(std::string text) {
  text.resize(halvern::kPayloadUnit, ' ');
  return text;
}

TEST(LogDatabaseCharsetTest, PayloadIsStoredByteForByteWhenTheServerSwitchesTheAccountToGbk) {
  mariaDb().resetDatabase();
  ASSERT_EQ(accountCharacterSet(), "gbk/gbk");

  // Escaped as 0xBF 0x5C 0x27, which gbk reads as one character and a quote
  // that ends the text: the rest would be a second, forged row.
  std::string forging = unit("\xBF' ), ( NULL, 666, 1, 1, 0, 1, 1, 0, 0, 0x666f72676564 )#");
  std::string mixed = unit(std::string("\xBF'\xBF\\\xBF\"\xBF\0'\\\0\\\\''\xA1\x5C\xBF", 18) + "\xBF\x27 end");
  CapturedOutput output;
  halvern::LogDatabase db;
  ASSERT_EQ(db.connect(), 0) << output.err();
  const std::string payloads[] = {forging, mixed};
  for (int i = 0; i < 2; ++i) {
    halvern::PacketLogHeader header{k20030225_082336, i, 0, 1};
    EXPECT_EQ(db.insertPacketLog(header, reinterpret_cast<const unsigned char*>(payloads[i].data()), kSensor), 0)
        << i << output.out();
  }

  std::vector<Row> stored = mariaDb().query("SELECT Eseq, Header FROM IDS.p01000100200320030225 ORDER BY PKey");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], (Row{"0", forging}));
  EXPECT_EQ(stored[1], (Row{"1", mixed}));
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new MariaDbEnvironment({"--init-connect=SET NAMES gbk"}));
  return RUN_ALL_TESTS();
}
