// Test peer: a sensor that connects to the log server over loopback, greets,
// sends items as raw wire bytes and watches for the reply and the close.
// Also the encoders that turn records into their wire bytes.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "formats/byte_order.h"
#include "logserver/constants.h"
#include "logserver/log_records.h"
#include "platform/net.h"

namespace halvern_testing {

inline halvern::Ipv4Address address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return halvern::Ipv4Address{{a, b, c, d}};
}

inline std::string word(std::uint32_t value) {
  std::string s(4, '\0');
  formats::putInt32(s.data(), 0, static_cast<std::int32_t>(value));
  return s;
}

inline std::string addressBytes(const halvern::Ipv4Address& a) {
  return std::string(reinterpret_cast<const char*>(a.octet), 4);
}

inline void putField(std::string& s, std::size_t offset, std::int32_t value) { formats::putInt32(s.data(), offset, value); }
inline void putField(std::string& s, std::size_t offset, const halvern::Ipv4Address& a) {
  std::memcpy(s.data() + offset, a.octet, 4);
}

inline std::string encode(const halvern::AttackLogRecord& r) {
  using halvern::AttackLogRecord;
  std::string s(sizeof r, '\0');
  putField(s, offsetof(AttackLogRecord, AttackID), static_cast<std::int32_t>(r.AttackID));
  putField(s, offsetof(AttackLogRecord, SourceIP), r.SourceIP);
  putField(s, offsetof(AttackLogRecord, ScopeIP), r.ScopeIP);
  putField(s, offsetof(AttackLogRecord, Ifno), r.Ifno);
  putField(s, offsetof(AttackLogRecord, beginTime), r.beginTime);
  putField(s, offsetof(AttackLogRecord, endTime), r.endTime);
  putField(s, offsetof(AttackLogRecord, Eseq), r.Eseq);
  putField(s, offsetof(AttackLogRecord, PacketNum), r.PacketNum);
  return s;
}

inline std::string encode(const halvern::SystemLogRecord& r) {
  using halvern::SystemLogRecord;
  std::string s(sizeof r, '\0');
  putField(s, offsetof(SystemLogRecord, SysID), r.SysID);
  putField(s, offsetof(SystemLogRecord, MseType), r.MseType);
  putField(s, offsetof(SystemLogRecord, value), r.value);
  std::memcpy(s.data() + offsetof(SystemLogRecord, notInterpreted), r.notInterpreted, sizeof r.notInterpreted);
  putField(s, offsetof(SystemLogRecord, Systime), r.Systime);
  putField(s, offsetof(SystemLogRecord, SysEseq), r.SysEseq);
  putField(s, offsetof(SystemLogRecord, MesID), r.MesID);
  return s;
}

inline std::string encode(const halvern::PacketLogHeader& h) {
  using halvern::PacketLogHeader;
  std::string s(sizeof h, '\0');
  putField(s, offsetof(PacketLogHeader, packetTime), h.packetTime);
  putField(s, offsetof(PacketLogHeader, Eseq), h.Eseq);
  putField(s, offsetof(PacketLogHeader, notInterpreted), h.notInterpreted);
  putField(s, offsetof(PacketLogHeader, Plen), h.Plen);
  return s;
}

inline std::string encode(const halvern::AlertRecord& a) {
  using halvern::AlertRecord;
  std::string s(sizeof a, '\0');
  putField(s, offsetof(AlertRecord, ruleId), static_cast<std::int32_t>(a.ruleId));
  putField(s, offsetof(AlertRecord, source), a.source);
  putField(s, offsetof(AlertRecord, destination), a.destination);
  putField(s, offsetof(AlertRecord, beginTime), a.beginTime);
  putField(s, offsetof(AlertRecord, endTime), a.endTime);
  putField(s, offsetof(AlertRecord, count), a.count);
  return s;
}

// The payload as a sensor sends it: byte i XORed with key byte i mod 37.
inline std::string scramble(std::string payload) {
  for (std::size_t i = 0; i < payload.size(); ++i)
    payload[i] = static_cast<char>(payload[i] ^ halvern::kPayloadKey[i % halvern::kPayloadKey.size()]);
  return payload;
}

inline std::string greeting(const halvern::Ipv4Address& sensor, std::uint32_t magic = halvern::kHelloMagic) {
  return word(magic) + addressBytes(sensor);
}
inline std::string logItem(const std::string& record32) { return word(halvern::kKindLogRecord) + record32; }
inline std::string packetItem(const halvern::PacketLogHeader& h, const std::string& plainPayload) {
  return word(halvern::kKindPacketLog) + encode(h) + scramble(plainPayload);
}

class FakeSensor {
 public:
  explicit FakeSensor(std::uint16_t port, std::uint32_t serverAddress = htonl(INADDR_LOOPBACK), int timeoutMs = 5000)
      : fd_(platform::connectTo(serverAddress, port, timeoutMs)) {}
  ~FakeSensor() { close(); }
  FakeSensor(const FakeSensor&) = delete;
  FakeSensor& operator=(const FakeSensor&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool send(const std::string& bytes) {
    return fd_ >= 0 && platform::sendAll(fd_, bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
  }
  // The 8-byte greeting reply, or nullopt when none came within timeoutMs.
  std::optional<std::string> reply(int timeoutMs = 5000) {
    std::string r(8, '\0');
    if (fd_ < 0 || platform::recvExact(fd_, r.data(), r.size(), timeoutMs) != 8) return std::nullopt;
    return r;
  }
  // Greets and waits for the reply.
  std::optional<std::string> greet(const halvern::Ipv4Address& sensor, int timeoutMs = 5000) {
    if (!send(greeting(sensor))) return std::nullopt;
    return reply(timeoutMs);
  }
  // True when the server closed the connection (end of stream or reset) within timeoutMs.
  bool closedByServer(int timeoutMs = 5000) {
    char c;
    for (;;) {
      if (platform::waitReadable(fd_, timeoutMs) <= 0) return false;
      ssize_t r = ::recv(fd_, &c, 1, 0);
      if (r <= 0) return true;
    }
  }
  // Sends no more (the server reads end of stream).
  void shutdownWrite() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_WR);
  }
  // Closes with a reset instead of an orderly close.
  void reset() {
    if (fd_ < 0) return;
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close();
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The reply the server sends for a server address (network byte order).
inline std::string expectedReply(const halvern::Ipv4Address& server) {
  return word(halvern::kHelloReplyMagic) + addressBytes(server);
}

}  // namespace halvern_testing
