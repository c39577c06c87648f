// Values of the management server that operators and tests may need to know:
// ports, time-outs, file names, the version texts and the built-in accounts.
#pragma once

#include <sys/socket.h>

#include <cstdint>

namespace cvlm {

inline constexpr const char* kVersionText = "1.0 build 2003/02/25";

inline constexpr std::uint16_t kConsolePort = 7593;
// The system's largest accept queue: Linux drops the connect of a console
// that finds the queue full, and the console retries only a second later.
inline constexpr int kListenBacklog = SOMAXCONN;
inline constexpr int kReceiveSeconds = 180;
// How long a send to a console may make no progress before it is given up.
inline constexpr int kSendSeconds = 180;
// How long a closing connection drains unread console input.
inline constexpr int kCloseDrainMs = 2000;
// How long a service stop waits for running connection threads.
inline constexpr int kStopGraceMs = 5000;

// Largest kernel image the server takes from the console.
inline constexpr std::int32_t kMaxKernelImageBytes = 64 * 1024 * 1024;

// Sensor command link: every sensor listens on this port.
inline constexpr std::uint16_t kSensorPort = 7594;
// Wait for each piece of a sensor's reply (and for its key value).
inline constexpr int kSensorReceiveSeconds = 480;
// Bound on a connect to a sensor and on a send that the sensor does not take.
inline constexpr int kSensorConnectSeconds = 20;
inline constexpr int kSensorSendSeconds = 480;

// Most records a ".cvdb" may hold to be read at all. The server writes at most
// 32; the bound leaves room for a file written elsewhere and keeps every read
// small.
inline constexpr int kMaxCvDbRecords = 1024;

// Third number of a newly added sensor host (the add request carries two).
inline constexpr std::int32_t kNewHostNumber3 = 0;

inline constexpr const char* kLogFileName = "LM-LOG.txt";
inline constexpr const char* kLogMarkerFile = "enlmlog.sig";

// An upload of file N is received into N + kUploadTempInfix + a number + ".tmp",
// created exclusively, before it is renamed over N.
inline constexpr const char* kUploadTempInfix = ".upload-";

// Temporary file a book save writes (under the book's lock) before renaming
// it over the book.
inline constexpr const char* kBookSaveSuffix = ".save.tmp";
// Built-in console accounts, written when the account file is missing: an
// operator account and a viewing account (documented in README.md).
inline constexpr const char* kBuiltInOperatorUser = "admin";
inline constexpr const char* kBuiltInOperatorPassword = "setup";
inline constexpr const char* kBuiltInViewerUser = "guest";
inline constexpr const char* kBuiltInViewerPassword = "watch";
// Most accounts ".acl" may hold: an add beyond them is refused, and a larger
// file is read as unreadable.
inline constexpr int kMaxAclAccounts = 10000;

// Largest book an upload may store (record count times record size); a
// larger or negative announcement is answered 0 before any record is read,
// and a larger book on disk is not read.
inline constexpr long long kMaxUploadedBookBytes = 64LL * 1024 * 1024;
// Most sensor rules (and DDoS policies) one push sends; a book that counts
// more is answered 12 before anything is expanded.
inline constexpr int kMaxPushedRules = 65536;

inline constexpr const char* kEventSourceName = "IDSLumarel";
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel";

// E-mail alert settings: the file and the built-in values of a new one.
inline constexpr const char* kEmailSettingsFile = ".cvlmrc";
inline constexpr int kMaxMailEntries = 64;
inline constexpr const char* kDefaultMailServer = "localhost";
inline constexpr const char* kDefaultMailSender = "ids-lumarel@localhost";
inline constexpr const char* kDefaultMailUser = "user";
inline constexpr const char* kDefaultMailSubject = "Message from Corvane Lumarel";

}  // namespace cvlm
