// Reply-bytes SMTP peer for the mailer's fuzz target.
#include "logserver/fuzz/reply_bytes_peer.h"

#include <sys/socket.h>
#include <unistd.h>

#include "platform/net.h"

namespace halvern_fuzz {

namespace {
// Bound on each wait for the mailer's next bytes or its close.
constexpr int kDrainWaitMs = 2000;

// Appends what arrives to received until the mailer closes.
void readUntilClosed(int fd, std::string& received) {
  char chunk[4096];
  ssize_t got;
  while (platform::waitReadable(fd, kDrainWaitMs) == 1 && (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
    received.append(chunk, static_cast<std::size_t>(got));
}
}  // namespace

ReplyBytesPeer::~ReplyBytesPeer() {
  if (serving()) stop();
}

void ReplyBytesPeer::start(std::string replies, End end) {
  replies_ = std::move(replies);
  end_ = end;
  received_.clear();
  startServing();
}

void ReplyBytesPeer::stop() { accepted_ = stopServing() > 0; }

void ReplyBytesPeer::serveOne(int fd, int index) {
  if (index == 0) {
    if (!replies_.empty()) platform::sendAll(fd, replies_.data(), replies_.size());
    if (end_ != End::Close) {
      if (end_ == End::ShutDown) ::shutdown(fd, SHUT_WR);
      readUntilClosed(fd, received_);
    }
  }
  ::close(fd);
}

}  // namespace halvern_fuzz
