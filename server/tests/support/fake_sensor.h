// A scripted sensor for tests: listens on 127.0.0.N, runs its side of the key
// agreement, records every request and data block, and answers as scripted.
//
//   FakeSensor sensor;                                   // first free 127.0.0.N, port 7594
//   sensor.on(cvlm::CVRH_GetCvId, SensorScript::accept().withId(id));
//   sensor.on(cvlm::CVRH_StatusItem4, SensorScript::accept().withValues(3, 0).withFloat(12.345f));
//   sensor.on(cvlm::CVRH_GetKparam, SensorScript::accept().withValues(4, 7).followedBy(params));
//   sensor.next(SensorScript::refuse(17));               // one-shot, for the next connection
//   ... run the server code against sensor.address() ...
//   sensor.waitForSessions(1);
//   sensor.sessions()[0].request.command, .blocks, ...
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "server/constants.h"
#include "server/sensor/sensor_records.h"

namespace cvlm_testing {

// What the sensor does on one connection.
struct SensorScript {
  // How the sensor answers the server's key value.
  enum class Key {
    Send,             // its 4-byte value in one piece
    SendInTwoPieces,  // 2 + 2 bytes, keyGapMs apart
    SendHalf,         // 2 bytes, then silence
    Withhold,         // nothing, silence
    Close,            // closes instead of answering
  };
  // What follows the request and its data.
  enum class End {
    Reply,       // replyBytes of the reply, then the extra data, then `after`
    Close,       // closes without a reply
    StaySilent,  // keeps the connection open, reading nothing more
    Reset,       // resets the connection (also used with resetAfterDataBytes)
  };
  enum class After { Close, StaySilent };

  Key key = Key::Send;
  int keyGapMs = 50;
  End end = End::Reply;
  cvlm::cvret reply{cvlm::kRrtypeAccepted, {}, 0, 0};
  std::size_t replyBytes = sizeof(cvlm::cvret);
  std::vector<unsigned char> extra;
  After after = After::Close;
  // Data blocks to read after the request: as the command announces them
  // (1 and 9: +20 blocks of +16 bytes; 14: +16 bytes; 15: +16 x +20 bytes)
  // unless readingBlocks gave the sizes.
  bool blocksGiven = false;
  std::vector<std::size_t> blocks;
  // Reset the connection once this many data bytes have arrived.
  std::optional<std::size_t> resetAfterDataBytes;

  static SensorScript accept() { return {}; }
  static SensorScript refuse(std::int32_t rrtype) { return accept().withRrtype(rrtype); }
  static SensorScript closeAfterRequest() { return accept().ending(End::Close); }
  static SensorScript staySilent() { return accept().ending(End::StaySilent); }
  static SensorScript withholdKey() { return accept().keyAnswer(Key::Withhold); }
  static SensorScript resetDuringData(std::size_t afterBytes);
  // Only the first n reply bytes, then silence.
  static SensorScript shortReply(std::size_t n);

  SensorScript& withRrtype(std::int32_t rrtype);
  SensorScript& withId(const std::uint8_t (&id)[cvlm::kSensorIdSize]);
  SensorScript& withValues(std::int32_t value1, std::int32_t value2);
  SensorScript& withFloat(float value2);
  SensorScript& followedBy(std::vector<unsigned char> data);
  SensorScript& keyAnswer(Key k, int gapMs = 50);
  SensorScript& ending(End e);
  SensorScript& cutReplyAt(std::size_t n);
  SensorScript& thenStaySilent();
  SensorScript& readingBlocks(std::vector<std::size_t> sizes);
};

// One connection as the sensor saw it; data is unscrambled.
struct SensorSession {
  bool gotKeyValue = false;
  std::uint32_t serverKeyValue = 0;  // the server's 601^x mod 9973
  std::uint32_t secret = 0;          // the sensor's exponent
  std::uint32_t sensorKeyValue = 0;  // 601^secret mod 9973, as sent
  std::uint32_t sharedValue = 0;
  std::uint8_t keyByte = 0;
  bool gotRequest = false;
  unsigned char rawRequest[sizeof(cvlm::cvrh)] = {};  // as it came on the wire
  cvlm::cvrh request{};
  std::vector<std::vector<unsigned char>> blocks;  // the last may be short
  bool finished = false;

  std::vector<unsigned char> allData() const;
};

class FakeSensor {
 public:
  // hostN: listen on 127.0.0.hostN; 0 picks the first free one from 2 to 254.
  explicit FakeSensor(int hostN = 0, std::uint16_t port = cvlm::kSensorPort);
  ~FakeSensor();
  FakeSensor(const FakeSensor&) = delete;
  FakeSensor& operator=(const FakeSensor&) = delete;

  bool listening() const { return listener_ >= 0; }
  std::string address() const;               // "127.0.0.N"
  std::uint32_t addressValue() const;        // network byte order
  std::uint16_t port() const { return port_; }

  // Script for every request with this command (until replaced).
  void on(std::int32_t command, SensorScript script);
  // One-shot script for the next connection, whatever its command; queued.
  void next(SensorScript script);
  // Script when neither applies (default: accept with zero values).
  void otherwise(SensorScript script);
  // Fixes the sensor's secret exponent (default: a fresh one per connection).
  void setSecret(std::uint32_t secret);
  // Longest wait for the server at any step (default 5000 ms).
  void setPatience(int ms) { patienceMs_ = ms; }

  std::vector<SensorSession> sessions() const;
  // Waits until n connections have been handled to their end.
  bool waitForSessions(std::size_t n, int timeoutMs = 5000) const;

 private:
  void serve();
  void handle(int fd);
  std::optional<SensorScript> takeQueued();
  SensorScript scriptFor(std::int32_t command);
  bool agreeKey(int fd, std::size_t index, const SensorScript& script);
  bool readRequest(int fd, std::size_t index);
  bool readBlocks(int fd, std::size_t index, const SensorScript& script, std::uint8_t key);
  void finishSession(std::size_t index);
  long readExact(int fd, void* buffer, std::size_t n);
  bool sendScrambled(int fd, const void* data, std::size_t n, std::uint8_t key);
  void holdUntilClosed(int fd);
  void reset(int fd);
  bool stopping() const { return stopEvent_.signalled(); }

  int hostN_ = 0;
  std::uint16_t port_ = 0;
  int listener_ = -1;
  platform::StopEvent stopEvent_;
  std::atomic<int> patienceMs_{5000};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::int32_t, SensorScript> byCommand_;
  std::deque<SensorScript> queued_;
  SensorScript fallback_;
  std::optional<std::uint32_t> secret_;
  std::vector<SensorSession> sessions_;
  std::thread thread_;
};

}  // namespace cvlm_testing
