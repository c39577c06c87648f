// The log server's host on a chosen loopback port, so benchmarks can run
// beside tests that hold the fixed port: the same listener, session slots
// and sessions as Halvern.
//
//   halvern_on_port PORT
#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstdlib>

#include "logserver/alert_sink.h"
#include "logserver/service.h"

int main(int argc, char** argv) {
  long port = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (port <= 0 || port > 65535) {
    std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  halvern::NoAlertSink alerts;
  halvern::LogServerConfig config;
  config.address = htonl(INADDR_LOOPBACK);
  config.port = static_cast<std::uint16_t>(port);
  config.alertSink = &alerts;
  return halvern::runLogServer(config);
}
