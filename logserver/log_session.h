// LogSession: the sensor log protocol on one accepted connection - the
// greeting and its reply, then log records, packet logs and alert batches
// until the sensor closes, stays silent or sends something malformed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "logserver/alert_sink.h"
#include "logserver/constants.h"
#include "logserver/log_database.h"
#include "logserver/log_records.h"
#include "logserver/session_slots.h"
#include "platform/descriptor.h"

namespace halvern {

struct SessionConfig {
  int receiveTimeoutMs = kReceiveSeconds * 1000;
  std::uint32_t serverAddress = 0;  // network byte order, sent in the greeting reply
  AlertSink* alertSink = nullptr;   // nullptr takes every batch and goes on
};

class LogSession {
 public:
  LogSession(int socket, const SessionConfig& config);
  ~LogSession();
  LogSession(const LogSession&) = delete;
  LogSession& operator=(const LogSession&) = delete;

  // Runs the session to its end, then closes the socket and the database
  // connection and frees the slot.
  void run(int slot, SessionSlots& slots);

  // Receives exactly n bytes, each wait bounded by the receive time-out.
  // n, or the short count (-1 when the first wait failed).
  long recvAll(void* buffer, std::size_t n);

 private:
  // What the session reads next.
  enum class State { Greeting, ItemKind, LogRecord, PacketLog, AlertBatch, End };

  State greeting();
  State itemKind();
  State logRecord();
  State packetLog();
  State alertBatch();
  bool receive(void* buffer, std::size_t n) { return recvAll(buffer, n) == static_cast<long>(n); }
  void unscramble(unsigned char* payload, std::size_t n) const;
  void closeSocket();

  platform::Descriptor socket_;
  SessionConfig config_;
  LogDatabase database_;
  Ipv4Address sensor_{};
  unsigned char record_[kLogRecordSize];
  unsigned char header_[sizeof(PacketLogHeader)];
  unsigned char payload_[kMaxPayload];
  unsigned char alertBytes_[kMaxAlerts * sizeof(AlertRecord)];
  AlertRecord alerts_[kMaxAlerts];
};

}  // namespace halvern
