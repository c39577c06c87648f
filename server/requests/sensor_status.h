// The sensor status query (request 5): the six status commands in the order
// they are sent, where each reply's values go in the result, and the
// conversion of the one float figure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "server/protocol.h"
#include "server/request_records.h"
#include "server/sensor/sensor_records.h"

namespace cvlm {

// How a status reply's second value (+20) enters the result.
enum class StatusSecondValue {
  None,           // not used
  Int,            // copied as it is
  FloatTimes100,  // a 32-bit float, times 100, truncated toward zero
};

// One status command and the result fields of its reply values.
struct StatusStep {
  std::int32_t command;
  std::int32_t SensorStatusResult::*first;   // reply +16 goes here
  std::int32_t SensorStatusResult::*second;  // reply +20 goes here (unless None)
  StatusSecondValue secondKind;
};

// Sent in this order, one connection each.
inline constexpr StatusStep kStatusSteps[] = {
    {CVRH_StatusPair2, &SensorStatusResult::pair2First, &SensorStatusResult::pair2Second, StatusSecondValue::Int},
    {CVRH_StatusItem3, &SensorStatusResult::item3First, nullptr, StatusSecondValue::None},
    {CVRH_StatusItem4, &SensorStatusResult::item4First, &SensorStatusResult::item4Figure,
     StatusSecondValue::FloatTimes100},
    {CVRH_StatusPair1, &SensorStatusResult::pair1First, &SensorStatusResult::pair1Second, StatusSecondValue::Int},
    {CVRH_StatusPair5, &SensorStatusResult::pair5First, &SensorStatusResult::pair5Second, StatusSecondValue::Int},
    {CVRH_StatusPair6, &SensorStatusResult::pair6First, &SensorStatusResult::pair6Second, StatusSecondValue::Int},
};

// The integer part of value x 100. A value that is not finite, or whose
// product does not fit 32 bits, gives 0x80000000 (what the x86 truncation
// gives) instead of undefined behaviour.
std::int32_t statusFigure(float value);

// Copies the reply words value1 (+16) and value2 (+20, the raw bits of the
// float for command 8) into the status as step says.
void storeStatusReply(const StatusStep& step, std::int32_t value1, std::int32_t value2, SensorStatusResult& status);

}  // namespace cvlm
