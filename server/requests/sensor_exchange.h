// What the requests that command one sensor share: its ID from the host
// database, and the turning of the sensor link's exceptions into console
// result codes with their log lines.
#pragma once

#include <cstdint>

#include "server/log.h"
#include "server/protocol.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

// The sensor's 12-byte ID from the host database; twelve zero bytes for a
// sensor that is not listed. The database is released before it returns.
void sensorIdOf(const std::uint8_t* address, std::uint8_t (&id)[kSensorIdSize]);

// The log line written for each of the link's exceptions.
struct SensorFailureLines {
  const char* connect;
  const char* write;
  const char* read;
};

// Runs exchange; 0 when it raised nothing, else 14 (connect), 15 (write) or
// 16 (read) after writing the matching line.
template <class Exchange>
std::int32_t exchangeWithSensor(const SensorFailureLines& lines, Exchange&& exchange) {
  try {
    exchange();
    return 0;
  } catch (const CreateSocketException&) {
    writeLog(lines.connect);
    return MRR_TYPE_ConnectCV_Error;
  } catch (const WriteToSocketException&) {
    writeLog(lines.write);
    return MRR_TYPE_WriteToCV_Error;
  } catch (const ReadFromSocketException&) {
    writeLog(lines.read);
    return MRR_TYPE_ReadFromCV_Error;
  }
}

}  // namespace cvlm
