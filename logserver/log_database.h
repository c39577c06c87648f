// LogDatabase: one session's MySQL connection to the database "IDS" and the
// three writers that store attack, packet and system log records.
#pragma once

#include <mysql.h>

#include <ctime>
#include <string>

#include "logserver/log_records.h"

namespace halvern {

class LogDatabase {
 public:
  LogDatabase() = default;
  ~LogDatabase();
  LogDatabase(const LogDatabase&) = delete;
  LogDatabase& operator=(const LogDatabase&) = delete;

  // mysql_library_init, once per process.
  static void libraryInit();
  // mysql_library_end at a clean process end.
  static void libraryEnd();
  // mysql_thread_end, when a session thread ends.
  static void threadEnd();

  // All return 0 for success and 1 for failure.
  int connect();
  int insertAttackLog(const AttackLogRecord& record, const Ipv4Address& sensor);
  // payload holds Plen x 64 bytes, already unscrambled.
  int insertPacketLog(const PacketLogHeader& header, const unsigned char* payload, const Ipv4Address& sensor);
  int insertSystemLog(const SystemLogRecord& record, const Ipv4Address& sensor);
  int close();

 private:
  bool query(const std::string& statement);
  bool tableMissing();
  bool createTable(const std::string& statement);
  int storeDay(const Ipv4Address& sensor, const std::tm& begin);

  MYSQL mysql_{};
  bool initialised_ = false;  // mysql_init ran and mysql_close is still owed
};

}  // namespace halvern
