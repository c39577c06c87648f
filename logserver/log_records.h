// Records of the sensor log protocol (TCP 7595) as they lie on the wire: the
// greeting and its reply, the item kinds, the attack, system and packet log
// records and the alert records, with their decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "formats/byte_order.h"
#include "platform/net.h"

namespace halvern {

// An IPv4 address as its four wire bytes: a.b.c.d is the bytes a, b, c, d.
struct Ipv4Address {
  std::uint8_t octet[4];
};
static_assert(sizeof(Ipv4Address) == 4);

// "a.b.c.d".
inline std::string dottedText(const Ipv4Address& a) { return platform::dottedAddress(a.octet); }

inline Ipv4Address getAddress(const void* base, std::size_t offset) {
  Ipv4Address a;
  std::memcpy(a.octet, static_cast<const unsigned char*>(base) + offset, sizeof a.octet);
  return a;
}

inline constexpr std::uint32_t kHelloMagic = 0x55555555;
inline constexpr std::uint32_t kHelloReplyMagic = 0xAAAAAAAA;

// LogHello (sensor to server) and the greeting reply (server to sensor).
struct LogHello {
  std::uint32_t magic;
  Ipv4Address sensor;
};
static_assert(sizeof(LogHello) == 8);
static_assert(offsetof(LogHello, sensor) == 4);

struct LogHelloReply {
  std::uint32_t magic;  // kHelloReplyMagic
  Ipv4Address server;   // the address from "log.ini", 0 when it has none
};
static_assert(sizeof(LogHelloReply) == 8);
static_assert(offsetof(LogHelloReply, server) == 4);

// LogRecordKind: the word in front of every item after the greeting.
inline constexpr std::uint32_t kKindLogRecord = 0x00000000;
inline constexpr std::uint32_t kKindPacketLog = 0xFFFFFFFF;
inline constexpr std::uint32_t kKindAlertBatch = 0x0F0F0F0F;

// A 32-byte log record whose first word (unsigned) is at least this is an
// attack record, else a system record.
inline constexpr std::uint32_t kFirstAttackID = 0x000FFFFF;
inline constexpr std::size_t kLogRecordSize = 32;

struct AttackLogRecord {
  std::uint32_t AttackID;
  Ipv4Address SourceIP;
  Ipv4Address ScopeIP;
  std::int32_t Ifno;
  std::int32_t beginTime;
  std::int32_t endTime;
  std::int32_t Eseq;
  std::int32_t PacketNum;
};
static_assert(sizeof(AttackLogRecord) == kLogRecordSize);
static_assert(offsetof(AttackLogRecord, SourceIP) == 4);
static_assert(offsetof(AttackLogRecord, ScopeIP) == 8);
static_assert(offsetof(AttackLogRecord, Ifno) == 12);
static_assert(offsetof(AttackLogRecord, beginTime) == 16);
static_assert(offsetof(AttackLogRecord, endTime) == 20);
static_assert(offsetof(AttackLogRecord, Eseq) == 24);
static_assert(offsetof(AttackLogRecord, PacketNum) == 28);

// System message ids whose value is an IPv4 address.
inline bool isAddressMessage(std::int32_t mesId) {
  return mesId == 20 || mesId == 21 || mesId == 22 || mesId == 23 || mesId == 28;
}

struct SystemLogRecord {
  std::int32_t SysID;
  std::int32_t MseType;
  // A number, or for address messages an IPv4 address whose most
  // significant byte is the first part of the dotted text.
  std::int32_t value;
  std::uint8_t notInterpreted[8];
  std::int32_t Systime;
  std::int32_t SysEseq;
  std::int32_t MesID;
};
static_assert(sizeof(SystemLogRecord) == kLogRecordSize);
static_assert(offsetof(SystemLogRecord, MseType) == 4);
static_assert(offsetof(SystemLogRecord, value) == 8);
static_assert(offsetof(SystemLogRecord, notInterpreted) == 12);
static_assert(offsetof(SystemLogRecord, Systime) == 20);
static_assert(offsetof(SystemLogRecord, SysEseq) == 24);
static_assert(offsetof(SystemLogRecord, MesID) == 28);

// PacketLogHeader, followed by Plen x 64 payload bytes.
struct PacketLogHeader {
  std::int32_t packetTime;  // stored as both the begin and the packet time
  std::int32_t Eseq;
  std::int32_t notInterpreted;
  std::int32_t Plen;
};
static_assert(sizeof(PacketLogHeader) == 16);
static_assert(offsetof(PacketLogHeader, Eseq) == 4);
static_assert(offsetof(PacketLogHeader, notInterpreted) == 8);
static_assert(offsetof(PacketLogHeader, Plen) == 12);

inline constexpr int kPayloadUnit = 64;
inline constexpr int kMaxPlen = 25;
inline constexpr std::size_t kMaxPayload = kMaxPlen * kPayloadUnit;  // 1600

// One alert of an alert batch (a signed count of at most 200, then the records).
struct AlertRecord {
  std::uint32_t ruleId;  // matched against the ids of the sensor's rule backup
  Ipv4Address source;
  Ipv4Address destination;
  std::int32_t beginTime;
  std::int32_t endTime;
  std::int32_t count;  // occurrences
};
static_assert(sizeof(AlertRecord) == 24);
static_assert(offsetof(AlertRecord, source) == 4);
static_assert(offsetof(AlertRecord, destination) == 8);
static_assert(offsetof(AlertRecord, beginTime) == 12);
static_assert(offsetof(AlertRecord, endTime) == 16);
static_assert(offsetof(AlertRecord, count) == 20);

inline constexpr int kMaxAlerts = 200;

// Decoders from wire bytes (little-endian words, addresses as raw bytes).
inline bool isAttackRecord(const void* bytes) {
  return static_cast<std::uint32_t>(formats::getInt32(bytes, 0)) >= kFirstAttackID;
}

inline AttackLogRecord decodeAttackLogRecord(const void* b) {
  AttackLogRecord r;
  r.AttackID = static_cast<std::uint32_t>(formats::getInt32(b, offsetof(AttackLogRecord, AttackID)));
  r.SourceIP = getAddress(b, offsetof(AttackLogRecord, SourceIP));
  r.ScopeIP = getAddress(b, offsetof(AttackLogRecord, ScopeIP));
  r.Ifno = formats::getInt32(b, offsetof(AttackLogRecord, Ifno));
  r.beginTime = formats::getInt32(b, offsetof(AttackLogRecord, beginTime));
  r.endTime = formats::getInt32(b, offsetof(AttackLogRecord, endTime));
  r.Eseq = formats::getInt32(b, offsetof(AttackLogRecord, Eseq));
  r.PacketNum = formats::getInt32(b, offsetof(AttackLogRecord, PacketNum));
  return r;
}

inline SystemLogRecord decodeSystemLogRecord(const void* b) {
  SystemLogRecord r;
  r.SysID = formats::getInt32(b, offsetof(SystemLogRecord, SysID));
  r.MseType = formats::getInt32(b, offsetof(SystemLogRecord, MseType));
  r.value = formats::getInt32(b, offsetof(SystemLogRecord, value));
  std::memcpy(r.notInterpreted, static_cast<const unsigned char*>(b) + offsetof(SystemLogRecord, notInterpreted),
              sizeof r.notInterpreted);
  r.Systime = formats::getInt32(b, offsetof(SystemLogRecord, Systime));
  r.SysEseq = formats::getInt32(b, offsetof(SystemLogRecord, SysEseq));
  r.MesID = formats::getInt32(b, offsetof(SystemLogRecord, MesID));
  return r;
}

inline PacketLogHeader decodePacketLogHeader(const void* b) {
  PacketLogHeader h;
  h.packetTime = formats::getInt32(b, offsetof(PacketLogHeader, packetTime));
  h.Eseq = formats::getInt32(b, offsetof(PacketLogHeader, Eseq));
  h.notInterpreted = formats::getInt32(b, offsetof(PacketLogHeader, notInterpreted));
  h.Plen = formats::getInt32(b, offsetof(PacketLogHeader, Plen));
  return h;
}

inline AlertRecord decodeAlertRecord(const void* b) {
  AlertRecord a;
  a.ruleId = static_cast<std::uint32_t>(formats::getInt32(b, offsetof(AlertRecord, ruleId)));
  a.source = getAddress(b, offsetof(AlertRecord, source));
  a.destination = getAddress(b, offsetof(AlertRecord, destination));
  a.beginTime = formats::getInt32(b, offsetof(AlertRecord, beginTime));
  a.endTime = formats::getInt32(b, offsetof(AlertRecord, endTime));
  a.count = formats::getInt32(b, offsetof(AlertRecord, count));
  return a;
}

}  // namespace halvern
