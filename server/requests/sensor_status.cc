// Request 5, the sensor status query: six status commands to the sensor, one
// connection each, their reply values collected into the result.
#include "server/requests/sensor_status.h"

#include <cmath>
#include <cstring>

#include "server/cv_host.h"
#include "server/log.h"
#include "server/requests/handlers.h"
#include "server/requests/sensor_exchange.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

std::int32_t statusFigure(float value) {
  constexpr std::int32_t kIndefinite = INT32_MIN;
  double scaled = static_cast<double>(value) * 100.0;
  // Truncation toward zero keeps every value in (-2^31 - 1, 2^31).
  if (!std::isfinite(scaled) || scaled >= 2147483648.0 || scaled <= -2147483649.0) return kIndefinite;
  return static_cast<std::int32_t>(scaled);
}

void storeStatusReply(const StatusStep& step, std::int32_t value1, std::int32_t value2, SensorStatusResult& status) {
  status.*step.first = value1;
  switch (step.secondKind) {
    case StatusSecondValue::None:
      break;
    case StatusSecondValue::Int:
      status.*step.second = value2;
      break;
    case StatusSecondValue::FloatTimes100: {
      float figure;
      static_assert(sizeof figure == sizeof value2);
      std::memcpy(&figure, &value2, sizeof figure);
      status.*step.second = statusFigure(figure);
      break;
    }
  }
}

namespace {

// One status command over its own connection; the reply's words also go into
// the next command's +16 and +20.
void runStatusStep(const std::string& address, const StatusStep& step, cvrh& request, SensorStatusResult& status) {
  request.command = step.command;
  CSocket link(address);
  link.connectSensor();
  link.sendRequest(request);
  cvret reply = link.receiveReply();
  requireAccepted(reply);
  storeStatusReply(step, reply.value1, reply.value2, status);
  request.param1 = reply.value1;
  request.param2 = reply.value2;
}

}  // namespace

void queryCvHost(UISocket& console, const RqH& header, MgrRequestResult& result) {
  SensorArgs args = header.argsAs<SensorArgs>();
  const std::string text = cvAddressText(args.address);
  writeLogf("Dispatcher::queryCvHost() : %s", text.c_str());
  cvrh request{};
  sensorIdOf(args.address, request.sensorId);
  // The values of the steps that succeeded are sent even when a later one fails.
  SensorStatusResult status{};
  std::memcpy(status.sensorId, request.sensorId, sizeof request.sensorId);
  std::int32_t failure = exchangeWithSensor(
      {"Dispatcher::queryCvHost::CreateSocketException", "Dispatcher::queryCvHost::WriteToSocketException",
       "Dispatcher::queryCvHost::ReadFromSocketException"},
      [&] {
        for (const StatusStep& step : kStatusSteps) runStatusStep(text, step, request, status);
      });
  result.setPayload(status);
  answer(console, result, failure ? failure : MRR_TYPE_Success);
}

}  // namespace cvlm
