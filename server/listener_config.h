// Where the console listener listens and the bounds of each connection's
// receives, sends and close.
#pragma once

#include <cstdint>

#include "server/constants.h"

namespace cvlm {

struct ListenerConfig {
  std::uint32_t address = 0;  // network byte order; 0 is INADDR_ANY
  std::uint16_t port = kConsolePort;
  int receiveTimeoutMs = kReceiveSeconds * 1000;
  int sendTimeoutMs = kSendSeconds * 1000;
  int closeDrainMs = kCloseDrainMs;
};

}  // namespace cvlm
