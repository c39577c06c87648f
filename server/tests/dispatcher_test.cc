// The request dispatcher and hello against an in-process server: header
// checks, the switch on the type, the catch-all, and the version from
// "cvlm.ini".
#include "server/dispatcher.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform/net.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

void writeFile(const std::string& name, const std::string& content) {
  std::ofstream(name, std::ios::binary) << content;
}

std::string welcomeText(const cvlm::MgrRequestResult& result) { return formats::getText(&result, 8, 136); }

TEST(DispatcherTest, HelloWithoutIniAnswersDefaultVersionAndEmptyTrailer) {
  TestServer server;
  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(welcomeText(*result), "<V>V0.0</V> Welcome!\n");
  EXPECT_EQ(formats::getInt32(&*result, 144), 0);  // hosts
  EXPECT_EQ(formats::getInt32(&*result, 148), 0);  // mail entries
  EXPECT_EQ(formats::getInt32(&*result, 252), 0);  // trailer length
  EXPECT_TRUE(console.closedByServer());        // the empty trailer, then the close
  EXPECT_TRUE(server.logHasLine("Dispatcher::dispatcher::rqh.Type=1"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::checkValidConn()"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::hello()"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::hello::UI login from 127.0.0.1"));
}

TEST(DispatcherTest, HelloTakesVersionFromIniWithItsLineRules) {
  const std::string forty(40, 'x');
  const struct {
    const char* ini;
    std::string welcome;
  } cases[] = {
      {"[System]\nVersion=2.1\n", "<V>2.1\n</V> Welcome!\n"},
      {"[System]\nVersion=2.1", "<V>2.1</V> Welcome!\n"},
      {"[System]\nversion=2.1\n", "<V>V0.0</V> Welcome!\n"},
      {"[System]\nVersion = 2.1\n", "<V>V0.0</V> Welcome!\n"},
      {"[system]\nVersion=2.1\n", "<V>V0.0</V> Welcome!\n"},
      {"[Other]\nVersion=9\n[System]\n", "<V>V0.0</V> Welcome!\n"},
      {"[Other]\nVersion=9\n[System]\nName=a\nVersion=3=x\n", "<V>3</V> Welcome!\n"},
      {"[System]\nVersion=", "<V></V> Welcome!\n"},
      {"[System\nVersion=4\n", "<V>V0.0</V> Welcome!\n"},
      // Read as text: CR LF reads as LF, a lone CR stays.
      {"[System]\r\nVersion=2.1\r\n", "<V>2.1\n</V> Welcome!\n"},
      {"[System]\r\nVersion=2\r1\r", "<V>2\r1\r</V> Welcome!\n"},
  };
  TestServer server;
  for (const auto& c : cases) {
    writeFile("cvlm.ini", c.ini);
    TestConsole console(server.port());
    auto result = console.request(cvlm::RQ_Hello);
    ASSERT_TRUE(result) << c.ini;
    EXPECT_EQ(welcomeText(*result), c.welcome) << c.ini;
  }
  writeFile("cvlm.ini", "[System]\nVersion=" + forty);
  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);
  EXPECT_EQ(welcomeText(*result), "<V>" + forty.substr(0, 32) + "</V> Welcome!\n");
}

TEST(DispatcherTest, HelloWaitsWhileIniIsLockedAndAnswersOnceUnlocked) {
  TestServer server;
  writeFile("cvlm.ini", "[System]\nVersion=5\n");
  writeFile("cvlm.ini.lck", "");
  TestConsole console(server.port());
  ASSERT_TRUE(console.sendHeader(cvlm::RQ_Hello));
  EXPECT_TRUE(console.silentFor(400));
  ASSERT_TRUE(std::filesystem::remove("cvlm.ini.lck"));
  auto result = console.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(welcomeText(*result), "<V>5\n</V> Welcome!\n");
}

TEST(DispatcherTest, WrongCheckByteAnswersReadError) {
  TestServer server;
  TestConsole console(server.port());
  std::string header(196, '\0');
  header[4] = 1;
  cvlm::encodeRecord(reinterpret_cast<unsigned char*>(header.data()), header.size());
  header[195] = static_cast<char>(header[195] + 1);
  ASSERT_TRUE(console.sendUnit(header));
  auto result = console.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 2);
  EXPECT_TRUE(console.closedByServer());
  EXPECT_TRUE(server.logHasLine("MRR_TYPE_ReadMRH_Error!"));
  EXPECT_EQ(server.logText().find("rqh.Type"), std::string::npos);
}

TEST(DispatcherTest, ShortHeaderIsLoggedWithItsSizeAndServerKeepsServing) {
  TestServer server;
  {
    TestConsole console(server.port());
    ASSERT_TRUE(console.sendUnit(std::string(10, 'a')));
    console.close();
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::readMRH::RqH size not match! RqH size = 196, recv size = 10"));
  EXPECT_TRUE(server.logHasLine("MRR_TYPE_ReadMRH_Error!"));
  TestConsole next(server.port());
  auto result = next.request(cvlm::RQ_Hello);
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
}

TEST(DispatcherTest, UnrecognisedTypesAnswerFour) {
  TestServer server;
  for (std::int32_t type : {0, 10, 17, 18, 20, 21, 23, -1, 31, 0x7fffffff}) {
    TestConsole console(server.port());
    auto result = console.request(type);
    ASSERT_TRUE(result) << type;
    EXPECT_EQ(resultType(*result), 4) << type;
    EXPECT_TRUE(console.closedByServer()) << type;
    EXPECT_TRUE(server.logHasLine("Dispatcher::dispatcher::rqh.Type=" + std::to_string(type))) << type;
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::dispatcher::Unknown request from UI."));
}

TEST(DispatcherTest, SilentTypesCloseWithoutAnyByte) {
  TestServer server;
  for (std::int32_t type : {15, 16, 19}) {
    TestConsole console(server.port());
    ASSERT_TRUE(console.sendHeader(type));
    EXPECT_TRUE(console.closedByServer()) << type;
  }
  EXPECT_EQ(server.logText().find("Unknown request"), std::string::npos);
}

// A dispatcher whose handler throws, after sending a result or not.
class ThrowingDispatcher : public cvlm::Dispatcher {
 public:
  ThrowingDispatcher(cvlm::UISocket& connection, bool sendFirst) : Dispatcher(connection), sendFirst_(sendFirst) {}

 protected:
  bool handleRequest(cvlm::RqH&, cvlm::MgrRequestResult& result) override {
    if (sendFirst_) {
      result.type = 1;
      formats::putText(result.payload, 0, 16, "payload");
      connection_.sendMRR(result);
    }
    throw std::runtime_error("handler failed");
  }

 private:
  bool sendFirst_;
};

TEST(DispatcherTest, HandlerExceptionAnswersOneZeroedResultOfTypeZero) {
  for (bool sendFirst : {false, true}) {
    cvlm_testing::TestWorkDir work;
    int listener = platform::openListener(cvlm_testing::kLoopback, 0, 5);
    ASSERT_GE(listener, 0);
    TestConsole console(platform::boundPort(listener));
    int fd = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(fd, 0);
    std::thread serving([&] {
      cvlm::ListenerConfig config;
      config.closeDrainMs = 200;
      cvlm::UISocket connection(fd, cvlm_testing::kLoopback, config);
      ThrowingDispatcher(connection, sendFirst).dispatcher();
    });
    ASSERT_TRUE(console.sendHeader(1));
    if (sendFirst) {
      auto first = console.receiveResult();
      ASSERT_TRUE(first);
      EXPECT_EQ(resultType(*first), 1);
    }
    auto result = console.receiveResult();
    ASSERT_TRUE(result) << sendFirst;
    EXPECT_EQ(resultType(*result), 0);
    cvlm::MgrRequestResult zero{};
    EXPECT_EQ(std::memcmp(result->payload, zero.payload, sizeof zero.payload), 0) << sendFirst;
    EXPECT_TRUE(console.closedByServer());
    serving.join();
    ::close(listener);
    EXPECT_TRUE(work.logHasLine("dispatcher get exception!!"));
  }
}

}  // namespace
