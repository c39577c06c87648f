// The sensor status query: the float figure conversion, and the six status
// exchanges against a fake sensor.
#include "requests/sensor_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

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
