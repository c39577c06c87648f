// What hello reports besides the version, and how it lays that out in the
// result payload and the trailer that follows it.
#pragma once

#include <cstddef>
#include <string>

#include "server/cv_db.h"
#include "server/protocol.h"
#include "server/request_records.h"

namespace cvlm {

inline constexpr std::size_t kHelloHostRecordSize = kCvHostSize;
inline constexpr std::size_t kHelloMailEntrySize = 64;
inline constexpr std::size_t kHelloMaxHosts = kMaxCvHosts;
inline constexpr std::size_t kHelloMaxMailEntries = 64;
inline constexpr std::size_t kHelloVersionSize = 32;

// Filled from the e-mail settings and the sensor host database.
struct HelloContents {
  std::string hostRecords;  // whole 172-byte host records, database order
  std::string mailEntries;  // whole 64-byte mail entries, stored order
  unsigned char mailServer[32] = {};
  unsigned char sender[32] = {};
  unsigned char user[32] = {};
  unsigned char options[4] = {};
};
static_assert(sizeof(HelloContents::mailServer) == sizeof(MailInfoBlock::mailServer) &&
              sizeof(HelloContents::sender) == sizeof(MailInfoBlock::sender) &&
              sizeof(HelloContents::user) == sizeof(MailInfoBlock::user) &&
              sizeof(HelloContents::options) == sizeof(MailInfoBlock::options));

// Host and mail counts that are sent: whole records only, at most 32 and 64.
std::size_t helloHostCount(const HelloContents& contents);
std::size_t helloMailCount(const HelloContents& contents);

// Result type 1 with the welcome text, counts, mail fields and trailer length.
void fillHelloResult(const char* version, const HelloContents& contents, MgrRequestResult& result);

// The host records, then the mail entries, exactly as the counts say.
std::string helloTrailer(const HelloContents& contents);

}  // namespace cvlm
