// The MySQL connection of a session and the writers: each tries its insert,
// creates the table when it does not exist yet and tries once more.
#include "logserver/log_database.h"

#include <mysqld_error.h>

#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "logserver/console_output.h"
#include "logserver/constants.h"
#include "logserver/log_statements.h"
#include "platform/clock.h"

namespace halvern {

void LogDatabase::libraryInit() {
  static std::once_flag once;
  std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

void LogDatabase::libraryEnd() { mysql_library_end(); }

void LogDatabase::threadEnd() { mysql_thread_end(); }

LogDatabase::~LogDatabase() { close(); }

int LogDatabase::connect() {
  libraryInit();
  close();
  if (!mysql_init(&mysql_)) {
    printError("Failed to connect to database: Error: out of memory\n");
    return 1;
  }
  initialised_ = true;
  unsigned connectSeconds = kDatabaseConnectSeconds, readWriteSeconds = kDatabaseReadWriteSeconds;
  mysql_options(&mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &connectSeconds);
  mysql_options(&mysql_, MYSQL_OPT_READ_TIMEOUT, &readWriteSeconds);
  mysql_options(&mysql_, MYSQL_OPT_WRITE_TIMEOUT, &readWriteSeconds);
  bool connected = mysql_real_connect(&mysql_, kDatabaseHost, kDatabaseUser, kDatabasePassword, kDatabaseName, 0,
                                      nullptr, 0) != nullptr;
  // The escaping of the payload must use the character set the server reads
  // it in, so the session states its own instead of taking the server's.
  if (connected) connected = mysql_set_character_set(&mysql_, kDatabaseCharset) == 0;
  if (connected) {
    std::string mode = std::string("SET SESSION sql_mode = '") + kSessionSqlMode + "'";
    connected = mysql_query(&mysql_, mode.c_str()) == 0;
  }
  if (!connected) {
    printError(std::string("Failed to connect to database: Error: ") + mysql_error(&mysql_) + "\n");
    return 1;
  }
  return 0;
}

namespace {
bool localDate(std::int32_t time, std::tm& out) { return platform::localTime(static_cast<std::time_t>(time), out); }

// The lookup and insert of a day run under a lock of the day-index table,
// shared by every session of the process: two sessions of one sensor that
// both miss a new day would each insert it. Tables share a lock by a hash of
// sensor and year, so different sensors rarely wait for each other.
constexpr std::size_t kDayIndexLocks = 64;

std::mutex& dayIndexLock(const Ipv4Address& sensor, const std::tm& begin) {
  static std::mutex locks[kDayIndexLocks];
  std::string table = ipDigits(sensor) + std::to_string(begin.tm_year);
  return locks[std::hash<std::string>{}(table) % kDayIndexLocks];
}
}  // namespace

bool LogDatabase::query(const std::string& statement) {
  return mysql_real_query(&mysql_, statement.data(), statement.size()) == 0;
}

bool LogDatabase::tableMissing() { return mysql_errno(&mysql_) == ER_NO_SUCH_TABLE; }

// A table that a concurrent session created first counts as created.
bool LogDatabase::createTable(const std::string& statement) {
  return query(statement) || mysql_errno(&mysql_) == ER_TABLE_EXISTS_ERROR;
}

int LogDatabase::insertAttackLog(const AttackLogRecord& record, const Ipv4Address& sensor) {
  std::tm begin{}, end{};
  if (!localDate(record.beginTime, begin) || !localDate(record.endTime, end)) return 1;
  std::string table =
      logTableName(kAttackTableKind, begin.tm_year + 1900, begin.tm_mon + 1, begin.tm_mday, sensor);
  std::string insert = attackInsert(table, record, begin, end);
  printText("cmd : " + insert + "\n");
  if (!query(insert)) {
    if (!tableMissing()) return 1;
    std::string create = attackTableStatement(table);
    printText("cmd : " + create + "\n");
    if (!createTable(create) || !query(insert)) return 1;
  }
  return storeDay(sensor, begin);
}

// The day index: one row per day that has an attack table.
int LogDatabase::storeDay(const Ipv4Address& sensor, const std::tm& begin) {
  std::lock_guard<std::mutex> lock(dayIndexLock(sensor, begin));
  std::string lookup = dayLookup(sensor, begin);
  for (int attempt = 0; attempt < 2; ++attempt) {
    printText(lookup + "\n");
    if (!query(lookup)) {
      if (!tableMissing()) return 1;
      if (!query(dayTableStatement(sensor, begin))) {
        // Created by a concurrent session just now: look again.
        if (mysql_errno(&mysql_) == ER_TABLE_EXISTS_ERROR) continue;
        return 1;
      }
      return query(dayInsert(sensor, begin)) ? 0 : 1;
    }
    MYSQL_RES* result = mysql_store_result(&mysql_);
    if (!result) return 1;
    unsigned long long rows = mysql_num_rows(result);
    printText("Get " + std::to_string(rows) + " \n");
    mysql_free_result(result);
    if (rows > 0) return 0;
    return query(dayInsert(sensor, begin)) ? 0 : 1;
  }
  return 1;
}

int LogDatabase::insertPacketLog(const PacketLogHeader& header, const unsigned char* payload,
                                 const Ipv4Address& sensor) {
  if (header.Plen < 0 || header.Plen > kMaxPlen) return 1;
  std::tm time{};
  if (!localDate(header.packetTime, time)) return 1;
  std::string table = logTableName(kPacketTableKind, time.tm_year + 1900, time.tm_mon + 1, time.tm_mday, sensor);
  std::string statement = packetInsertHead(table, header, time);
  std::size_t length = static_cast<std::size_t>(header.Plen) * kPayloadUnit;
  std::size_t head = statement.size();
  statement.resize(head + 2 * length + 1);
  unsigned long escaped =
      mysql_real_escape_string(&mysql_, statement.data() + head, reinterpret_cast<const char*>(payload), length);
  statement.resize(head + escaped);
  statement += kPacketInsertTail;
  if (query(statement)) return 0;
  printText(std::string("Error: ") + mysql_error(&mysql_) + "\n");
  if (!tableMissing()) return 1;
  if (!createTable(packetTableStatement(table)) || !query(statement)) return 1;
  return 0;
}

int LogDatabase::insertSystemLog(const SystemLogRecord& record, const Ipv4Address& sensor) {
  std::tm time{};
  if (!localDate(record.Systime, time)) return 1;
  std::string insert = systemInsert(sensor, record, time);
  printText("\n" + insert);
  if (query(insert)) return 0;
  if (!tableMissing()) return 1;
  if (!createTable(systemTableStatement(sensor)) || !query(insert)) return 1;
  return 0;
}

int LogDatabase::close() {
  if (initialised_) {
    mysql_close(&mysql_);
    initialised_ = false;
  }
  return 0;
}

}  // namespace halvern
