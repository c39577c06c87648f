// SMTP client connection: connect, send, read replies.
#include "logserver/smtp_connection.h"

#include <sys/socket.h>
#include <unistd.h>

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
  fd_ = platform::connectTo(address, port, connectTimeoutMs);
  return fd_ >= 0;
}

bool SmtpConnection::sendText(const std::string& text, std::string* why) {
  if (fd_ >= 0 && platform::sendAllWithin(fd_, text.data(), text.size(), replyTimeoutMs_) ==
                      static_cast<long>(text.size()))
    return true;
  if (why) *why = fd_ >= 0 && errno == ETIMEDOUT ? "send time-out" : "send error";
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
    int ready = left > 0 ? platform::waitReadable(fd_, static_cast<int>(left)) : 0;
    if (ready <= 0) {
      why = ready == 0 ? "no reply (time-out)" : "receive failed";
      return false;
    }
    char buffer[kMaxReplyLine];
    ssize_t got = ::recv(fd_, buffer, kMaxReplyLine - pending_.size(), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      why = got == 0 ? "connection closed" : "receive failed";
      return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
  }
}

SmtpReply SmtpConnection::readReply() {
  SmtpReply reply;
  if (fd_ < 0) {
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
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pending_.clear();
}

}  // namespace halvern
