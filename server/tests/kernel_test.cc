// Kernel image push and kernel parameters: the reply mapping, the image
// receive from the console, the parameter reply length check, and the
// requests against a fake sensor.
#include "server/requests/kernel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "formats/byte_order.h"
#include "server/constants.h"
#include "server/protocol.h"
#include "server/sensor/checksum.h"
#include "server/tests/sensor_requests_fixture.h"
#include "server/tests/support/test_server.h"

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

namespace {

using cvlm_testing::SensorRequestTest;
using cvlm_testing::SensorScript;
using cvlm_testing::TestConsole;

// Types of a kernel push result: +4 and +8.
std::pair<std::int32_t, std::int32_t> pushResult(const cvlm::MgrRequestResult& result) {
  return {formats::getInt32(&result, 4), formats::getInt32(&result, 8)};
}

class KernelPushTest : public SensorRequestTest {
 protected:
  cvlm::RqH pushHeader(std::int32_t size, std::uint32_t address) const {
    return cvlm_testing::kernelHeader(address, size, 77);
  }
  // Sends the push header and the image; the result, if any.
  std::optional<cvlm::MgrRequestResult> push(const std::string& image, std::uint32_t address) {
    TestConsole console(server.port());
    if (!console.sendHeader(pushHeader(static_cast<std::int32_t>(image.size()), address)) ||
        !console.sendUnit(image)) {
      return std::nullopt;
    }
    return console.receiveResult();
  }
  std::optional<cvlm::MgrRequestResult> push(const std::string& image) { return push(image, sensor.addressValue()); }
};

TEST_F(KernelPushTest, SendsImageWithSizeAndChecksumAndMapsEachReplyCode) {
  listSensor();
  const struct {
    std::int32_t rrtype, type, detail;
  } cases[] = {{16, 26, 0}, {26, 27, 23}, {27, 27, 24}, {28, 27, 25}, {5, 26, 0}};
  std::size_t n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rrtype);
    sensor.next(SensorScript::refuse(c.rrtype));
    auto result = push("abc");
    ASSERT_TRUE(result);
    EXPECT_EQ(pushResult(*result), std::make_pair(c.type, c.detail));
    ASSERT_TRUE(sensor.waitForSessions(++n));
    const cvlm_testing::SensorSession session = sensor.sessions().back();
    cvlm_testing::expectRequest(session, 14, 3, 0x9D3B);
    EXPECT_EQ(session.allData(), std::vector<unsigned char>({'a', 'b', 'c'}));
    EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::receive Corvane response ok, cvret.rrtype=" +
                                  std::to_string(c.rrtype)));
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel() " + address() + ", 3, 77"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::cvrh data: 14, 3, 40251"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::unexpected cvret.rrtype=5 taken as accepted"));
  EXPECT_EQ(server.logText().find("unexpected cvret.rrtype=16"), std::string::npos);
  EXPECT_EQ(server.logText().find("MRR_TYPE_LmKernelSocketError"), std::string::npos);
}

TEST_F(KernelPushTest, ChecksumOfALargeImageIsTheWrappedOne) {
  // 65538 words of 0xFFFF overflow the 32-bit accumulator: the wrapped sum
  // gives 1, an exact one would give 0.
  const std::string image(131076, '\xFF');
  auto result = push(image);
  ASSERT_TRUE(result);
  EXPECT_EQ(pushResult(*result), std::make_pair(26, 0));
  ASSERT_TRUE(sensor.waitForSessions(1));
  const cvlm_testing::SensorSession session = sensor.sessions()[0];
  EXPECT_EQ(session.request.param1, 131076);
  EXPECT_EQ(session.request.param2, 0x0001);
  EXPECT_EQ(session.request.param2, cvlm::inetChecksum(image.data(), image.size()));
  EXPECT_EQ(session.allData(), std::vector<unsigned char>(image.begin(), image.end()));
}

TEST_F(KernelPushTest, LinkFailuresAnswerSocketError) {
  sensor.next(SensorScript::closeAfterRequest());
  auto result = push("abc");
  ASSERT_TRUE(result);
  EXPECT_EQ(pushResult(*result), std::make_pair(27, 25));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel:: Exception: ReadFromSocketException"));

  result = push("abc", cvlm_testing::kNoSensor);
  ASSERT_TRUE(result);
  EXPECT_EQ(pushResult(*result), std::make_pair(27, 25));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel:: Exception: CreateSocketException"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::MRR_TYPE_LmKernelSocketError"));
}

TEST_F(KernelPushTest, UnusableImageSizeAnswersConsoleErrorWithoutContactingTheSensor) {
  for (std::int32_t size : {0, -3, cvlm::kMaxKernelImageBytes + 1, INT32_MAX}) {
    SCOPED_TRACE(size);
    TestConsole console(server.port());
    ASSERT_TRUE(console.sendHeader(pushHeader(size, sensor.addressValue())));
    auto result = console.receiveResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(pushResult(*result), std::make_pair(22, 31));
    EXPECT_TRUE(console.closedByServer());
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::Unknown buffer size read from UI."));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::uiSock->recvFromUI(buf, fileSize); error"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::MRR_TYPE_UILmSocket_Error"));
  EXPECT_TRUE(sensor.sessions().empty());
}

TEST_F(KernelPushTest, ImageShorterThanAnnouncedAnswersGetKernelError) {
  TestConsole console(server.port());
  ASSERT_TRUE(console.sendHeader(pushHeader(1000, sensor.addressValue())));
  ASSERT_TRUE(console.sendUnit(std::string(600, 'k')));
  ASSERT_TRUE(console.halfClose());
  auto result = console.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(pushResult(*result), std::make_pair(22, 22));
  EXPECT_TRUE(server.logHasLine("Dispatcher::putCVKernel::MRR_TYPE_LmGetKernel_Error"));
  EXPECT_EQ(server.logText().find("MRR_TYPE_UILmSocket_Error"), std::string::npos);
  EXPECT_TRUE(sensor.sessions().empty());
}

using KernelParamTest = SensorRequestTest;

std::vector<unsigned char> parameterBytes(std::size_t n) {
  std::vector<unsigned char> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(0x30 + i * 7);
  return bytes;
}

TEST_F(KernelParamTest, GetReturnsTheSensorsBytesAfterTheResultType) {
  listSensor();
  const std::vector<unsigned char> parameters = parameterBytes(56);
  sensor.on(16, SensorScript::accept().withValues(4, 7).followedBy(parameters));
  auto result = ask(header(cvlm::RQ_GetCvKparam));
  ASSERT_TRUE(result);
  EXPECT_EQ(cvlm_testing::resultType(*result), 42);
  EXPECT_EQ(std::vector<unsigned char>(result->bytes() + 8, result->bytes() + 64), parameters);
  EXPECT_TRUE(cvlm_testing::allZero(result->bytes() + 64, 259 - 64));
  ASSERT_TRUE(sensor.waitForSessions(1));
  const cvlm_testing::SensorSession session = sensor.sessions()[0];
  cvlm_testing::expectRequest(session, 16, 0, 0);
  EXPECT_TRUE(server.logHasLine("Dispatcher::getCvKparam() : " + address()));
  EXPECT_TRUE(server.logHasLine("return=16\n"));
}

TEST_F(KernelParamTest, GetReplyThatDoesNotFitThePayloadAnswersReadError) {
  const struct {
    std::int32_t value1, value2;
  } cases[] = {{150, 1}, {126, 1}, {-4, 7}, {0x40000000, 2}, {INT32_MIN, INT32_MIN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value1);
    sensor.next(SensorScript::accept().withValues(c.value1, c.value2).followedBy(parameterBytes(300)));
    auto result = ask(header(cvlm::RQ_GetCvKparam));
    ASSERT_TRUE(result);
    EXPECT_EQ(cvlm_testing::resultType(*result), 16);
    EXPECT_TRUE(cvlm_testing::allZero(result->payload, sizeof result->payload));
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::getCvKparam::MRR_TYPE_ReadFromCV_Error"));
}

TEST_F(KernelParamTest, SetSendsTheRequestsBlockAndAnswersWritten) {
  listSensor();
  const std::vector<unsigned char> parameters = parameterBytes(56);
  auto result = ask(cvlm_testing::setKparamHeader(
      sensor.addressValue(), std::string(parameters.begin(), parameters.end())));
  ASSERT_TRUE(result);
  EXPECT_EQ(cvlm_testing::resultType(*result), 44);
  ASSERT_TRUE(sensor.waitForSessions(1));
  const cvlm_testing::SensorSession session = sensor.sessions()[0];
  cvlm_testing::expectRequest(session, 15, 8, 7);
  EXPECT_EQ(session.allData(), parameters);
  EXPECT_TRUE(server.logHasLine("Dispatcher::setCvKparam() : " + address()));
}

TEST_F(KernelParamTest, FailuresAnswerTheirResultTypesWithTheirLogLines) {
  const struct {
    std::int32_t type;
    std::optional<SensorScript> script;  // none: no sensor at the address
    std::int32_t answer;
    const char* line;
  } cases[] = {
      {30, SensorScript::refuse(17), 16, "Dispatcher::getCvKparam::MRR_TYPE_ReadFromCV_Error"},
      {30, SensorScript::accept().withValues(4, 7).followedBy(parameterBytes(30)), 16,
       "Dispatcher::getCvKparam::MRR_TYPE_ReadFromCV_Error"},
      {30, std::nullopt, 14, "Dispatcher::getCvKparam::MRR_TYPE_ConnectCV_Error"},
      {29, SensorScript::refuse(17), 16, "Dispatcher::setCvKparam::MRR_TYPE_ReadFromCV_Error"},
      {29, SensorScript::closeAfterRequest(), 16, "Dispatcher::setCvKparam::MRR_TYPE_ReadFromCV_Error"},
      {29, std::nullopt, 14, "Dispatcher::setCvKparam::MRR_TYPE_ConnectCV_Error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    if (c.script) sensor.next(*c.script);
    auto result = ask(header(c.type, c.script ? sensor.addressValue() : cvlm_testing::kNoSensor));
    ASSERT_TRUE(result);
    EXPECT_EQ(cvlm_testing::resultType(*result), c.answer);
    EXPECT_TRUE(cvlm_testing::allZero(result->payload, sizeof result->payload));
    EXPECT_TRUE(server.logHasLine(c.line));
  }
  EXPECT_TRUE(server.logHasLine("return=17\n"));
}

}  // namespace
