// The console program's host on a chosen loopback port, so benchmarks can run
// beside tests that hold the fixed port: the same listener, connection
// threads and dispatcher as cvlm.
//
//   cvlm_on_port PORT
#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstdlib>

#include "server/programs.h"

int main(int argc, char** argv) {
  long port = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (port <= 0 || port > 65535) {
    std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
    return 2;
  }
  cvlm::ListenerConfig config;
  config.address = htonl(INADDR_LOOPBACK);
  config.port = static_cast<std::uint16_t>(port);
  return cvlm::runConsoleProgram(config);
}
