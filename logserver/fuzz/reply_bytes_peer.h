// An SMTP server for the mailer's fuzz target: listens on 127.0.0.N at an
// ephemeral port and answers the first connection of a run with given bytes,
// all sent at once when it accepts, then ends it as the run says and keeps
// what it received.
#pragma once

#include <string>

#include "platform_testing/loopback_peer.h"

namespace halvern_fuzz {

class ReplyBytesPeer : public platform_testing::LoopbackPeer {
 public:
  // How the peer ends the connection after sending its bytes.
  enum class End {
    ShutDown,  // shuts down its sending side, reads until the mailer closes
    Silent,    // sends nothing more, reads until the mailer closes
    Close,     // closes at once
  };

  ReplyBytesPeer() : LoopbackPeer(0) {}
  ~ReplyBytesPeer() override;

  // Serves the run's connections on a thread of its own until stop(); any
  // after the first are closed at once.
  void start(std::string replies, End end);
  void stop();

  // Of the last run, after stop(): whether a connection was accepted, and
  // the bytes received on the first (none when it closed at once).
  bool accepted() const { return accepted_; }
  const std::string& received() const { return received_; }

 private:
  void serveOne(int fd, int index) override;

  std::string replies_;
  End end_ = End::ShutDown;
  bool accepted_ = false;
  std::string received_;
};

}  // namespace halvern_fuzz
