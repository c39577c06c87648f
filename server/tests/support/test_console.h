// A console for tests: one loopback connection to the management server that
// sends request headers and units and receives results and units the way the
// real console cuts its stream (stream XOR restarting at every unit).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/protocol.h"
#include "server/tests/support/request_headers.h"

namespace cvlm_testing {

inline const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);  // network order
inline constexpr int kConsoleTimeoutMs = 5000;

// The 32-bit result type at offset 4.
std::int32_t resultType(const cvlm::MgrRequestResult& result);

class TestConsole {
 public:
  // Connects to address:port (network-order address, loopback only).
  explicit TestConsole(std::uint16_t port, std::uint32_t address = kLoopback, int timeoutMs = kConsoleTimeoutMs);
  ~TestConsole();
  TestConsole(const TestConsole&) = delete;
  TestConsole& operator=(const TestConsole&) = delete;

  bool connected() const { return fd_ >= 0; }

  // Scrambles a copy of the header and sends it as one unit.
  bool sendHeader(const cvlm::RqH& header);
  bool sendHeader(std::int32_t type) { return sendHeader(makeHeader(type)); }
  // Sends data as one unit (XORed from key position 0).
  bool sendUnit(std::string_view data);
  // Sends bytes exactly as given: no scrambling, no XOR.
  bool sendRaw(std::string_view bytes);

  // Receives one 260-byte result: un-XORed, check byte verified, unscrambled.
  // Empty when it is short or its bytes do not sum to 0.
  std::optional<cvlm::MgrRequestResult> receiveResult();
  // Receives one unit of exactly n bytes, un-XORed; empty when short.
  std::optional<std::string> receiveUnit(std::size_t n);

  // sendHeader, then receiveResult.
  std::optional<cvlm::MgrRequestResult> request(const cvlm::RqH& header);
  std::optional<cvlm::MgrRequestResult> request(std::int32_t type) { return request(makeHeader(type)); }

  // True when the server closes the connection without sending another byte.
  bool closedByServer();
  // True when no byte and no close arrives within ms.
  bool silentFor(int ms);

  // Ends the sending direction only, so the server's receive sees the close
  // while the result can still be read.
  bool halfClose();
  void close();

 private:
  int fd_ = -1;
  int timeoutMs_;
};

}  // namespace cvlm_testing
