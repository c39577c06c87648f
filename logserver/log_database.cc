// The MySQL connection of a session; the record writers drop their records
// until the tables exist.
#include "log_database.h"

#include <mutex>
#include <string>

#include "console_output.h"
#include "constants.h"

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

int LogDatabase::insertAttackLog(const AttackLogRecord&, const Ipv4Address&) { return 0; }

int LogDatabase::insertPacketLog(const PacketLogHeader&, const unsigned char*, const Ipv4Address&) { return 0; }

int LogDatabase::insertSystemLog(const SystemLogRecord&, const Ipv4Address&) { return 0; }

int LogDatabase::close() {
  if (initialised_) {
    mysql_close(&mysql_);
    initialised_ = false;
  }
  return 0;
}

}  // namespace halvern
