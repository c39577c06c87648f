// Values of the management server that operators and tests may need to know:
// ports, time-outs, file names and the version texts.
#pragma once

#include <cstdint>

namespace cvlm {

inline constexpr const char* kVersionText = "1.0 build 2003/02/25";

inline constexpr std::uint16_t kConsolePort = 7593;
inline constexpr int kListenBacklog = 5;
inline constexpr int kReceiveSeconds = 180;
// How long a closing connection drains unread console input.
inline constexpr int kCloseDrainMs = 2000;
// How long a service stop waits for running connection threads.
inline constexpr int kStopGraceMs = 5000;

inline constexpr const char* kLogFileName = "LM-LOG.txt";
inline constexpr const char* kLogMarkerFile = "enlmlog.sig";

// Temporary file a book save writes (under the book's lock) before renaming
// it over the book.
inline constexpr const char* kBookSaveSuffix = ".save.tmp";

// Largest book an upload may store (record count times record size); a
// larger or negative announcement is answered 0 before any record is read.
inline constexpr long long kMaxUploadedBookBytes = 64LL * 1024 * 1024;
// Most sensor rules (and DDoS policies) one push sends; a book that counts
// more is answered 12 before anything is expanded.
inline constexpr int kMaxPushedRules = 65536;

inline constexpr const char* kEventSourceName = "IDSLumarel";
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel";

}  // namespace cvlm
