// Values of the attack-log server that operators and tests may need to know:
// the port, limits and time-outs, the database account, the payload key and
// the alert mail sender.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <string_view>

namespace halvern {

inline constexpr std::uint16_t kLogPort = 7595;
// The system's longest accept queue: sensors that connect in a burst wait in
// it instead of having their connects dropped and retried a second later.
inline constexpr int kListenBacklog = SOMAXCONN;
// The slot table has 16 entries; only the first 5 are ever free.
inline constexpr int kSessionSlotCount = 16;
inline constexpr int kUsableSessionSlots = 5;
// A sensor silent this long inside a read ends its session.
inline constexpr int kReceiveSeconds = 300;
// How long a stop waits for the threads of ended sessions to finish before
// it shuts the database client library down (they need microseconds).
inline constexpr int kSessionThreadsEndWaitMs = 2000;

inline constexpr const char* kLogIniFile = "log.ini";

// The database account; an operator must create it (see README.md).
inline constexpr const char* kDatabaseHost = "localhost";
inline constexpr const char* kDatabaseUser = "Corvane";
inline constexpr const char* kDatabasePassword = "Velmoriad";
inline constexpr const char* kDatabaseName = "IDS";
// Bounds on the waits for the database server.
inline constexpr unsigned kDatabaseConnectSeconds = 10;
inline constexpr unsigned kDatabaseReadWriteSeconds = 60;
// The sessions' character set, set right after connecting: one byte per
// character, so every payload byte is escaped and read back as itself,
// whatever character set the server would give the connection.
inline constexpr const char* kDatabaseCharset = "latin1";
// The sessions' sql_mode: not strict, as the servers of the sensors' time were.
inline constexpr const char* kSessionSqlMode = "NO_ENGINE_SUBSTITUTION";

// Packet payload byte i is XORed with key byte i mod 37.
inline constexpr std::string_view kPayloadKey = "Qx7#Lm2@Vr9!Tk4$Hn6%Bz1&Wp8*Jd3^Fs5?e";
static_assert(kPayloadKey.size() == 37);

// The mailer's recipient list, in the data directory that "log.ini" names.
inline constexpr const char* kMailListFile = "maillist";
// Sender of the alert mail (MAIL FROM).
inline constexpr const char* kMailSender = "halvern@localhost";
// The mail server's SMTP port and the mailer's bounded waits.
inline constexpr std::uint16_t kSmtpPort = 25;
inline constexpr int kSmtpConnectTimeoutMs = 30000;
inline constexpr int kSmtpReplyTimeoutMs = 60000;
// How long the mailer waits for the management server's lock on a rule backup.
inline constexpr int kBookLockWaitMs = 5000;

}  // namespace halvern
