// Sensor command link: connect, key agreement, scrambled sends in 1024-byte
// pieces, timed receives and the exchange steps of one command.
#include "server/sensor/sensor_link.h"

#include <algorithm>

#include "formats/byte_order.h"
#include "platform/net.h"
#include "server/sensor/key_agreement.h"

namespace cvlm {

namespace {
void scramble(unsigned char* bytes, std::size_t n, std::uint8_t key) {
  for (std::size_t i = 0; i < n; ++i) bytes[i] ^= key;
}

}  // namespace

CSocket::CSocket(const std::string& address, const SensorLinkConfig& config)
    : config_(config), address_(platform::parseAddress(address)) {}

CSocket::~CSocket() { closeSocket(); }

void CSocket::connectSensor() {
  // An unparsable text gives 0, which Linux would take for this host.
  if (address_ == 0) throw CreateSocketException{};
  handle_.reset(platform::connectTo(address_, config_.port, config_.connectTimeoutMs));
  if (!handle_.valid()) throw CreateSocketException{};
  platform::setSendTimeout(handle_.get(), config_.sendTimeoutMs);
  agreeKey();
}

// The two key values travel unscrambled; the sensor's value must arrive whole
// within the receive time-out.
void CSocket::agreeKey() {
  keyExponent_ = drawKeyExponent();
  unsigned char value[4];
  formats::putInt32(value, 0, static_cast<std::int32_t>(truncatingModPower(kKeyBase, keyExponent_)));
  if (platform::sendAll(handle_.get(), value, sizeof value) != static_cast<long>(sizeof value)) {
    throw WriteToSocketException{};
  }
  if (platform::recvExact(handle_.get(), value, sizeof value, config_.receiveTimeoutMs) != static_cast<long>(sizeof value)) {
    throw ReadFromSocketException{};
  }
  sensorValue_ = static_cast<std::uint32_t>(formats::getInt32(value, 0));
  sharedValue_ = truncatingModPower(sensorValue_, keyExponent_);
  keyByte_ = keyByteOf(sharedValue_);
}

long CSocket::sendToSensor(const void* buffer, std::size_t n) {
  if (n == 0 || !handle_.valid()) return -1;
  const unsigned char* position = static_cast<const unsigned char*>(buffer);
  unsigned char work[kSensorChunkSize];
  for (std::size_t remaining = n; remaining > 0;) {
    std::size_t chunk = std::min(remaining, kSensorChunkSize);
    std::copy(position, position + chunk, work);
    scramble(work, chunk, keyByte_);
    if (platform::sendAll(handle_.get(), work, chunk) != static_cast<long>(chunk)) return -1;
    position += chunk;
    remaining -= chunk;
  }
  return static_cast<long>(n);
}

long CSocket::recvFromSensor(void* buffer, std::size_t n) { return recvWithTimeout(buffer, n, config_.receiveTimeoutMs); }

long CSocket::recvWithTimeout(void* buffer, std::size_t n, int timeoutMs) {
  if (!handle_.valid()) return -1;
  long got = platform::recvExact(handle_.get(), buffer, n, timeoutMs);
  if (got > 0) scramble(static_cast<unsigned char*>(buffer), static_cast<std::size_t>(got), keyByte_);
  return got;
}

void CSocket::closeSocket() { handle_.reset(); }

void CSocket::sendRequest(const cvrh& request) { sendBlock(&request, sizeof request); }

void CSocket::sendBlock(const void* buffer, std::size_t n) {
  if (sendToSensor(buffer, n) != static_cast<long>(n)) throw WriteToSocketException{};
}

cvret CSocket::receiveReply() {
  cvret reply{};
  if (recvFromSensor(&reply, sizeof reply) != static_cast<long>(sizeof reply)) throw ReadFromSocketException{};
  return reply;
}

void CSocket::receiveData(void* buffer, std::size_t n) {
  if (recvFromSensor(buffer, n) != static_cast<long>(n)) throw ReadFromSocketException{};
}

void requireAccepted(const cvret& reply) {
  if (reply.rrtype != kRrtypeAccepted) throw ReadFromSocketException{};
}

}  // namespace cvlm
