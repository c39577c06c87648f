// Entry of the attack-log server Halvern.
#include <cstdio>

#include "logserver/mail_alert.h"
#include "logserver/service.h"

int main() {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  halvern::MailAlertSink alerts;
  halvern::LogServerConfig config;
  config.alertSink = &alerts;
  return halvern::runLogServer(config);
}
