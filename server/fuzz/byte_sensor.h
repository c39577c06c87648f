// A sensor for fuzz targets: listens on 127.0.0.N and answers each connection
// with the key agreement for a given secret, then with given bytes scrambled
// by the agreed key byte, so the server's link reads exactly those bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cvlm_fuzz {

class ByteSensor {
 public:
  // Listens on the first free 127.0.0.N (N from 2 to 254) at port; aborts
  // when none is free.
  explicit ByteSensor(std::uint16_t port);
  ~ByteSensor();
  ByteSensor(const ByteSensor&) = delete;
  ByteSensor& operator=(const ByteSensor&) = delete;

  std::string address() const;
  std::uint16_t port() const { return port_; }

  // Serves one connection, waiting at most timeoutMs at every step: sends the
  // first keyBytes bytes of its key value (all 4 normally), then reply, then
  // reads what the server sends until it closes.
  void serveOne(std::uint32_t secret, std::size_t keyBytes, const std::string& reply, int timeoutMs);

 private:
  int listener_ = -1;
  int hostN_ = 0;
  std::uint16_t port_ = 0;
};

}  // namespace cvlm_fuzz
