// Serves the one request of a console connection: makes sure the account file
// exists, reads and checks the header, runs the handler of its type from the
// request table, sends a result when the handler does not, and closes the
// connection.
#pragma once

#include "server/protocol.h"
#include "server/ui_socket.h"

namespace cvlm {

class Dispatcher {
 public:
  explicit Dispatcher(UISocket& connection) : connection_(connection) {}
  virtual ~Dispatcher() = default;
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Serves one request and closes the connection.
  void dispatcher();

 protected:
  // Runs the handler of the header's type; false for a type without a
  // handler (answered 4 by the caller). Handlers send their own result.
  virtual bool handleRequest(RqH& header, MgrRequestResult& result);

  // Receives the 196-byte header and checks it; false when short or corrupt.
  bool readMRH(RqH& header);
  // Accepts every request.
  bool checkValidConn(const RqH& header, MgrRequestResult& result);

  UISocket& connection_;
};

}  // namespace cvlm
