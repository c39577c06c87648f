// Address text and sensor ID lookup for the requests that command a sensor.
#include "requests/sensor_exchange.h"

#include <cstring>

#include "platform/net.h"

namespace cvlm {

std::string sensorAddressText(const std::uint8_t* address) {
  std::uint32_t networkOrder;
  std::memcpy(&networkOrder, address, sizeof networkOrder);
  return platform::dottedAddress(networkOrder);
}

void sensorIdOf(const std::uint8_t* address, std::uint8_t (&id)[kSensorIdSize]) {
  std::memset(id, 0, sizeof id);
  (void)address;  // host database lookup: lands with the host database
}

}  // namespace cvlm
