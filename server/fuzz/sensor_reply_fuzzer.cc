// libFuzzer target for the sensor reply path: the link connects to a byte
// sensor on 127.0.0.N, agrees the key and runs one command exchange whose
// reply and reply data are the input's bytes.
//
// Input: byte 0 picks the command, byte 1 how much of its key value the
// sensor sends, bytes 2-3 the sensor's secret, the rest is what the link
// reads after the key agreement (unscrambled).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "byte_sensor.h"
#include "sensor/sensor_link.h"
#include "sensor/sensor_records.h"

namespace {

std::unique_ptr<cvlm_fuzz::ByteSensor> sensor;

constexpr int kStepTimeoutMs = 1000;

struct Command {
  std::int32_t command;
  std::int32_t param1, param2;  // as the senders fill them
  std::size_t dataBytes;        // data sent after the request
  bool callerMapsRrtype;        // commands 1, 9 and 14 read rrtype themselves
};

const Command kCommands[] = {
    {cvlm::CVRH_LoadRules, 420, 1, 420, true},
    {cvlm::CVRH_StatusPair1, 0, 0, 0, false},
    {cvlm::CVRH_StatusPair2, 0, 0, 0, false},
    {cvlm::CVRH_StatusItem3, 0, 0, 0, false},
    {cvlm::CVRH_StatusItem4, 0, 0, 0, false},
    {cvlm::CVRH_LoadDDoS, 28, 1, 28, true},
    {cvlm::CVRH_StatusPair5, 0, 0, 0, false},
    {cvlm::CVRH_StatusPair6, 0, 0, 0, false},
    {cvlm::CVRH_PutKernel, 1500, 0, 1500, true},
    {cvlm::CVRH_SetKparam, 8, 7, 56, false},
    {cvlm::CVRH_GetKparam, 0, 0, 0, false},
    {cvlm::CVRH_GetCvId, 0, 0, 0, false},
};

// Kernel parameters follow the reply to command 16: +16 x 2 x +20 bytes.
// Announcements beyond this are not read (the caller bounds its buffer).
constexpr std::int64_t kLargestReplyData = 8 * 7 * 64;

void runExchange(const Command& c) {
  cvlm::SensorLinkConfig config;
  config.port = sensor->port();
  config.connectTimeoutMs = kStepTimeoutMs;
  config.receiveTimeoutMs = kStepTimeoutMs;
  config.sendTimeoutMs = kStepTimeoutMs;
  try {
    cvlm::CSocket link(sensor->address(), config);
    link.connectSensor();
    cvlm::cvrh request{};
    request.command = c.command;
    request.param1 = c.param1;
    request.param2 = c.param2;
    link.sendRequest(request);
    if (c.dataBytes > 0) {
      std::vector<unsigned char> data(c.dataBytes, 0x5A);
      link.sendBlock(data.data(), data.size());
    }
    cvlm::cvret reply = link.receiveReply();
    if (!c.callerMapsRrtype) cvlm::requireAccepted(reply);
    if (c.command == cvlm::CVRH_GetKparam) {
      std::int64_t size = static_cast<std::int64_t>(reply.value1) * 2 * reply.value2;
      if (size > 0 && size <= kLargestReplyData) {
        std::vector<unsigned char> data(static_cast<std::size_t>(size));
        link.receiveData(data.data(), data.size());
      }
    } else if (c.command == cvlm::CVRH_StatusItem4) {
      volatile float f = reply.value2AsFloat();
      (void)f;
    } else if (c.command == cvlm::CVRH_GetCvId) {
      std::uint8_t id[cvlm::kSensorIdSize];
      std::memcpy(id, reply.sensorId, sizeof id);
    }
  } catch (const cvlm::CreateSocketException&) {
  } catch (const cvlm::WriteToSocketException&) {
  } catch (const cvlm::ReadFromSocketException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  sensor = std::make_unique<cvlm_fuzz::ByteSensor>(0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const Command& command = kCommands[data[0] % (sizeof kCommands / sizeof kCommands[0])];
  static const std::size_t kKeyBytes[] = {4, 4, 2, 0};
  std::size_t keyBytes = kKeyBytes[data[1] & 3];
  std::uint32_t secret = static_cast<std::uint32_t>(data[2]) | static_cast<std::uint32_t>(data[3]) << 8;
  std::string reply(reinterpret_cast<const char*>(data + 4), size - 4);
  std::thread serving([&] { sensor->serveOne(secret, keyBytes, reply, kStepTimeoutMs); });
  runExchange(command);
  serving.join();
  return 0;
}
