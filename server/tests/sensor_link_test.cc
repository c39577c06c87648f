// Sensor command link against the fake sensor: key agreement, scrambled
// records and data, replies, short and missing answers, failed connects and sends.
#include "server/sensor/sensor_link.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "platform/net.h"
#include "platform_testing/faults.h"
#include "server/sensor/key_agreement.h"
#include "server/tests/support/fake_sensor.h"

namespace {

using cvlm_testing::FakeSensor;
using cvlm_testing::SensorScript;

TEST(KeyAgreementTest, TruncatingModPowerFollowsTheStepwiseProductCutTo32Bits) {
  struct Case {
    std::uint32_t base, exponent, expected;
  };
  const Case cases[] = {
      {601, 0, 1},           {601, 1, 601},         {601, 2, 2173},        {601, 65535, 3371},
      {601, 9972, 1},        {2173, 3, 748},        {0, 0, 1},             {0, 5, 0},
      {9972, 2, 1},          {123456, 7, 7056},     {0xFFFFFFFF, 1, 5088},
      // Products past 32 bits lose their high half (7809 and 9733 without the cut).
      {0xFFFFFFFF, 2, 1},    {0xFFFFFFFF, 3, 5088}, {0x80000000, 4, 7531},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cvlm::truncatingModPower(c.base, c.exponent), c.expected) << c.base << "^" << c.exponent;
  }
}

TEST(KeyAgreementTest, KeyByteFoldsBitsEightToElevenIntoTheHighNibble) {
  const std::pair<std::uint32_t, std::uint8_t> cases[] = {
      {0, 0x00}, {1, 0x01}, {0x1234, 0x14}, {0x0FFF, 0x0F}, {0x26F4, 0x94}, {0x0100, 0x10}, {0x2000, 0x00},
  };
  for (const auto& [k, expected] : cases) EXPECT_EQ(cvlm::keyByteOf(k), expected) << std::hex << k;
}

class SensorLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sensor.listening()); }

  cvlm::cvrh request(std::int32_t command, std::int32_t param1 = 0, std::int32_t param2 = 0) {
    cvlm::cvrh r{};
    r.command = command;
    for (std::size_t i = 0; i < cvlm::kSensorIdSize; ++i) r.sensorId[i] = static_cast<std::uint8_t>(0xA0 + i);
    r.param1 = param1;
    r.param2 = param2;
    return r;
  }
  cvlm_testing::SensorSession onlySession() {
    EXPECT_TRUE(sensor.waitForSessions(1));
    auto all = sensor.sessions();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? cvlm_testing::SensorSession{} : all[0];
  }
  static std::vector<unsigned char> pattern(std::size_t n) {
    std::vector<unsigned char> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 7 + 3);
    return v;
  }

  FakeSensor sensor;
  cvlm::SensorLinkConfig config{cvlm::kSensorPort, 2000, 300, 2000};
};

TEST_F(SensorLinkTest, AgreesKeyThenSendsRequestAndDataScrambledWithTheKeyByte) {
  const std::vector<unsigned char> image = pattern(5);
  {
    cvlm::CSocket link(sensor.address(), config);
    link.connectSensor();
    link.sendRequest(request(cvlm::CVRH_PutKernel, 5, 0x1234));
    link.sendBlock(image.data(), image.size());
    cvlm::requireAccepted(link.receiveReply());
    link.closeSocket();

    auto s = onlySession();
    EXPECT_EQ(s.serverKeyValue, cvlm::truncatingModPower(cvlm::kKeyBase, link.keyExponent()));
    EXPECT_EQ(link.sensorValue(), s.sensorKeyValue);
    EXPECT_EQ(link.sharedValue(), s.sharedValue);
    EXPECT_EQ(link.keyByte(), s.keyByte);
    EXPECT_EQ(link.keyByte(), cvlm::keyByteOf(cvlm::truncatingModPower(s.sensorKeyValue, link.keyExponent())));

    ASSERT_TRUE(s.gotRequest);
    EXPECT_EQ(s.request.command, cvlm::CVRH_PutKernel);
    EXPECT_EQ(s.request.param1, 5);
    EXPECT_EQ(s.request.param2, 0x1234);
    EXPECT_EQ(std::memcmp(s.request.sensorId, request(0).sensorId, cvlm::kSensorIdSize), 0);
    const unsigned char* plain = reinterpret_cast<const unsigned char*>(&s.request);
    for (std::size_t i = 0; i < sizeof s.request; ++i) EXPECT_EQ(s.rawRequest[i], plain[i] ^ link.keyByte()) << i;
    EXPECT_EQ(s.allData(), image);
  }
}

TEST_F(SensorLinkTest, ReadsScriptedReplyFieldsAndTheDataBehindTheReply) {
  const std::uint8_t id[cvlm::kSensorIdSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::vector<unsigned char> params = pattern(56);
  sensor.on(cvlm::CVRH_GetKparam, SensorScript::accept().withId(id).withValues(4, 7).followedBy(params));
  sensor.on(cvlm::CVRH_StatusItem4, SensorScript::accept().withValues(-3, 0).withFloat(12.345f));
  {
    cvlm::CSocket link(sensor.address(), config);
    link.connectSensor();
    link.sendRequest(request(cvlm::CVRH_GetKparam));
    cvlm::cvret reply = link.receiveReply();
    cvlm::requireAccepted(reply);
    EXPECT_EQ(std::memcmp(reply.sensorId, id, sizeof id), 0);
    ASSERT_EQ(reply.value1 * 2 * reply.value2, 56);
    std::vector<unsigned char> got(56);
    link.receiveData(got.data(), got.size());
    EXPECT_EQ(got, params);
  }
  {
    cvlm::CSocket link(sensor.address(), config);
    link.connectSensor();
    link.sendRequest(request(cvlm::CVRH_StatusItem4));
    cvlm::cvret reply = link.receiveReply();
    EXPECT_EQ(reply.value1, -3);
    EXPECT_EQ(reply.value2AsFloat(), 12.345f);
  }
}

TEST_F(SensorLinkTest, RefusalRaisesReadFromSocketExceptionWhereTheCallerTestsIt) {
  sensor.next(SensorScript::refuse(28));
  cvlm::CSocket link(sensor.address(), config);
  link.connectSensor();
  link.sendRequest(request(cvlm::CVRH_GetCvId));
  cvlm::cvret reply = link.receiveReply();
  EXPECT_EQ(reply.rrtype, 28);
  EXPECT_THROW(cvlm::requireAccepted(reply), cvlm::ReadFromSocketException);
}

// Whole sends and sends that the socket takes only in part both arrive intact.
TEST_F(SensorLinkTest, LongBlockGoesOutInPiecesOfAtMost1024AndLeavesTheCallerBufferUnchanged) {
  for (std::size_t acceptAtMost : {std::size_t{0}, std::size_t{700}}) {
    SCOPED_TRACE(acceptAtMost);
    const std::vector<unsigned char> image = pattern(3000);
    std::vector<unsigned char> buffer = image;
    sensor.next(SensorScript::accept().readingBlocks({3000}));
    cvlm::CSocket link(sensor.address(), config);
    link.connectSensor();
    link.sendRequest(request(cvlm::CVRH_PutKernel, 3000, 0));
    {
      // Sends to the sensor are watched; with acceptAtMost each takes at most that much.
      const std::string peer = sensor.address() + ":" + std::to_string(sensor.port());
      platform_testing::ScopedFaultWatch sends(platform::FaultOp::Send);
      std::optional<platform_testing::ScopedFault> shortSends;
      if (acceptAtMost) shortSends.emplace(platform::FaultOp::Send, peer, -1, static_cast<long long>(acceptAtMost));
      link.sendBlock(buffer.data(), buffer.size());
      std::vector<platform::FaultCheck> asked = sends.checksOf(peer);
      ASSERT_FALSE(asked.empty());
      std::size_t accepted = 0;
      for (const platform::FaultCheck& check : asked) {
        EXPECT_LE(check.amount, static_cast<long long>(cvlm::kSensorChunkSize));
        accepted += acceptAtMost ? std::min<std::size_t>(check.amount, acceptAtMost) : check.amount;
      }
      EXPECT_EQ(accepted, 3000u);
    }
    cvlm::requireAccepted(link.receiveReply());
    EXPECT_EQ(buffer, image);
    link.closeSocket();
    ASSERT_TRUE(sensor.waitForSessions(acceptAtMost ? 2 : 1));
    EXPECT_EQ(sensor.sessions().back().allData(), image);
  }
}

TEST_F(SensorLinkTest, EmptySendReportsFailure) {
  cvlm::CSocket link(sensor.address(), config);
  link.connectSensor();
  unsigned char byte = 0;
  EXPECT_EQ(link.sendToSensor(&byte, 0), -1);
  EXPECT_THROW(link.sendBlock(&byte, 0), cvlm::WriteToSocketException);
}

TEST_F(SensorLinkTest, ShortReplyThenSilenceGivesTheShortCount) {
  sensor.next(SensorScript::shortReply(10));
  cvlm::CSocket link(sensor.address(), config);
  link.connectSensor();
  link.sendRequest(request(cvlm::CVRH_StatusPair1));
  cvlm::cvret reply{};
  EXPECT_EQ(link.recvFromSensor(&reply, sizeof reply), 10);
  EXPECT_EQ(reply.rrtype, cvlm::kRrtypeAccepted);  // the bytes that came are unscrambled
}

// Every way a sensor can fail to answer ends in ReadFromSocketException within
// the receive time-out, and no descriptor stays open afterwards.
TEST_F(SensorLinkTest, MissingOrShortAnswersRaiseReadFromSocketException) {
  using Key = SensorScript::Key;
  struct Case {
    const char* name;
    SensorScript script;
    bool failsInKeyAgreement;
  };
  const Case cases[] = {
      {"ten reply bytes then silence", SensorScript::shortReply(10), false},
      {"ten reply bytes then close", SensorScript::accept().cutReplyAt(10), false},
      {"close after the request", SensorScript::closeAfterRequest(), false},
      {"silence after the request", SensorScript::staySilent(), false},
      {"key value never sent", SensorScript::withholdKey(), true},
      {"half a key value", SensorScript::accept().keyAnswer(Key::SendHalf), true},
      {"close instead of the key value", SensorScript::accept().keyAnswer(Key::Close), true},
  };
  const int before = platform::openDescriptorCount();
  std::size_t n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sensor.next(c.script);
    {
      cvlm::CSocket link(sensor.address(), config);
      if (c.failsInKeyAgreement) {
        EXPECT_THROW(link.connectSensor(), cvlm::ReadFromSocketException);
      } else {
        link.connectSensor();
        link.sendRequest(request(cvlm::CVRH_StatusPair2));
        EXPECT_THROW(link.receiveReply(), cvlm::ReadFromSocketException);
      }
    }
    EXPECT_TRUE(sensor.waitForSessions(++n));
  }
  EXPECT_EQ(platform::openDescriptorCount(), before);
}

TEST_F(SensorLinkTest, KeyValueInTwoPiecesGivesTheAgreedKey) {
  sensor.next(SensorScript::accept().keyAnswer(SensorScript::Key::SendInTwoPieces, 50));
  cvlm::CSocket link(sensor.address(), config);
  link.connectSensor();
  link.sendRequest(request(cvlm::CVRH_GetCvId));
  cvlm::requireAccepted(link.receiveReply());
  link.closeSocket();
  auto s = onlySession();
  EXPECT_EQ(link.sharedValue(), s.sharedValue);
  EXPECT_EQ(s.request.command, cvlm::CVRH_GetCvId);
}

TEST(SensorConnectTest, NothingListeningRaisesCreateSocketExceptionAndLeaksNoDescriptor) {
  const std::uint32_t loopback = htonl(INADDR_LOOPBACK);
  int probe = platform::openListener(loopback, 0, 1);
  ASSERT_GE(probe, 0);
  cvlm::SensorLinkConfig config;
  config.port = platform::boundPort(probe);
  ::close(probe);

  const int before = platform::openDescriptorCount();
  for (int i = 0; i < 200; ++i) {
    cvlm::CSocket link("127.0.0.1", config);
    EXPECT_THROW(link.connectSensor(), cvlm::CreateSocketException);
  }
  EXPECT_EQ(platform::openDescriptorCount(), before);
}

// Linux would take the unspecified address 0.0.0.0 (also what a bad text
// parses to) for this host.
TEST(SensorConnectTest, AddressThatNamesNoSensorRaisesCreateSocketException) {
  for (const char* text : {"", "sensor", "0.0.0.0", "10.0.0.300"}) {
    cvlm::CSocket link(text);
    EXPECT_THROW(link.connectSensor(), cvlm::CreateSocketException) << text;
  }
}

// Loopback takes about 4 MiB into its buffers without the peer reading, so a
// reset meets a 1 MiB send only when it comes first; 16 MiB is still going out
// when the sensor resets after its first 4096 bytes.
TEST_F(SensorLinkTest, SensorResetDuringALongSendRaisesWriteToSocketException) {
  struct Case {
    std::size_t resetAfter, size;
  };
  for (Case c : {Case{0, 1u << 20}, Case{4096, 16u << 20}}) {
    SCOPED_TRACE(c.size);
    sensor.next(SensorScript::resetDuringData(c.resetAfter));
    const std::vector<unsigned char> image = pattern(c.size);
    cvlm::CSocket link(sensor.address(), config);
    link.connectSensor();
    link.sendRequest(request(cvlm::CVRH_PutKernel, static_cast<std::int32_t>(c.size), 0));
    if (c.resetAfter == 0) {
      ASSERT_TRUE(sensor.waitForSessions(1));
    }
    EXPECT_THROW(link.sendBlock(image.data(), image.size()), cvlm::WriteToSocketException);
  }
  EXPECT_TRUE(sensor.waitForSessions(2));  // and this process is still here
}

TEST_F(SensorLinkTest, SensorThatStopsReadingMakesALongSendFailAfterTheSendTimeOut) {
  sensor.next(SensorScript::staySilent().readingBlocks({}));
  config.sendTimeoutMs = 300;
  const std::vector<unsigned char> image = pattern(16 << 20);
  cvlm::CSocket link(sensor.address(), config);
  link.connectSensor();
  link.sendRequest(request(cvlm::CVRH_PutKernel, 16 << 20, 0));
  EXPECT_THROW(link.sendBlock(image.data(), image.size()), cvlm::WriteToSocketException);
}

}  // namespace
