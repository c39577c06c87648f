// The sensor command records: the 24-byte request `cvrh`, the 24-byte reply
// `cvret`, the command numbers and the accepted reply type.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace cvlm {

// The records' integers are sent as they lie in memory.
static_assert(std::endian::native == std::endian::little);

inline constexpr std::size_t kSensorIdSize = 12;

// Sensor commands (cvrh command word).
enum CvrhCommand : std::int32_t {
  CVRH_LoadRules = 1,
  CVRH_StatusPair1 = 3,
  CVRH_StatusPair2 = 6,
  CVRH_StatusItem3 = 7,
  CVRH_StatusItem4 = 8,
  CVRH_LoadDDoS = 9,
  CVRH_StatusPair5 = 12,
  CVRH_StatusPair6 = 13,
  CVRH_PutKernel = 14,
  CVRH_SetKparam = 15,
  CVRH_GetKparam = 16,
  CVRH_GetCvId = 17,
};

// cvret rrtype of a sensor that accepted the command.
inline constexpr std::int32_t kRrtypeAccepted = 16;

// Request to a sensor.
struct cvrh {
  std::int32_t command;
  std::uint8_t sensorId[kSensorIdSize];
  std::int32_t param1;
  std::int32_t param2;
};
static_assert(sizeof(cvrh) == 24);
static_assert(offsetof(cvrh, command) == 0);
static_assert(offsetof(cvrh, sensorId) == 4);
static_assert(offsetof(cvrh, param1) == 16);
static_assert(offsetof(cvrh, param2) == 20);

// Reply of a sensor.
struct cvret {
  std::int32_t rrtype;
  std::uint8_t sensorId[kSensorIdSize];
  std::int32_t value1;
  std::int32_t value2;

  // The second reply value read as a 32-bit IEEE float (the reply to command 8).
  float value2AsFloat() const {
    float f;
    std::memcpy(&f, &value2, sizeof f);
    return f;
  }
};
static_assert(sizeof(cvret) == 24);
static_assert(offsetof(cvret, rrtype) == 0);
static_assert(offsetof(cvret, sensorId) == 4);
static_assert(offsetof(cvret, value1) == 16);
static_assert(offsetof(cvret, value2) == 20);

}  // namespace cvlm
