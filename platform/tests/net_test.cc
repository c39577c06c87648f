// Whole sends, bounded receives and why they stopped, sends the fault point
// fails, listeners and connects on loopback.
#include "platform/net.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform_testing/faults.h"

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

TEST(NetTest, SendsAndReceivesLargeBufferWhole) {
  int listener = platform::openListener(kLoopback, 0, 5);
  ASSERT_GE(listener, 0);
  std::uint16_t port = platform::boundPort(listener);
  std::vector<char> out(1 << 20);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(i * 7);
  std::thread sender([&] {
    int fd = platform::connectTo(kLoopback, port, 1000);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(platform::sendAll(fd, out.data(), out.size()), static_cast<long>(out.size()));
    ::close(fd);
  });
  int conn = ::accept(listener, nullptr, nullptr);
  ASSERT_GE(conn, 0);
  std::vector<char> in(out.size());
  EXPECT_EQ(platform::recvExact(conn, in.data(), in.size(), 2000), static_cast<long>(in.size()));
  EXPECT_EQ(in, out);
  sender.join();
  char extra;
  EXPECT_EQ(platform::recvExact(conn, &extra, 1, 2000), 0);  // peer closed
  ::close(conn);
  ::close(listener);
}

TEST(NetTest, ShortReceiveOnTimeoutAndFailedConnectLeavesNoDescriptor) {
  int listener = platform::openListener(kLoopback, 0, 5);
  std::uint16_t port = platform::boundPort(listener);
  int fd = platform::connectTo(kLoopback, port, 1000);
  int conn = ::accept(listener, nullptr, nullptr);
  ASSERT_EQ(::send(fd, "abc", 3, 0), 3);
  char buf[10];
  EXPECT_EQ(platform::recvExact(conn, buf, sizeof buf, 100), 3);
  ::close(fd);
  ::close(conn);
  ::close(listener);

  int before = platform::openDescriptorCount();
  for (int i = 0; i < 50; ++i) EXPECT_EQ(platform::connectTo(kLoopback, port, 500), -1);
  EXPECT_EQ(platform::openDescriptorCount(), before);
}

TEST(NetTest, ReceiveSaysWhyItStoppedShort) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ASSERT_EQ(::send(pair[0], "abc", 3, 0), 3);
  char buf[10];
  platform::Received r = platform::receiveExactly(pair[1], buf, 3, 100);
  EXPECT_EQ(r.count, 3u);
  EXPECT_EQ(r.end, platform::ReceiveEnd::Complete);
  ASSERT_EQ(::send(pair[0], "de", 2, 0), 2);
  r = platform::receiveExactly(pair[1], buf, sizeof buf, 50);
  EXPECT_EQ(r.count, 2u);
  EXPECT_EQ(r.end, platform::ReceiveEnd::TimedOut);
  ::shutdown(pair[0], SHUT_WR);
  r = platform::receiveExactly(pair[1], buf, sizeof buf, 1000);
  EXPECT_EQ(r.count, 0u);
  EXPECT_EQ(r.end, platform::ReceiveEnd::Closed);
  ::close(pair[0]);
  ::close(pair[1]);
}

TEST(NetTest, SendToAPeerTheFaultPointFailsSendsNothing) {
  int listener = platform::openListener(kLoopback, 0, 5);
  std::uint16_t port = platform::boundPort(listener);
  int fd = platform::connectTo(kLoopback, port, 1000);
  int conn = ::accept(listener, nullptr, nullptr);
  {
    platform_testing::ScopedFault failing(platform::FaultOp::Send, "127.0.0.1:" + std::to_string(port));
    errno = 0;
    EXPECT_EQ(platform::sendAll(fd, "abc", 3), -1);
    EXPECT_EQ(errno, EIO);
  }
  EXPECT_EQ(platform::sendAll(fd, "abc", 3), 3);
  char buf[3];
  EXPECT_EQ(platform::recvExact(conn, buf, sizeof buf, 1000), 3);
  ::close(fd);
  ::close(conn);
  ::close(listener);
}

TEST(NetTest, SecondLiveListenerFailsToBind) {
  int a = platform::openListener(kLoopback, 0, 5);
  ASSERT_GE(a, 0);
  const char* step = nullptr;
  EXPECT_EQ(platform::openListener(kLoopback, platform::boundPort(a), 5, &step), -1);
  EXPECT_STREQ(step, "bind");
  ::close(a);
}

TEST(NetTest, SendToResetPeerFailsWithoutSignal) {
  int listener = platform::openListener(kLoopback, 0, 5);
  int fd = platform::connectTo(kLoopback, platform::boundPort(listener), 1000);
  int conn = ::accept(listener, nullptr, nullptr);
  linger lg{1, 0};
  ::setsockopt(conn, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
  ::close(conn);  // reset
  std::vector<char> big(4 << 20);
  EXPECT_LT(platform::sendAll(fd, big.data(), big.size()), static_cast<long>(big.size()));
  ::close(fd);
  ::close(listener);
}

}  // namespace

namespace {

TEST(NetTest, AcceptOrStopGivesThePeerAndEndsOnStopFromAnotherThread) {
  int listener = platform::openListener(kLoopback, 0, 5);
  ASSERT_GE(listener, 0);
  platform::StopEvent stop;
  int client = platform::connectTo(kLoopback, platform::boundPort(listener), 1000);
  std::uint32_t peer = 0;
  int fd = platform::acceptOrStop(listener, stop, &peer);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(platform::dottedAddress(peer), "127.0.0.1");
  ::close(fd);
  ::close(client);

  int result = 0;
  std::thread waiter([&] { result = platform::acceptOrStop(listener, stop, nullptr); });
  stop.signal();
  waiter.join();
  EXPECT_EQ(result, platform::kAcceptStopped);
  EXPECT_TRUE(stop.signalled());
  // Stays signalled: a later wait ends at once.
  EXPECT_EQ(platform::acceptOrStop(listener, stop, nullptr), platform::kAcceptStopped);
  ::close(listener);
}

TEST(NetTest, DottedAddressOfBytesAndOfNetworkOrderWordAgree) {
  const std::uint8_t bytes[4] = {192, 168, 1, 10};
  EXPECT_EQ(platform::dottedAddress(bytes), "192.168.1.10");
  EXPECT_EQ(platform::dottedAddress(platform::parseAddress("192.168.1.10")), "192.168.1.10");
}

}  // namespace
