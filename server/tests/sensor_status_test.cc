// The sensor status query: the float figure conversion, and the six status
// exchanges against a fake sensor.
#include "server/requests/sensor_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "formats/byte_order.h"
#include "server/tests/sensor_requests_fixture.h"

namespace {

TEST(SensorStatusTest, StatusFigureTruncatesTimesHundredAndMarksUnrepresentableValues) {
  constexpr std::int32_t kIndefinite = INT32_MIN;
  const struct {
    float value;
    std::int32_t figure;
  } cases[] = {
      {12.345f, 1234},
      {-0.5f, -50},
      {99.999f, 9999},
      {0.0f, 0},
      {-0.004f, 0},
      {21474836.0f, 2147483600},    // largest float whose product fits
      {21474838.0f, kIndefinite},   // the next float does not
      {-21474836.0f, -2147483600},
      {-21474838.0f, kIndefinite},
      {1e30f, kIndefinite},
      {-1e30f, kIndefinite},
      {std::numeric_limits<float>::quiet_NaN(), kIndefinite},
      {std::numeric_limits<float>::infinity(), kIndefinite},
      {-std::numeric_limits<float>::infinity(), kIndefinite},
  };
  for (const auto& c : cases) EXPECT_EQ(cvlm::statusFigure(c.value), c.figure) << c.value;
}

}  // namespace

namespace {

using cvlm_testing::SensorScript;
using cvlm_testing::SensorRequestTest;

std::int32_t word(const cvlm::MgrRequestResult& result, std::size_t offset) { return formats::getInt32(&result, offset); }

std::int32_t floatBits(float value) {
  std::int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

using StatusQueryTest = SensorRequestTest;

TEST_F(StatusQueryTest, SixCommandsInOrderEachOnItsOwnConnectionFillTheResult) {
  listSensor();
  sensor.on(6, SensorScript::accept().withValues(61, 62));
  sensor.on(7, SensorScript::accept().withValues(71, 72));
  sensor.on(8, SensorScript::accept().withValues(81, 0).withFloat(12.345f));
  sensor.on(3, SensorScript::accept().withValues(31, 32));
  sensor.on(12, SensorScript::accept().withValues(121, 122));
  sensor.on(13, SensorScript::accept().withValues(131, 132));
  auto result = ask(header(cvlm::RQ_QueryCvHost));
  ASSERT_TRUE(result);
  EXPECT_EQ(cvlm_testing::resultType(*result), 1);
  const std::pair<std::size_t, std::int32_t> expected[] = {
      {8, 31},  {12, 32}, {16, 61},   {20, 62},  {24, 81},   {28, 1234},
      {32, 71}, {36, 121}, {40, 122}, {44, 131}, {48, 132},
  };
  for (auto [offset, value] : expected) EXPECT_EQ(word(*result, offset), value) << offset;
  EXPECT_TRUE(cvlm_testing::sameId(result->bytes() + 52));
  EXPECT_TRUE(cvlm_testing::allZero(result->bytes() + 64, 259 - 64));

  ASSERT_TRUE(sensor.waitForSessions(6));
  auto sessions = sensor.sessions();
  ASSERT_EQ(sessions.size(), 6u);
  const std::int32_t commands[] = {6, 7, 8, 3, 12, 13};
  // Each request carries the words of the reply before it.
  const std::pair<std::int32_t, std::int32_t> carried[] = {
      {0, 0}, {61, 62}, {71, 72}, {81, floatBits(12.345f)}, {31, 32}, {121, 122},
  };
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(sessions[i].gotKeyValue);
    cvlm_testing::expectRequest(sessions[i], commands[i], carried[i].first, carried[i].second);
    EXPECT_TRUE(sessions[i].blocks.empty());
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::queryCvHost() : " + address()));
}

TEST_F(StatusQueryTest, RefusedCommandStopsTheQueryWithEarlierWordsKept) {
  // Not listed: the sensor is asked with twelve zero bytes for its ID.
  sensor.on(6, SensorScript::accept().withValues(61, 62));
  sensor.on(7, SensorScript::accept().withValues(71, 72));
  sensor.on(8, SensorScript::refuse(17).withValues(81, 82));
  auto result = ask(header(cvlm::RQ_QueryCvHost));
  ASSERT_TRUE(result);
  EXPECT_EQ(cvlm_testing::resultType(*result), 16);
  EXPECT_EQ(word(*result, 16), 61);
  EXPECT_EQ(word(*result, 20), 62);
  EXPECT_EQ(word(*result, 32), 71);
  for (std::size_t offset : {8, 12, 24, 28, 36, 40, 44, 48}) EXPECT_EQ(word(*result, offset), 0) << offset;
  EXPECT_TRUE(cvlm_testing::allZero(result->bytes() + 52, 12));
  ASSERT_TRUE(sensor.waitForSessions(3));
  EXPECT_EQ(sensor.sessions().size(), 3u);
  EXPECT_TRUE(cvlm_testing::allZero(sensor.sessions()[0].request.sensorId, 12));
  EXPECT_TRUE(server.logHasLine("Dispatcher::queryCvHost::ReadFromSocketException"));
}

TEST_F(StatusQueryTest, ShortReplyAnswersReadErrorAndUnreachableSensorConnectError) {
  sensor.on(6, SensorScript::accept().cutReplyAt(10));
  {
    auto result = ask(header(cvlm::RQ_QueryCvHost));
    ASSERT_TRUE(result);
    EXPECT_EQ(cvlm_testing::resultType(*result), 16);
  }
  listSensor(cvlm_testing::kNoSensor);
  auto result = ask(header(cvlm::RQ_QueryCvHost, cvlm_testing::kNoSensor));
  ASSERT_TRUE(result);
  EXPECT_EQ(cvlm_testing::resultType(*result), 14);
  EXPECT_TRUE(cvlm_testing::allZero(result->bytes() + 8, 44));
  EXPECT_TRUE(cvlm_testing::sameId(result->bytes() + 52));
  EXPECT_TRUE(server.logHasLine("Dispatcher::queryCvHost::CreateSocketException"));
  EXPECT_EQ(sensor.sessions().size(), 1u);
}

}  // namespace
