// Console transport: timed receives, whole sends, the accept loop with one
// thread per connection.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/net.h"
#include "platform/notice.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"
#include "server/connection_thread.h"
#include "server/log.h"
#include "server/protocol.h"
#include "server/ui_socket.h"

namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream("enlmlog.sig").put('x');
    cvlm::setLogFileName("LM-LOG.txt");
    cvlm::setLogSwitchFromMarker();
    platform::setNoticeSink([this](const std::string& title, const std::string& text) {
      std::lock_guard<std::mutex> lock(noticeMutex);
      notices.push_back(title + ": " + text);
    });
    listener = platform::openListener(kLoopback, 0, 5);
    ASSERT_GE(listener, 0);
    client = platform::connectTo(kLoopback, platform::boundPort(listener), 1000);
    server = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(server, 0);
  }
  void TearDown() override {
    platform::setNoticeSink(nullptr);
    if (client >= 0) ::close(client);
    ::close(listener);
  }
  std::string logText() {
    std::string s;
    platform::readWholeFile("LM-LOG.txt", s);
    return s;
  }

  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env{"IDS_PLATFORM_DIR", dir.path()};
  platform_testing::ScopedCwd cwd{dir.path()};
  std::mutex noticeMutex;
  std::vector<std::string> notices;
  int listener = -1, client = -1, server = -1;
};

TEST_F(TransportTest, PeerClosingEarlyGivesShortCountSocketErrorAndNotice) {
  cvlm::UISocket conn(server, kLoopback);
  ASSERT_EQ(::send(client, "12345", 5, 0), 5);
  ::close(client);
  client = -1;
  unsigned char buf[196];
  EXPECT_EQ(conn.recvFromUI(buf, sizeof buf, 2000), 5);
  EXPECT_EQ(buf[0], '1');  // short data is left as it arrived
  EXPECT_NE(logText().find("] recvFromUI ,Socket error\n"), std::string::npos);
  std::lock_guard<std::mutex> lock(noticeMutex);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].rfind("Error: ", 0), 0u);
  conn.closeSocket();
}

TEST_F(TransportTest, HeaderInOneBytePiecesArrivesWholeAndUnXored) {
  cvlm::UISocket conn(server, kLoopback);
  unsigned char wire[196];
  for (int i = 0; i < 196; ++i) wire[i] = static_cast<unsigned char>(i);
  cvlm::xorUiStream(wire, 196);
  std::thread sender([&] {
    for (int i = 0; i < 196; ++i) {
      ::send(client, wire + i, 1, MSG_NOSIGNAL);
      if (i % 40 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  unsigned char buf[196];
  EXPECT_EQ(conn.recvFromUI(buf, sizeof buf, 2000), 196);
  sender.join();
  for (int i = 0; i < 196; ++i) ASSERT_EQ(buf[i], i);
  conn.closeSocket();
}

TEST_F(TransportTest, SilenceGivesTimeOutAndShortCount) {
  cvlm::ListenerConfig config;
  config.receiveTimeoutMs = 100;
  cvlm::UISocket conn(server, kLoopback, config);
  ::send(client, "abc", 3, 0);
  unsigned char buf[196];
  EXPECT_EQ(conn.receive(buf, sizeof buf), 3);
  EXPECT_NE(logText().find("] recvFromUI Time-out\n"), std::string::npos);
  conn.closeSocket();
}

TEST_F(TransportTest, SendXorsFromKeyPositionZeroAndSurvivesAReset) {
  cvlm::UISocket conn(server, kLoopback);
  unsigned char unit[10] = {};
  EXPECT_EQ(conn.sendToUI(unit, 10), 10);
  unsigned char got[10];
  ASSERT_EQ(platform::recvExact(client, got, 10, 1000), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(got), 10), "7305829147");

  linger lg{1, 0};
  ::setsockopt(client, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
  ::close(client);
  client = -1;
  std::vector<unsigned char> big(8 << 20);
  EXPECT_LT(conn.sendToUI(big.data(), big.size()), static_cast<long>(big.size()));
  conn.closeSocket();
}

TEST_F(TransportTest, SendToAPeerThatStopsReadingGivesUpAfterTheSendTimeOut) {
  cvlm::ListenerConfig config;
  config.sendTimeoutMs = 200;
  config.closeDrainMs = 100;
  cvlm::UISocket conn(server, kLoopback, config);
  // Far more than the loopback buffers hold; the client never reads.
  std::vector<unsigned char> big(64 << 20);
  auto sending = std::async(std::launch::async, [&] { return conn.sendToUI(big.data(), big.size()); });
  bool ended = sending.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!ended) ::shutdown(server, SHUT_RDWR);  // unblock the send so the test can end
  EXPECT_TRUE(ended);
  EXPECT_LT(sending.get(), static_cast<long>(big.size()));
  conn.closeSocket();
}

TEST_F(TransportTest, FiftySimultaneousConnectionsRunInParallelThreadsAndLeakNothing) {
  cvlm::ListenerConfig config;
  config.address = kLoopback;
  config.port = 0;
  config.closeDrainMs = 200;
  cvlm::UISocket server(config, cvlm::connectionThreadStarter(config));
  std::thread loop([&] { server.runServer(); });
  ASSERT_TRUE(platform_testing::eventually([&] { return server.listening(); }));
  ASSERT_TRUE(cvlm::waitForConnectionThreads(5000));
  int baseline = platform::openDescriptorCount();

  std::vector<int> clients;
  for (int i = 0; i < 50; ++i) {
    int fd = platform::connectTo(kLoopback, server.boundPort(), 5000);
    ASSERT_GE(fd, 0);
    clients.push_back(fd);
  }
  // Every connection is held by its own thread while its header is pending.
  EXPECT_TRUE(platform_testing::eventually([] { return cvlm::runningConnectionThreads() == 50; }));
  for (int fd : clients) {
    unsigned char header[196] = {};
    header[4] = 15;  // a request type that is answered with nothing
    cvlm::encodeRecord(header, sizeof header);
    cvlm::xorUiStream(header, sizeof header);
    ASSERT_EQ(platform::sendAll(fd, header, sizeof header), 196);
  }
  for (int fd : clients) {
    char c;
    platform::waitReadable(fd, 5000);
    while (::recv(fd, &c, 1, 0) > 0) {
    }
    ::close(fd);
  }
  EXPECT_TRUE(cvlm::waitForConnectionThreads(5000));
  server.stop();
  loop.join();
  EXPECT_TRUE(platform_testing::eventually([&] { return platform::openDescriptorCount() <= baseline; }));
}

}  // namespace
