// The sensor ID lookup for the requests that command a sensor.
#include "server/requests/sensor_exchange.h"

#include <cstring>

#include "server/cv_db.h"

namespace cvlm {

void sensorIdOf(const std::uint8_t* address, std::uint8_t (&id)[kSensorIdSize]) {
  std::memset(id, 0, sizeof id);
  CvDb hosts;
  hosts.getCvId(address, id);
}

}  // namespace cvlm
