// The sensor status query (request 5): the six status commands in the order
// they are sent, where each reply's values go in the result, and the
// conversion of the one float figure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "server/protocol.h"
#include "server/sensor/sensor_records.h"

namespace cvlm {

// How a status reply's second value (+20) enters the result.
enum class StatusSecondValue {
  None,           // not used
  Int,            // copied as it is
  FloatTimes100,  // a 32-bit float, times 100, truncated toward zero
};

// One status command and the result offsets of its reply values.
struct StatusStep {
  std::int32_t command;
  std::size_t firstOffset;   // reply +16 goes here
  std::size_t secondOffset;  // reply +20 goes here (unless None)
  StatusSecondValue second;
};

// Sent in this order, one connection each.
inline constexpr StatusStep kStatusSteps[] = {
    {CVRH_StatusPair2, 16, 20, StatusSecondValue::Int},
    {CVRH_StatusItem3, 32, 0, StatusSecondValue::None},
    {CVRH_StatusItem4, 24, 28, StatusSecondValue::FloatTimes100},
    {CVRH_StatusPair1, 8, 12, StatusSecondValue::Int},
    {CVRH_StatusPair5, 36, 40, StatusSecondValue::Int},
    {CVRH_StatusPair6, 44, 48, StatusSecondValue::Int},
};
inline constexpr std::size_t kStatusSensorIdOffset = 52;

// The integer part of value x 100. A value that is not finite, or whose
// product does not fit 32 bits, gives 0x80000000 (what the x86 truncation
// gives) instead of undefined behaviour.
std::int32_t statusFigure(float value);

// Copies the reply words value1 (+16) and value2 (+20, the raw bits of the
// float for command 8) into the result as step says.
void storeStatusReply(const StatusStep& step, std::int32_t value1, std::int32_t value2, MgrRequestResult& result);

}  // namespace cvlm
