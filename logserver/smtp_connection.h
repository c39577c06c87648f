// The client side of one SMTP connection: bounded connect, whole sends and
// replies read as whole lines, each send and each reply with a bounded wait.
#pragma once

#include <cstdint>
#include <string>

#include "platform/descriptor.h"

namespace halvern {

// Longest reply line accepted, line end included.
inline constexpr std::size_t kMaxReplyLine = 512;

// A reply: the code of its last line and that line's text without its line
// end; code -1 when no whole reply arrived, the text then says why.
struct SmtpReply {
  int code = -1;
  std::string text;
  bool lineRead = false;  // a whole line arrived (even one without a code)
};

class SmtpConnection {
 public:
  explicit SmtpConnection(int replyTimeoutMs) : replyTimeoutMs_(replyTimeoutMs) {}
  ~SmtpConnection() { close(); }
  SmtpConnection(const SmtpConnection&) = delete;
  SmtpConnection& operator=(const SmtpConnection&) = delete;

  // Connects to a network-order address within connectTimeoutMs.
  bool open(std::uint32_t address, std::uint16_t port, int connectTimeoutMs);
  // Sends all of text (never raises SIGPIPE), given up when the server takes
  // none of it for the reply wait; false with "send error" or "send time-out"
  // in *why.
  bool sendText(const std::string& text, std::string* why = nullptr);
  // Reads one reply: continuation lines ("NNN-") are skipped, the last line
  // ("NNN " or "NNN") gives the code.
  SmtpReply readReply();
  void close();

 private:
  // Next line without its line end; false with the reason in why.
  bool readLine(std::string& line, std::string& why, long long deadlineMs);

  platform::Descriptor fd_;
  int replyTimeoutMs_;
  std::string pending_;  // bytes received past the last line read
};

}  // namespace halvern
