// Request 5, the sensor status query: six status commands to the sensor, one
// connection each, their reply values collected into the result.
#include "requests/sensor_status.h"

#include <cmath>
#include <cstring>

#include "wire.h"

namespace cvlm {

std::int32_t statusFigure(float value) {
  constexpr std::int32_t kIndefinite = INT32_MIN;
  double scaled = static_cast<double>(value) * 100.0;
  // Truncation toward zero keeps every value in (-2^31 - 1, 2^31).
  if (!std::isfinite(scaled) || scaled >= 2147483648.0 || scaled <= -2147483649.0) return kIndefinite;
  return static_cast<std::int32_t>(scaled);
}

void storeStatusReply(const StatusStep& step, std::int32_t value1, std::int32_t value2, MgrRequestResult& result) {
  putInt32(&result, step.firstOffset, value1);
  switch (step.second) {
    case StatusSecondValue::None:
      break;
    case StatusSecondValue::Int:
      putInt32(&result, step.secondOffset, value2);
      break;
    case StatusSecondValue::FloatTimes100: {
      float figure;
      static_assert(sizeof figure == sizeof value2);
      std::memcpy(&figure, &value2, sizeof figure);
      putInt32(&result, step.secondOffset, statusFigure(figure));
      break;
    }
  }
}

}  // namespace cvlm
