// Serves the one request of a console connection: makes sure the account file
// exists, reads and checks the header, runs the handler of its type, sends a
// result when the handler does not, and closes the connection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol.h"
#include "ui_socket.h"

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
  // Scrambles the result and sends it as one unit; false when sent short.
  bool sendMRR(MgrRequestResult& result);
  // Accepts every request.
  bool checkValidConn(const RqH& header, MgrRequestResult& result);

  // requests/hello.cc
  void hello(RqH& header, MgrRequestResult& result);
  // Value of key in section of "cvlm.ini", at most size bytes; 1 found, 0 not.
  int readIniValue(const char* section, const char* key, char* out, std::size_t size);

  UISocket& connection_;

 private:
  // Creates ".acl" with the built-in accounts when it is missing; false when
  // it cannot be created.
  bool makeAccountFile();
};

}  // namespace cvlm
