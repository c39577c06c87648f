// A fuzz target's peer on the first free loopback address 127.0.0.N: its
// listener, and a thread that serves the connections of one run in order.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

namespace cvlm_fuzz {

class LoopbackPeer {
 public:
  // Listens on the first free 127.0.0.N (N from 2 to 254) at port (0: an
  // ephemeral one); aborts when none is free.
  explicit LoopbackPeer(std::uint16_t port);
  // A derived peer stops serving in its own destructor.
  virtual ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  std::string address() const;
  std::uint32_t addressValue() const;  // network byte order
  std::uint16_t port() const { return port_; }

 protected:
  // Starts a thread that hands each accepted connection to serveOne until
  // stopServing().
  void startServing();
  // Ends the thread and closes connections never accepted, so that none is
  // left for the next run; the number of connections served.
  int stopServing();
  bool serving() const { return thread_.joinable(); }
  // Serves and closes the index-th connection of the run (from 0).
  virtual void serveOne(int fd, int index) = 0;

 private:
  void serve();

  int listener_ = -1;
  int stopEvent_ = -1;
  int hostN_ = 0;
  std::uint16_t port_ = 0;
  int served_ = 0;
  std::thread thread_;
};

}  // namespace cvlm_fuzz
