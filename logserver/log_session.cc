// The per-connection state machine of the sensor log protocol.
#include "logserver/log_session.h"

#include <cstring>

#include "logserver/console_output.h"
#include "platform/net.h"

namespace halvern {

LogSession::LogSession(int socket, const SessionConfig& config) : socket_(socket), config_(config) {}

LogSession::~LogSession() { closeSocket(); }

long LogSession::recvAll(void* buffer, std::size_t n) {
  if (n == 0) return 0;
  return platform::recvExact(socket_.get(), buffer, n, config_.receiveTimeoutMs);
}

void LogSession::run(int slot, SessionSlots& slots) {
  // Each state first prints its progress line.
  State state = State::Greeting;
  while (state != State::End) {
    switch (state) {
      case State::Greeting:
        putLine("\nStep 1");
        state = greeting();
        break;
      case State::ItemKind:
        putLine("\nStep 3");
        state = itemKind();
        break;
      case State::LogRecord:
        putLine("\nStep 4");
        state = logRecord();
        break;
      case State::PacketLog:
        putLine("\nStep 5");
        state = packetLog();
        break;
      case State::AlertBatch:
        putLine("\nStep 6");
        state = alertBatch();
        break;
      case State::End:
        break;
    }
  }
  closeSocket();
  database_.close();
  slots.release(slot);
}

// The greeting: magic and sensor address; a wrong magic waits for the next one.
LogSession::State LogSession::greeting() {
  unsigned char magic[4], address[4];
  if (!receive(magic, sizeof magic) || !receive(address, sizeof address)) return State::End;
  if (static_cast<std::uint32_t>(formats::getInt32(magic, 0)) != kHelloMagic) return State::Greeting;
  sensor_ = getAddress(address, 0);
  if (database_.connect() != 0) {
    putLine("\nError to Connect MySQL");
    return State::End;
  }
  unsigned char reply[sizeof(LogHelloReply)];
  formats::putInt32(reply, offsetof(LogHelloReply, magic), static_cast<std::int32_t>(kHelloReplyMagic));
  std::memcpy(reply + offsetof(LogHelloReply, server), &config_.serverAddress, sizeof config_.serverAddress);
  platform::sendAll(socket_.get(), reply, sizeof reply);
  return State::ItemKind;
}

// The kind of the next item.
LogSession::State LogSession::itemKind() {
  unsigned char kind[4];
  if (!receive(kind, sizeof kind)) return State::End;
  switch (static_cast<std::uint32_t>(formats::getInt32(kind, 0))) {
    case kKindLogRecord:
      return State::LogRecord;
    case kKindPacketLog:
      return State::PacketLog;
    case kKindAlertBatch:
      return State::AlertBatch;
    default:
      return State::End;
  }
}

// One attack or system log record.
LogSession::State LogSession::logRecord() {
  if (!receive(record_, sizeof record_)) return State::End;
  int result = isAttackRecord(record_) ? database_.insertAttackLog(decodeAttackLogRecord(record_), sensor_)
                                       : database_.insertSystemLog(decodeSystemLogRecord(record_), sensor_);
  return result == 0 ? State::ItemKind : State::End;
}

// A packet log header and its scrambled payload.
LogSession::State LogSession::packetLog() {
  if (!receive(header_, sizeof header_)) return State::End;
  PacketLogHeader header = decodePacketLogHeader(header_);
  if (header.Plen < 0 || header.Plen > kMaxPlen) return State::End;
  std::size_t length = static_cast<std::size_t>(header.Plen) * kPayloadUnit;
  if (!receive(payload_, length)) return State::End;
  unscramble(payload_, length);
  int result = database_.insertPacketLog(header, payload_, sensor_);
  putLine("\nInserting packets.\n");
  return result == 0 ? State::ItemKind : State::End;
}

// An alert batch of 0 to 200 records, handed to the alert sink.
LogSession::State LogSession::alertBatch() {
  unsigned char countBytes[4];
  if (!receive(countBytes, sizeof countBytes)) return State::End;
  std::int32_t count = formats::getInt32(countBytes, 0);
  if (count < 0 || count > kMaxAlerts) return State::End;
  if (!receive(alertBytes_, static_cast<std::size_t>(count) * sizeof(AlertRecord))) return State::End;
  for (std::int32_t i = 0; i < count; ++i) alerts_[i] = decodeAlertRecord(alertBytes_ + i * sizeof(AlertRecord));
  NoAlertSink none;
  AlertSink& sink = config_.alertSink ? *config_.alertSink : none;
  return sink.alertBatch(alerts_, count, sensor_) == 0 ? State::ItemKind : State::End;
}

void LogSession::unscramble(unsigned char* payload, std::size_t n) const {
  for (std::size_t i = 0; i < n; ++i) payload[i] ^= static_cast<unsigned char>(kPayloadKey[i % kPayloadKey.size()]);
}

void LogSession::closeSocket() { socket_.reset(); }

}  // namespace halvern
