// Statement texts and table names, formatted printf-style from numbers.
#include "logserver/log_statements.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace halvern {

namespace {

__attribute__((format(printf, 1, 2))) std::string formatted(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return "";
  return std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

int year(const std::tm& t) { return t.tm_year + 1900; }
int month(const std::tm& t) { return t.tm_mon + 1; }

// The address bytes a, b, c, d as ints for the "%03d" formats.
struct Octets {
  explicit Octets(const Ipv4Address& address)
      : a(address.octet[0]), b(address.octet[1]), c(address.octet[2]), d(address.octet[3]) {}
  int a, b, c, d;
};

}  // namespace

std::string ipDigits(const Ipv4Address& address) {
  Octets o(address);
  return formatted("%03d%03d%03d%03d", o.a, o.b, o.c, o.d);
}

std::string logTableName(int kind, int year, int month, int day, const Ipv4Address& sensor) {
  Octets o(sensor);
  if (kind == kAttackTableKind) return formatted("t%03d%03d%03d%03d%04d%02d%02d", o.a, o.b, o.c, o.d, year, month, day);
  if (kind == kPacketTableKind) return formatted("p%03d%03d%03d%03d%04d%02d%02d", o.a, o.b, o.c, o.d, year, month, day);
  return "";
}

std::string attackInsert(const std::string& table, const AttackLogRecord& r, const std::tm& begin,
                         const std::tm& end) {
  return formatted("Insert into %s Values( %u, %s, %s, %d, %d, %d, %d, %02d%02d%02d, %d, %d, %02d%02d%02d, %d,%d )",
                   table.c_str(), r.AttackID, ipDigits(r.SourceIP).c_str(), ipDigits(r.ScopeIP).c_str(), r.Ifno,
                   year(begin), month(begin), begin.tm_mday, begin.tm_hour, begin.tm_min, begin.tm_sec, month(end),
                   end.tm_mday, end.tm_hour, end.tm_min, end.tm_sec, r.Eseq, r.PacketNum);
}

std::string attackTableStatement(const std::string& table) {
  return formatted(
      "CREATE TABLE %s  (AttackID int UNSIGNED ,SourceIP bigint ,ScopeIP bigint ,Ifno tinyint ,Year int ,BMonth "
      "tinyint ,BDay tinyint ,BTime time ,EMonth tinyint ,EDay tinyint ,ETime time ,Eseq int ,PacketNum int)",
      table.c_str());
}

std::string dayLookup(const Ipv4Address& sensor, const std::tm& begin) {
  Octets o(sensor);
  return formatted("Select * from table%03d%03d%03d%03d%04d where month= %d and day= %d", o.a, o.b, o.c, o.d,
                   year(begin), month(begin), begin.tm_mday);
}

std::string dayTableStatement(const Ipv4Address& sensor, const std::tm& begin) {
  Octets o(sensor);
  return formatted("Create table table%03d%03d%03d%03d%04d (month int,day int)", o.a, o.b, o.c, o.d, year(begin));
}

std::string dayInsert(const Ipv4Address& sensor, const std::tm& begin) {
  Octets o(sensor);
  return formatted("Insert into table%03d%03d%03d%03d%04d values( %d,%d )", o.a, o.b, o.c, o.d, year(begin),
                   month(begin), begin.tm_mday);
}

std::string packetInsertHead(const std::string& table, const PacketLogHeader& h, const std::tm& t) {
  return formatted("Insert into %s values( NULL, %d, %d, %d, %02d%02d%02d, %d, %d, %02d%02d%02d, %d, '",
                   table.c_str(), h.Eseq, month(t), t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, month(t), t.tm_mday,
                   t.tm_hour, t.tm_min, t.tm_sec, h.Plen);
}

std::string packetTableStatement(const std::string& table) {
  return formatted(
      "CREATE TABLE %s ( PKey bigint NOT NULL AUTO_INCREMENT PRIMARY KEY,Eseq\tint ,BMonth tinyint ,BDay tinyint "
      ",BTime time ,PMonth tinyint ,PDay tinyint ,PTime time ,Plen int ,Header BLOB  )",
      table.c_str());
}

std::string systemValueText(const SystemLogRecord& r) {
  if (!isAddressMessage(r.MesID)) return formatted("%d", r.value);
  std::uint32_t v = static_cast<std::uint32_t>(r.value);
  return formatted("%03d.%03d.%03d.%03d", static_cast<int>(v >> 24 & 0xFF), static_cast<int>(v >> 16 & 0xFF),
                   static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF));
}

std::string systemInsert(const Ipv4Address& sensor, const SystemLogRecord& r, const std::tm& t) {
  Octets o(sensor);
  return formatted("Insert into log%03d%03d%03d%03d values( %d,%04d%02d%02d%02d%02d%02d,%d,%d,%d,'%s')", o.a, o.b,
                   o.c, o.d, r.SysID, year(t), month(t), t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, r.SysEseq,
                   r.MesID, r.MseType, systemValueText(r).c_str());
}

// The time column is "timestamp": today's servers refuse the old
// "timestamp(14)" (precision above 6), and "timestamp" stores the same
// 14-digit value.
std::string systemTableStatement(const Ipv4Address& sensor) {
  Octets o(sensor);
  return formatted(
      "Create table log%03d%03d%03d%03d ( SysID int , Systime timestamp , SysEseq int , MesID int, MseType int, "
      "Value char(50))",
      o.a, o.b, o.c, o.d);
}

}  // namespace halvern
