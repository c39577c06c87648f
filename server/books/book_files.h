// Book types of a sensor, their file names in the working directory
// ("Rule.10.0.0.5.bk") and their record sizes.
#pragma once

#include <cstdint>
#include <string>

namespace cvlm {

enum BookType : std::int32_t {
  SERVICE_BOOK = 1,
  ADDRESS_BOOK = 2,
  GROUP_BOOK = 3,
  SCHEDULE_BOOK = 4,
  RULE_BOOK = 5,
  GARELATION_BOOK = 6,
  WHITLIST_BOOK = 7,
};

// Size of the name buffer that backupFileName fills.
inline constexpr int kBookNameSize = 64;
// WHITLIST records are raw bytes the server never reads inside.
inline constexpr int kWhitlistRecordSize = 72;

// Record size of a book type; 0 for any other type.
int bookRecordSize(int bookType);

// Writes the book's file name for the sensor (address bytes in memory order,
// as in a request) into name and returns its record size; any other type
// writes "0" and returns 0.
int backupFileName(int bookType, char (&name)[kBookNameSize], std::uint32_t sensorAddress);
// The same name as a string ("0" for any other type).
std::string bookFileName(int bookType, std::uint32_t sensorAddress);

}  // namespace cvlm
