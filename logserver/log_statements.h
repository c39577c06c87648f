// The SQL texts of the MySQL log writer: table names from the sensor address
// and the record's date, and every CREATE TABLE, SELECT and INSERT statement
// exactly as sent. They are built from numbers only; the packet payload is
// escaped and appended by the writer.
#pragma once

#include <ctime>
#include <string>

#include "logserver/log_records.h"

namespace halvern {

// Kinds of logTableName.
inline constexpr int kAttackTableKind = 1;
inline constexpr int kPacketTableKind = 3;

// "%03d%03d%03d%03d" of the four address bytes: 10.1.2.3 gives 010001002003.
std::string ipDigits(const Ipv4Address& address);

// The attack table name (kind 1) or the packet table name (kind 3) for the
// sensor and the date; "" for another kind.
std::string logTableName(int kind, int year, int month, int day, const Ipv4Address& sensor);

std::string attackInsert(const std::string& table, const AttackLogRecord& record, const std::tm& begin,
                         const std::tm& end);
std::string attackTableStatement(const std::string& table);

// The day index of the sensor and the year of the attack's begin time.
std::string dayLookup(const Ipv4Address& sensor, const std::tm& begin);
std::string dayTableStatement(const Ipv4Address& sensor, const std::tm& begin);
std::string dayInsert(const Ipv4Address& sensor, const std::tm& begin);

// The packet insert up to the opening quote of the payload.
std::string packetInsertHead(const std::string& table, const PacketLogHeader& header, const std::tm& time);
// What follows the escaped payload.
inline constexpr const char* kPacketInsertTail = "')";
std::string packetTableStatement(const std::string& table);

// The value column: dotted, zero-padded text for address messages, else the number.
std::string systemValueText(const SystemLogRecord& record);
std::string systemInsert(const Ipv4Address& sensor, const SystemLogRecord& record, const std::tm& time);
std::string systemTableStatement(const Ipv4Address& sensor);

}  // namespace halvern
