// A sensor for fuzz targets: listens on 127.0.0.N and answers each connection
// with the key agreement for a given secret, then with given bytes scrambled
// by the agreed key byte, so the server's link reads exactly those bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform_testing/loopback_peer.h"

namespace cvlm_fuzz {

class ByteSensor : public platform_testing::LoopbackPeer {
 public:
  // Listens on the first free 127.0.0.N (N from 2 to 254) at port; aborts
  // when none is free.
  explicit ByteSensor(std::uint16_t port) : LoopbackPeer(port) {}
  ~ByteSensor() override;

  // Serves connections on a thread of its own until stop(): each sends the
  // first keyBytes bytes of its key value (all 4 normally), then the next of
  // replies (nothing once they are used up), then reads what the server sends
  // until it closes. Every wait is bounded by stepTimeoutMs.
  void start(std::uint32_t secret, std::size_t keyBytes, std::vector<std::string> replies, int stepTimeoutMs);
  // Ends serving; the number of connections served.
  int stop() { return stopServing(); }

 private:
  void serveOne(int fd, int index) override;

  std::uint32_t secret_ = 0;
  std::size_t keyBytes_ = 4;
  std::vector<std::string> replies_;
  int stepTimeoutMs_ = 1000;
};

}  // namespace cvlm_fuzz
