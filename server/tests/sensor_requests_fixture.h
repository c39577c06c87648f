// Fixture for the requests that command one sensor: an in-process server, a
// fake sensor on 127.0.0.N, request headers addressed to it, and the host
// database entry that gives it its ID.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/files.h"
#include "server/cv_db.h"
#include "server/protocol.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace cvlm_testing {

// No sensor listens on 127.0.0.1 (fake sensors take 127.0.0.2 and up).
inline const std::uint32_t kNoSensor = kLoopback;

inline constexpr std::uint8_t kSensorIdOfTest[cvlm::kSensorIdSize] = {0x5A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA0, 0xFF};

class SensorRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sensor.listening()); }

  // A request of type addressed to the sensor (or to address, network order).
  cvlm::RqH header(std::int32_t type) const { return header(type, sensor.addressValue()); }
  static cvlm::RqH header(std::int32_t type, std::uint32_t address) { return cvlm_testing::sensorHeader(type, address); }

  // Sends the request on a connection of its own; its result, if any.
  std::optional<cvlm::MgrRequestResult> ask(const cvlm::RqH& request) {
    TestConsole console(server.port());
    return console.request(request);
  }

  // A ".cvdb" that lists address (network order) with kSensorIdOfTest.
  void listSensor(std::uint32_t address) {
    cvlm::ObjCvHost host{};
    std::memcpy(host.address, &address, sizeof address);
    std::memcpy(host.sensorId, kSensorIdOfTest, sizeof kSensorIdOfTest);
    ASSERT_TRUE(platform::writeFileAtomic(server.file(cvlm::kCvDbFile),
                                          std::string(reinterpret_cast<const char*>(&host), sizeof host)));
  }
  void listSensor() { listSensor(sensor.addressValue()); }

  // Logged as "Dispatcher::<name>() : a.b.c.d" and the like.
  std::string address() const { return sensor.address(); }

  TestServer server;
  FakeSensor sensor;
};

inline bool sameId(const std::uint8_t* id) { return std::memcmp(id, kSensorIdOfTest, sizeof kSensorIdOfTest) == 0; }

// The request the sensor saw: command, the test sensor's ID, +16 and +20.
inline void expectRequest(const SensorSession& session, std::int32_t command, std::int32_t param1,
                          std::int32_t param2) {
  EXPECT_EQ(session.request.command, command);
  EXPECT_TRUE(sameId(session.request.sensorId));
  EXPECT_EQ(session.request.param1, param1);
  EXPECT_EQ(session.request.param2, param2);
}

inline bool allZero(const void* bytes, std::size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

}  // namespace cvlm_testing
