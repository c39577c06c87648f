// Kernel image push and kernel parameters: the reply mapping, the image
// receive from the console, the parameter reply length check, and the
// requests against a fake sensor.
#include "requests/kernel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "constants.h"
#include "protocol.h"
#include "support/test_server.h"

namespace {

TEST(KernelTest, SensorReplyCodesMapToPushResults) {
  const struct {
    std::int32_t rrtype;
    std::int32_t type, detail;
    bool listed;
  } cases[] = {
      {16, 26, 0, true}, {26, 27, 23, true}, {27, 27, 24, true}, {28, 27, 25, true},
      {5, 26, 0, false}, {0, 26, 0, false},  {-1, 26, 0, false}, {17, 26, 0, false},
  };
  for (const auto& c : cases) {
    cvlm::KernelPushResult r = cvlm::kernelPushResult(c.rrtype);
    EXPECT_EQ(r.type, c.type) << c.rrtype;
    EXPECT_EQ(r.detail, c.detail) << c.rrtype;
    EXPECT_EQ(r.listed, c.listed) << c.rrtype;
  }
}

TEST(KernelTest, ParameterReplyLengthMustFitThePayload) {
  const struct {
    std::int32_t value1, value2;
    std::optional<std::size_t> length;
  } cases[] = {
      {4, 7, 56},
      {0, 9, 0},
      {-1, -1, 2},
      {125, 1, 250},                    // the most that fits the 251-byte payload
      {63, 2, std::nullopt},            // 252
      {150, 1, std::nullopt},           // 300
      {-4, 7, std::nullopt},            // negative
      {0x40000000, 2, std::nullopt},    // wraps to 0 in 32 bits
      {65536, 32768, std::nullopt},     // wraps to 0 in 32 bits
      {INT32_MIN, INT32_MIN, std::nullopt},
      {INT32_MAX, INT32_MAX, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(cvlm::kparamReplyLength(c.value1, c.value2), c.length) << c.value1 << " x " << c.value2;
}

// One end of a socket pair as the server's console connection, the other as
// the console.
class ImageReceiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    console_ = fds[1];
    cvlm::ListenerConfig config;
    config.receiveTimeoutMs = 2000;
    config.closeDrainMs = 0;
    connection_ = std::make_unique<cvlm::UISocket>(fds[0], 0, config);
  }
  void TearDown() override {
    connection_->closeSocket();
    if (console_ >= 0) ::close(console_);
  }
  // Sends data as one stream-XOR unit.
  void sendUnit(std::string data) {
    cvlm::xorUiStream(reinterpret_cast<unsigned char*>(data.data()), data.size());
    ASSERT_EQ(::send(console_, data.data(), data.size(), MSG_NOSIGNAL), static_cast<ssize_t>(data.size()));
  }
  void closeConsole() {
    ::close(console_);
    console_ = -1;
  }
  // What is still unread on the server's side, up to n bytes.
  std::string unread(std::size_t n) {
    std::string bytes(n, '\0');
    ssize_t got = ::recv(connection_->connection(), bytes.data(), n, MSG_DONTWAIT);
    return got > 0 ? bytes.substr(0, static_cast<std::size_t>(got)) : std::string();
  }

  cvlm_testing::TestWorkDir work_;
  int console_ = -1;
  std::unique_ptr<cvlm::UISocket> connection_;
};

TEST_F(ImageReceiveTest, ReceivesTheAnnouncedBytesAsOneUnit) {
  sendUnit("abc");
  cvlm::KernelImage image = cvlm::receiveKernelImage(*connection_, 3);
  EXPECT_EQ(image.status, cvlm::KernelReceive::Received);
  EXPECT_EQ(std::string(image.bytes.begin(), image.bytes.end()), "abc");
}

TEST_F(ImageReceiveTest, UnusableSizeReadsNothing) {
  sendUnit("abc");
  for (std::int32_t size : {0, -1, INT32_MIN, cvlm::kMaxKernelImageBytes + 1, INT32_MAX}) {
    cvlm::KernelImage image = cvlm::receiveKernelImage(*connection_, size);
    EXPECT_EQ(image.status, cvlm::KernelReceive::Unusable) << size;
    EXPECT_TRUE(image.bytes.empty()) << size;
  }
  EXPECT_EQ(unread(16).size(), 3u);
}

TEST_F(ImageReceiveTest, FewerBytesThanAnnouncedIsShortAndNoneIsUnusable) {
  sendUnit(std::string(600, 'k'));
  closeConsole();
  cvlm::KernelImage image = cvlm::receiveKernelImage(*connection_, 1000);
  EXPECT_EQ(image.status, cvlm::KernelReceive::Short);
  EXPECT_TRUE(image.bytes.empty());
  image = cvlm::receiveKernelImage(*connection_, 10);
  EXPECT_EQ(image.status, cvlm::KernelReceive::Unusable);
}

}  // namespace
