// The rule push: a sensor's enabled DDoS policies in one sensor connection
// (command 9), then its expanded sensor rules in a second (command 1).
#include "server/push/rule_push.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/net.h"
#include "server/books/rule_table.h"
#include "server/constants.h"
#include "server/log.h"
#include "server/push/rule_picking.h"
#include "server/requests/handlers.h"
#include "server/requests/sensor_exchange.h"
#include "server/sensor/sensor_link.h"

namespace cvlm {

namespace {

constexpr SensorFailureLines kPushFailureLines = {"Dispatcher::uploadRule::MRR_TYPE_ConnectCV_Error",
                                                  "Dispatcher::uploadRule::MRR_TYPE_WriteToCV_Error",
                                                  "Dispatcher::uploadRule::MRR_TYPE_ReadFromCV_Error"};

// One sensor command carrying records: the header announcing their size and
// number, each record as one send, and the reply. A refusal is reported
// like a failed send.
template <class Record>
void sendRecords(const std::string& address, std::int32_t command,
                 const std::uint8_t (&sensorId)[kSensorIdSize], const std::vector<Record>& records) {
  cvrh request{};
  request.command = command;
  std::memcpy(request.sensorId, sensorId, kSensorIdSize);
  request.param1 = static_cast<std::int32_t>(sizeof(Record));
  request.param2 = static_cast<std::int32_t>(records.size());
  CSocket link(address);
  link.connectSensor();
  link.sendRequest(request);
  for (const Record& record : records) link.sendBlock(&record, sizeof record);
  if (link.receiveReply().rrtype != kRrtypeAccepted) throw WriteToSocketException{};
}

std::int32_t pushRules(std::uint32_t sensor) {
  std::string address = platform::dottedAddress(sensor);
  PickedRules picked;
  std::int32_t n = 0;
  std::int32_t m = 0;
  {
    RuleTable table(sensor);
    n = table.getNRules();
    m = table.getNDDoS();
    bool sane = n >= 0 && m >= 0 && n <= kMaxPushedRules && m <= kMaxPushedRules;
    if (sane) picked = pickRules(table, n, m);
    if (!picked.booksRead) {
      writeLog("Dispatcher::uploadRule::MRR_TYPE_Openfile_Error");
      return MRR_TYPE_Openfile_Error;
    }
    if (!sane || picked.rules.size() != static_cast<std::size_t>(n) ||
        picked.policies.size() != static_cast<std::size_t>(m)) {
      writeLog("Dispatcher::uploadRule::MRR_TYPE_Not_Enough_Data_Error");
      return MRR_TYPE_Not_Enough_Data_Error;
    }
    writeLogf("Dispatcher::uploadRule::Number of picked rules = %d", n);
  }
  writeLogf("Dispatcher::uploadRule::send DDoS policies, nDDoS = %d", m);
  std::uint8_t sensorId[kSensorIdSize];
  sensorIdOf(reinterpret_cast<const std::uint8_t*>(&sensor), sensorId);
  std::int32_t failure = exchangeWithSensor(kPushFailureLines, [&] {
    sendRecords(address, CVRH_LoadDDoS, sensorId, picked.policies);
    writeLogf("Dispatcher::uploadRule::send non-DDoS policies, nRules = %d", n);
    sendRecords(address, CVRH_LoadRules, sensorId, picked.rules);
  });
  return failure != 0 ? failure : MRR_TYPE_Success;
}

}  // namespace

void uploadRule(UISocket& console, std::uint32_t sensor, MgrRequestResult& result) {
  writeLog("Dispatcher::uploadRule()");
  answer(console, result, pushRules(sensor));
}

}  // namespace cvlm
