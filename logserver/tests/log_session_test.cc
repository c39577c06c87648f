// The sensor log session on an in-process listener (loopback, ephemeral
// port) with the private MariaDB server: greeting and reply, malformed
// streams, the slot limit, time-outs and alert batches.
#include <sys/resource.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "logserver/log_listener.h"
#include "logserver/tests/support/fake_sensor.h"
#include "logserver/tests/support/mariadb_server.h"
#include "logserver/tests/support/running_listener.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace {

using namespace halvern_testing;
using platform_testing::eventually;

const halvern::Ipv4Address kSensor = address(10, 1, 2, 3);

class RecordingAlertSink : public halvern::AlertSink {
 public:
  struct Batch {
    std::vector<halvern::AlertRecord> alerts;
    halvern::Ipv4Address sensor;
  };
  int alertBatch(const halvern::AlertRecord* alerts, int count, const halvern::Ipv4Address& sensor) override {
    std::lock_guard<std::mutex> lock(mutex);
    batches.push_back({std::vector<halvern::AlertRecord>(alerts, alerts + count), sensor});
    return result;
  }
  std::size_t batchCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return batches.size();
  }
  std::mutex mutex;
  std::vector<Batch> batches;
  int result = 0;
};

class LogSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mariaDb().resetDatabase();
    writeLogIni("key\nip=192.168.1.10\n");
  }
  void writeLogIni(const std::string& text) { std::ofstream(dir.file("log.ini"), std::ios::binary) << text; }
  std::unique_ptr<RunningListener> startListener(int receiveTimeoutMs = 5000) {
    auto l = std::make_unique<RunningListener>(loopbackConfig(&alerts, receiveTimeoutMs));
    EXPECT_NE(l->port(), 0);
    return l;
  }

  // Sessions started so far: each prints "Step 1" when it begins.
  int stepOneCount() {
    std::string out = output.out();
    int n = 0;
    for (std::size_t at = out.find("\nStep 1\n"); at != std::string::npos; at = out.find("\nStep 1\n", at + 1)) ++n;
    return n;
  }

  platform_testing::TempDir dir;
  platform_testing::ScopedCwd cwd{dir.path()};
  CapturedOutput output;
  RecordingAlertSink alerts;
};

TEST_F(LogSessionTest, GreetingGetsReplyWithTheServerAddressOfLogIni) {
  auto server = startListener();
  EXPECT_EQ(output.out(), "IP = 192.168.1.10\n");
  FakeSensor sensor(server->port());
  EXPECT_EQ(sensor.greet(kSensor), expectedReply(address(192, 168, 1, 10)));
  EXPECT_TRUE(eventually([&] { return output.out().find("\nStep 1\n\nStep 3\n") != std::string::npos; }));
}

TEST_F(LogSessionTest, ReplyCarriesZerosWhenLogIniHasNoUsableAddress) {
  struct Case {
    const char* name;
    const char* logIni;  // nullptr: no file
    const char* ipLine;  // expected start-up output
  } cases[] = {
      {"missing file", nullptr, ""},
      {"one line only", "key\n", "IP = \n"},
      {"short second line", "key\nip\n", "IP = \n"},
      {"not an address", "key\nip=hello\n", "IP = hello\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir.file("log.ini"));
    if (c.logIni) writeLogIni(c.logIni);
    output.clear();
    auto server = startListener();
    EXPECT_EQ(output.out(), c.ipLine);
    FakeSensor sensor(server->port());
    EXPECT_EQ(sensor.greet(kSensor), expectedReply(address(0, 0, 0, 0)));
  }
}

TEST_F(LogSessionTest, WrongMagicGetsNoReplyAndTheNextEightBytesAreANewGreeting) {
  auto server = startListener();
  FakeSensor sensor(server->port());
  ASSERT_TRUE(sensor.send(greeting(kSensor, 0x12345678)));
  EXPECT_FALSE(sensor.reply(300));
  EXPECT_EQ(sensor.greet(kSensor), expectedReply(address(192, 168, 1, 10)));
}

TEST_F(LogSessionTest, MalformedStreamsEndTheSessionAndTheServerServesTheNextSensor) {
  halvern::PacketLogHeader packet{0, 1, 0, 0};
  struct Case {
    const char* name;
    std::string items;
    bool closeWrite;  // the sensor stops sending after the items
  } cases[] = {
      {"unknown kind", word(7), false},
      {"packet length 26", word(halvern::kKindPacketLog) + encode(halvern::PacketLogHeader{0, 1, 0, 26}), false},
      {"packet length -1", word(halvern::kKindPacketLog) + encode(halvern::PacketLogHeader{0, 1, 0, -1}), false},
      {"alert count 201", word(halvern::kKindAlertBatch) + word(201), false},
      {"alert count -1", word(halvern::kKindAlertBatch) + word(0xFFFFFFFF), false},
      {"truncated log record", word(halvern::kKindLogRecord) + std::string(10, 'x'), true},
      {"truncated packet payload", word(halvern::kKindPacketLog) + encode(halvern::PacketLogHeader{0, 1, 0, 1}) +
                                       std::string(63, 'x'),
       true},
      {"truncated alert batch", word(halvern::kKindAlertBatch) + word(2) + std::string(30, 'x'), true},
  };
  auto server = startListener();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSensor sensor(server->port());
    ASSERT_TRUE(sensor.greet(kSensor));
    // A good item first: the session is open until the malformed one.
    ASSERT_TRUE(sensor.send(packetItem(packet, "")));
    ASSERT_TRUE(sensor.send(c.items));
    if (c.closeWrite) sensor.shutdownWrite();
    EXPECT_TRUE(sensor.closedByServer());
    EXPECT_TRUE(server->listener().waitSessionsEnded(5000));
    FakeSensor next(server->port());
    EXPECT_TRUE(next.greet(address(10, 9, 9, 9)));
  }
  EXPECT_EQ(alerts.batchCount(), 0u);
}

double processCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(LogSessionTest, SixthSensorIsServedOnlyAfterOneOfFiveClosesAndWaitsWithoutSpinning) {
  auto server = startListener();
  std::vector<std::unique_ptr<FakeSensor>> sensors;
  for (int i = 0; i < 6; ++i) {
    sensors.push_back(std::make_unique<FakeSensor>(server->port()));
    ASSERT_TRUE(sensors.back()->connected());
    ASSERT_TRUE(sensors.back()->send(greeting(address(10, 0, 0, static_cast<std::uint8_t>(i + 1)))));
    if (i < 5) {
      ASSERT_TRUE(eventually([&] { return stepOneCount() > i; }));  // accepted, so the backlog is empty
    }
  }
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(sensors[i]->reply()) << i;
  EXPECT_EQ(server->listener().freeSlots(), 0);

  double cpuBefore = processCpuSeconds();
  auto wallBefore = std::chrono::steady_clock::now();
  EXPECT_FALSE(sensors[5]->reply(1000));
  double cpu = processCpuSeconds() - cpuBefore;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  EXPECT_LT(cpu, 0.5 * wall) << "the waiting listener should sleep, not spin";

  sensors[2]->close();
  EXPECT_TRUE(sensors[5]->reply());
}

TEST_F(LogSessionTest, SensorsBeyondTheFiveSessionsAreQueuedInsteadOfHavingTheirConnectsDropped) {
  auto server = startListener();
  std::vector<std::unique_ptr<FakeSensor>> running;
  for (int i = 0; i < halvern::kUsableSessionSlots; ++i) {
    running.push_back(std::make_unique<FakeSensor>(server->port()));
    ASSERT_TRUE(eventually([&] { return stepOneCount() > i; }));
  }
  // No slot is free, so the listener accepts nothing: each connect below
  // completes only if the kernel has room to queue it.
  std::vector<std::unique_ptr<FakeSensor>> queued;
  for (int i = 0; i < 8; ++i) {
    queued.push_back(std::make_unique<FakeSensor>(server->port(), htonl(INADDR_LOOPBACK), 1500));
    EXPECT_TRUE(queued.back()->connected()) << i;
  }
  running[0]->close();
  EXPECT_EQ(queued[0]->greet(kSensor), expectedReply(address(192, 168, 1, 10)));
}

TEST_F(LogSessionTest, FiftySensorsClosingRightAfterTheGreetingLeaveEverySlotFree) {
  auto server = startListener();
  for (int i = 0; i < 50; ++i) {
    FakeSensor sensor(server->port());
    ASSERT_TRUE(sensor.send(greeting(kSensor))) << i;
    // Half of them reset before the reply can be sent.
    if (i % 2) sensor.reset();
    // Paced by the accepts.
    ASSERT_TRUE(eventually([&] { return stepOneCount() > i; }));
  }
  EXPECT_TRUE(server->listener().waitSessionsEnded(20000));
  EXPECT_EQ(server->listener().freeSlots(), halvern::kUsableSessionSlots);
  FakeSensor last(server->port());
  EXPECT_TRUE(last.greet(kSensor));
}

int threadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

TEST_F(LogSessionTest, OnceEverySessionHasEndedTheStopWaitsForTheirThreadsToLeave) {
  auto server = startListener();
  const int withListener = threadCount();
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    {
      std::vector<std::unique_ptr<FakeSensor>> sensors;
      for (int i = 0; i < halvern::kUsableSessionSlots; ++i) {
        sensors.push_back(std::make_unique<FakeSensor>(server->port()));
        ASSERT_TRUE(sensors.back()->greet(kSensor));
      }
    }
    // A stop that comes as the last session ends: no session runs, but
    // their threads may still be on their way out.
    ASSERT_TRUE(server->listener().waitSessionsEnded(5000));
    ASSERT_TRUE(server->listener().joinSessionThreads(5000));
    EXPECT_EQ(threadCount(), withListener);
  }
}

TEST_F(LogSessionTest, SilentSensorEndsItsSessionAfterTheReceiveTimeout) {
  auto server = startListener(200);
  FakeSensor sensor(server->port());
  ASSERT_TRUE(sensor.greet(kSensor));
  ASSERT_TRUE(sensor.send(word(halvern::kKindLogRecord) + std::string(5, 'x')));
  EXPECT_TRUE(sensor.closedByServer(5000));
  EXPECT_TRUE(server->listener().waitSessionsEnded(5000));
}

TEST_F(LogSessionTest, AlertBatchesGoToTheSinkWithTheSensorAddress) {
  auto server = startListener();
  FakeSensor sensor(server->port());
  ASSERT_TRUE(sensor.greet(kSensor));
  halvern::AlertRecord first{7, address(1, 2, 3, 4), address(5, 6, 7, 8), 1046161416, 1046161476, 3};
  halvern::AlertRecord second{99, address(9, 9, 9, 9), address(8, 8, 8, 8), 10, 20, -1};
  ASSERT_TRUE(sensor.send(word(halvern::kKindAlertBatch) + word(2) + encode(first) + encode(second)));
  ASSERT_TRUE(sensor.send(word(halvern::kKindAlertBatch) + word(0)));
  ASSERT_TRUE(eventually([&] { return alerts.batchCount() == 2; }));
  {
    std::lock_guard<std::mutex> lock(alerts.mutex);
    ASSERT_EQ(alerts.batches[0].alerts.size(), 2u);
    EXPECT_EQ(encode(alerts.batches[0].alerts[0]), encode(first));
    EXPECT_EQ(encode(alerts.batches[0].alerts[1]), encode(second));
    EXPECT_EQ(addressBytes(alerts.batches[0].sensor), addressBytes(kSensor));
    EXPECT_TRUE(alerts.batches[1].alerts.empty());
  }
  // A sink result of 1 ends the session after the batch.
  alerts.result = 1;
  ASSERT_TRUE(sensor.send(word(halvern::kKindAlertBatch) + word(1) + encode(first)));
  EXPECT_TRUE(sensor.closedByServer());
  EXPECT_EQ(alerts.batchCount(), 3u);
}

}  // namespace
