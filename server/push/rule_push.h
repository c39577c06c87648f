// The rule push that follows a Rule book upload when the console asks for it.
#pragma once

#include <cstdint>

#include "server/protocol.h"
#include "server/ui_socket.h"

namespace cvlm {

// Pushes the sensor's Rule book (address bytes in memory order) and sends
// the result: 1, or the code of the step that failed.
void uploadRule(UISocket& console, std::uint32_t sensor, MgrRequestResult& result);

}  // namespace cvlm
