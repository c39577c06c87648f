// Entry of the attack-log server Halvern.
#include <cstdio>

#include "alert_sink.h"
#include "service.h"

int main() {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  halvern::NoAlertSink alerts;
  halvern::LogServerConfig config;
  config.alertSink = &alerts;
  return halvern::runLogServer(config);
}
