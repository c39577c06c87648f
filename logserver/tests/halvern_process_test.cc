// The real program Halvern on the fixed port 7595: its start-up line, the
// greeting with and without a database, a port already in use, the stop
// request and an immediate restart.
#include <arpa/inet.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "logserver/constants.h"
#include "logserver/tests/support/fake_sensor.h"
#include "platform/net.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace {

using namespace halvern_testing;
using platform_testing::ChildProcess;
using platform_testing::eventually;

const halvern::Ipv4Address kSensor = address(10, 1, 2, 3);

bool accepts(std::uint32_t address) {
  int fd = platform::connectTo(address, halvern::kLogPort, 500);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

class HalvernProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(HALVERN_BINARY, program());
    std::filesystem::permissions(program(), std::filesystem::perms::owner_all);
  }
  std::string program() const { return dir.file("Halvern"); }
  void writeLogIni(const std::string& text) { std::ofstream(dir.file("log.ini"), std::ios::binary) << text; }
  // Started from another directory: the program works in its own.
  std::unique_ptr<ChildProcess> start(std::vector<std::pair<std::string, std::string>> env = {}) {
    env.emplace_back("TZ", "UTC");
    auto child = std::make_unique<ChildProcess>(program(), elsewhere.path(), env);
    return child;
  }
  bool listening() { return eventually([] { return accepts(htonl(INADDR_LOOPBACK)); }); }

  platform_testing::TempDir dir, elsewhere;
};

TEST_F(HalvernProcessTest, PrintsTheAddressLineAndListensOnAllInterfacesWhateverTheLineEnds) {
  for (const char* logIni : {"key\nip=192.168.1.10\n", "key\r\nip=192.168.1.10\r\n"}) {
    SCOPED_TRACE(logIni);
    writeLogIni(logIni);
    auto halvern = start();
    ASSERT_TRUE(listening());
    EXPECT_TRUE(accepts(::inet_addr("127.0.0.2")));
    // The probes' sessions may already have printed their "Step 1".
    std::string out = halvern->stdoutText();
    EXPECT_EQ(out.rfind("IP = 192.168.1.10\n", 0), 0u) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos) << out;
    EXPECT_EQ(out.find("IP = ", 1), std::string::npos) << out;
    FakeSensor sensor(halvern::kLogPort);
    EXPECT_EQ(sensor.greet(kSensor), expectedReply(address(192, 168, 1, 10)));
    sensor.close();
    halvern->signal(SIGTERM);
    EXPECT_EQ(halvern->waitExit(10000), 0);
  }
}

TEST_F(HalvernProcessTest, WithoutDatabaseTheGreetingGetsNoReplyAndTheErrorLinesAppear) {
  writeLogIni("key\nip=192.168.1.10\n");
  auto halvern = start({{"MYSQL_UNIX_PORT", dir.file("no-server.sock")}});
  ASSERT_TRUE(listening());
  FakeSensor sensor(halvern::kLogPort);
  ASSERT_TRUE(sensor.send(greeting(kSensor)));
  EXPECT_TRUE(sensor.closedByServer());
  EXPECT_TRUE(eventually([&] { return halvern->stdoutText().find("\nError to Connect MySQL\n") != std::string::npos; }));
  // (Earlier "Step 1" lines come from the probes that waited for the listener.)
  std::string out = halvern->stdoutText();
  std::string withoutSteps = out;
  for (std::size_t at; (at = withoutSteps.find("\nStep 1\n")) != std::string::npos;) withoutSteps.erase(at, 8);
  EXPECT_EQ(withoutSteps, "IP = 192.168.1.10\n\nError to Connect MySQL\n") << out;
  EXPECT_NE(out.find("\nStep 1\n"), std::string::npos) << out;
  EXPECT_EQ(halvern->stderrText().rfind("Failed to connect to database: Error: ", 0), 0u) << halvern->stderrText();
  EXPECT_TRUE(halvern->running());
}

TEST_F(HalvernProcessTest, PortInUseGivesTheBindErrorAndExitStatusOne) {
  int holder = platform::openListener(INADDR_ANY, halvern::kLogPort, 1);
  ASSERT_GE(holder, 0);
  auto halvern = start();
  EXPECT_EQ(halvern->waitExit(10000), 1);
  EXPECT_EQ(halvern->stdoutText(), "Server: bind socket error\n");
  ::close(holder);
}

TEST_F(HalvernProcessTest, StopEndsTheProcessWithStatusZeroAndAnImmediateRestartBinds) {
  auto first = start();
  ASSERT_TRUE(listening());
  // An open session does not hold the stop up.
  FakeSensor open(halvern::kLogPort);
  ASSERT_TRUE(open.greet(kSensor));
  first->signal(SIGTERM);
  EXPECT_EQ(first->waitExit(10000), 0);
  EXPECT_TRUE(open.closedByServer());

  auto second = start();
  ASSERT_TRUE(listening());
  FakeSensor sensor(halvern::kLogPort);
  EXPECT_EQ(sensor.greet(kSensor), expectedReply(address(0, 0, 0, 0)));
  sensor.close();
  second->signal(SIGTERM);
  EXPECT_EQ(second->waitExit(10000), 0);
}

TEST_F(HalvernProcessTest, StopDuringFiveBusySessionsExitsZeroWithoutASanitizerReport) {
  struct Case {
    const char* name;
    bool closeAtStop;  // the sensors close as the stop request is sent
  } cases[] = {{"sessions still sending", false}, {"sessions ending with the stop", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto halvern = start();
    ASSERT_TRUE(listening());
    std::atomic<bool> stopping{false};
    std::atomic<int> greeted{0};
    std::vector<std::thread> sensors;
    for (int i = 0; i < halvern::kUsableSessionSlots; ++i) {
      sensors.emplace_back([&, i] {
        FakeSensor sensor(halvern::kLogPort);
        if (!sensor.greet(address(10, 1, 2, static_cast<std::uint8_t>(i + 1)), 10000)) return;
        ++greeted;
        halvern::AttackLogRecord attack{0x00100001, kSensor, kSensor, 1, 1046161416, 1046161416, i, 1};
        while (!stopping && sensor.send(logItem(encode(attack)))) {
        }
        if (c.closeAtStop) sensor.close();
      });
    }
    ASSERT_TRUE(eventually([&] { return greeted == halvern::kUsableSessionSlots; }, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stopping = true;
    halvern->signal(SIGTERM);
    EXPECT_EQ(halvern->waitExit(10000), 0);
    for (auto& t : sensors) t.join();
    std::string errors = halvern->stderrText();
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
  }
}

TEST_F(HalvernProcessTest, SensorsThatResetRightAfterTheGreetingDoNotEndTheProcess) {
  auto halvern = start();
  ASSERT_TRUE(listening());
  for (int i = 0; i < 20; ++i) {
    FakeSensor sensor(halvern::kLogPort);
    ASSERT_TRUE(sensor.send(greeting(kSensor)));
    sensor.reset();
    // Paced, like sensors that reconnect one after another.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  FakeSensor last(halvern::kLogPort);
  EXPECT_TRUE(last.greet(kSensor));
  EXPECT_TRUE(halvern->running());
}

}  // namespace
