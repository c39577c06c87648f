// The scripted SMTP peer: one connection at a time on its own thread.
#include "logserver/tests/support/smtp_peer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>

#include "platform/net.h"

namespace halvern_testing {

namespace {
constexpr int kPollMs = 20;

std::string verbOf(const std::string& line) {
  std::string verb;
  for (std::size_t i = 0; i < line.size() && i < 4; ++i)
    verb.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(line[i]))));
  return verb;
}

PeerStep defaultStep(const std::string& verb) {
  if (verb == "DATA") return PeerStep::reply("354 end with <CR><LF>.<CR><LF>\r\n");
  if (verb == "QUIT") return PeerStep::reply("221 bye\r\n");
  if (verb == "MAIL" || verb == "RCPT" || verb == ".") return PeerStep::reply("250 ok\r\n");
  return PeerStep::reply("500 unknown command\r\n");
}
}  // namespace

ScriptedSmtpPeer::ScriptedSmtpPeer(const std::string& address, std::uint16_t port) {
  address_ = platform::parseAddress(address);
  listenFd_ = platform::openListener(address_, port, 4);
  if (listenFd_ < 0) return;
  port_ = platform::boundPort(listenFd_);
  thread_ = std::thread([this] { run(); });
}

ScriptedSmtpPeer::~ScriptedSmtpPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void ScriptedSmtpPeer::setGreeting(PeerStep step) {
  std::lock_guard<std::mutex> lock(mutex_);
  greeting_ = std::move(step);
}

void ScriptedSmtpPeer::shrinkReceiveWindow() {
  int buffer = 1024, segment = 536;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  ::setsockopt(listenFd_, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
}

void ScriptedSmtpPeer::script(const std::string& verb, int occurrence, PeerStep step) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_[{verb, occurrence}] = std::move(step);
}

std::string ScriptedSmtpPeer::received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

std::vector<std::string> ScriptedSmtpPeer::commands() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_;
}

std::string ScriptedSmtpPeer::mailText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mailText_;
}

int ScriptedSmtpPeer::connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

bool ScriptedSmtpPeer::waitAllClosed(int timeoutMs) const {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (connections_ > 0 && closed_ == connections_) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

void ScriptedSmtpPeer::run() {
  while (!stop_) {
    if (platform::waitReadable(listenFd_, kPollMs) <= 0) continue;
    int fd = ::accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++connections_;
      inData_ = false;
      silent_ = false;
      reading_ = true;
    }
    serve(fd);
    ::close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    ++closed_;
  }
}

PeerStep ScriptedSmtpPeer::stepFor(const std::string& verb) {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = ++seen_[verb];
  auto it = script_.find({verb, n});
  return it != script_.end() ? it->second : defaultStep(verb);
}

void ScriptedSmtpPeer::serve(int fd) {
  PeerStep greeting;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    greeting = greeting_;
  }
  if (greeting.kind == PeerStep::Close) return;
  if (greeting.kind == PeerStep::Silent) silent_ = true;
  else platform::sendAll(fd, greeting.text.data(), greeting.text.size());

  std::string buffer;
  while (!stop_) {
    if (!reading_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    int ready = platform::waitReadable(fd, kPollMs);
    if (ready < 0) return;
    if (ready == 0) continue;
    char chunk[4096];
    ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
    if (got <= 0) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(chunk, static_cast<std::size_t>(got));
    }
    buffer.append(chunk, static_cast<std::size_t>(got));
    if (!silent_ && !process(fd, buffer)) return;
  }
}

bool ScriptedSmtpPeer::process(int fd, std::string& buffer) {
  for (;;) {
    std::string verb;
    if (inData_) {
      std::size_t end = buffer.compare(0, 3, ".\r\n") == 0 ? 0 : buffer.find("\r\n.\r\n");
      if (end == std::string::npos) return true;
      std::size_t textEnd = end == 0 ? 0 : end + 2;
      std::lock_guard<std::mutex> lock(mutex_);
      mailText_ = buffer.substr(0, textEnd);
      commands_.push_back(".");
      buffer.erase(0, textEnd + 3);
      inData_ = false;
      verb.push_back('.');
    } else {
      std::size_t end = buffer.find("\r\n");
      if (end == std::string::npos) return true;
      std::string line = buffer.substr(0, end);
      buffer.erase(0, end + 2);
      verb = verbOf(line);
      std::lock_guard<std::mutex> lock(mutex_);
      commands_.push_back(line);
    }
    PeerStep step = stepFor(verb);
    if (step.kind == PeerStep::Close) return false;
    if (step.kind == PeerStep::Silent) {
      silent_ = true;
      return true;
    }
    platform::sendAll(fd, step.text.data(), step.text.size());
    if (verb == "DATA" && step.text.compare(0, 3, "354") == 0) inData_ = true;
    if (step.kind == PeerStep::ReplyThenStopReading) {
      reading_ = false;
      return true;
    }
    if (verb == "QUIT" || step.kind == PeerStep::ReplyThenClose) return false;
  }
}

}  // namespace halvern_testing
