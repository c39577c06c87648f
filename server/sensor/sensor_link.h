// The client side of the sensor command link: one CSocket per command, with the
// key agreement, the one-byte scrambling, the timed receive and the exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/descriptor.h"
#include "server/constants.h"
#include "server/sensor/sensor_records.h"

namespace cvlm {

// The TCP connect to the sensor failed.
struct CreateSocketException {};
// A send of a record or data block went out short.
struct WriteToSocketException {};
// A reply or reply data came short, or the sensor refused the command.
struct ReadFromSocketException {};

struct SensorLinkConfig {
  std::uint16_t port = kSensorPort;
  int connectTimeoutMs = kSensorConnectSeconds * 1000;
  int receiveTimeoutMs = kSensorReceiveSeconds * 1000;
  int sendTimeoutMs = kSensorSendSeconds * 1000;
};

// Sends go out through a work buffer of this size.
inline constexpr std::size_t kSensorChunkSize = 1024;

class CSocket {
 public:
  // address: the sensor as dotted decimal text.
  explicit CSocket(const std::string& address, const SensorLinkConfig& config = {});
  ~CSocket();
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;

  // Connects (CreateSocketException on failure) and agrees the key byte
  // (WriteToSocketException / ReadFromSocketException when the exchange fails).
  void connectSensor();

  // Sends n bytes scrambled, in pieces of at most 1024; the buffer stays as it
  // was. n when all went out, -1 otherwise (also for n = 0).
  long sendToSensor(const void* buffer, std::size_t n);
  // recvWithTimeout with the configured receive time-out.
  long recvFromSensor(void* buffer, std::size_t n);
  // Receives n bytes and unscrambles them, waiting at most timeoutMs before
  // each read. n, the count so far on time-out or close, -1 when a wait failed.
  long recvWithTimeout(void* buffer, std::size_t n, int timeoutMs);
  void closeSocket();

  // The steps of one command exchange, raising the matching exception.
  void sendRequest(const cvrh& request);
  void sendBlock(const void* buffer, std::size_t n);
  cvret receiveReply();
  void receiveData(void* buffer, std::size_t n);

  std::uint32_t keyExponent() const { return keyExponent_; }
  std::uint32_t sensorValue() const { return sensorValue_; }
  std::uint32_t sharedValue() const { return sharedValue_; }
  std::uint8_t keyByte() const { return keyByte_; }

 private:
  void agreeKey();

  SensorLinkConfig config_;
  platform::Descriptor handle_;
  std::uint32_t address_ = 0;  // network byte order
  std::uint32_t keyExponent_ = 0;
  std::uint32_t sensorValue_ = 0;
  std::uint32_t sharedValue_ = 0;
  std::uint8_t keyByte_ = 0;
};

// ReadFromSocketException unless the sensor accepted the command.
void requireAccepted(const cvret& reply);

}  // namespace cvlm
