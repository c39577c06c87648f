// Request dispatcher: reads the request header, then closes the connection.
#include "dispatcher.h"

#include "protocol.h"

namespace cvlm {

void Dispatcher::dispatcher() {
  RqH header{};
  connection_.receive(&header, sizeof header);
  connection_.closeSocket();
}

}  // namespace cvlm
