// Serves the one request of a console connection.
#pragma once

#include "ui_socket.h"

namespace cvlm {

class Dispatcher {
 public:
  explicit Dispatcher(UISocket& connection) : connection_(connection) {}
  // Reads the request, runs its handler and closes the connection.
  void dispatcher();

 private:
  UISocket& connection_;
};

}  // namespace cvlm
