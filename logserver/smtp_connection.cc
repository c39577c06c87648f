// SMTP client connection: connect, send, read replies.
#include "logserver/smtp_connection.h"

#include <cctype>
#include <cerrno>
#include <chrono>

#include "platform/net.h"

namespace halvern {

namespace {

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool isReplyLine(const std::string& line) {
  if (line.size() < 3) return false;
  for (int i = 0; i < 3; ++i)
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  return line.size() == 3 || line[3] == ' ' || line[3] == '-';
}

}  // namespace

bool SmtpConnection::open(std::uint32_t address, std::uint16_t port, int connectTimeoutMs) {
  close();
  fd_.reset(platform::connectTo(address, port, connectTimeoutMs));
  return fd_.valid();
}

bool SmtpConnection::sendText(const std::string& text, std::string* why) {
  if (fd_.valid() && platform::sendAllWithin(fd_.get(), text.data(), text.size(), replyTimeoutMs_) ==
                         static_cast<long>(text.size()))
    return true;
  if (why) *why = fd_.valid() && errno == ETIMEDOUT ? "send time-out" : "send error";
  return false;
}

bool SmtpConnection::readLine(std::string& line, std::string& why, long long deadlineMs) {
  for (;;) {
    std::size_t end = pending_.find('\n');
    if (end != std::string::npos && end < kMaxReplyLine) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (pending_.size() >= kMaxReplyLine) {
      why = "reply line too long";
      return false;
    }
    long long left = deadlineMs - nowMs();
    if (left <= 0) {
      why = "no reply (time-out)";
      return false;
    }
    char buffer[kMaxReplyLine];
    platform::Received got =
        platform::receiveSome(fd_.get(), buffer, kMaxReplyLine - pending_.size(), static_cast<int>(left));
    switch (got.end) {
      case platform::ReceiveEnd::Complete:
        pending_.append(buffer, got.count);
        break;
      case platform::ReceiveEnd::TimedOut:
        why = "no reply (time-out)";
        return false;
      case platform::ReceiveEnd::Closed:
        why = "connection closed";
        return false;
      case platform::ReceiveEnd::Failed:
      case platform::ReceiveEnd::WaitFailed:
        why = "receive failed";
        return false;
    }
  }
}

SmtpReply SmtpConnection::readReply() {
  SmtpReply reply;
  if (!fd_.valid()) {
    reply.text = "not connected";
    return reply;
  }
  long long deadline = nowMs() + replyTimeoutMs_;
  std::string line;
  for (;;) {
    if (!readLine(line, reply.text, deadline)) return reply;
    reply.lineRead = true;
    if (!isReplyLine(line)) {
      reply.text = "malformed reply: " + line;
      return reply;
    }
    if (line.size() == 3 || line[3] == ' ') break;
  }
  reply.code = std::stoi(line.substr(0, 3));
  reply.text = line;
  return reply;
}

void SmtpConnection::close() {
  fd_.reset();
  pending_.clear();
}

}  // namespace halvern
