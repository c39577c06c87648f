// Byte-stream sensor for fuzz targets.
#include "byte_sensor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/net.h"
#include "sensor/key_agreement.h"
#include "wire.h"

namespace cvlm_fuzz {

namespace {
std::uint32_t loopback(int n) { return htonl(0x7F000000u | static_cast<std::uint32_t>(n)); }
}  // namespace

ByteSensor::ByteSensor(std::uint16_t port) {
  for (int n = 2; n < 255 && listener_ < 0; ++n) {
    listener_ = platform::openListener(loopback(n), port, 4);
    if (listener_ >= 0) hostN_ = n;
  }
  stopEvent_ = ::eventfd(0, EFD_CLOEXEC);
  if (listener_ < 0 || stopEvent_ < 0) std::abort();
  port_ = platform::boundPort(listener_);
}

ByteSensor::~ByteSensor() {
  if (thread_.joinable()) stop();
  ::close(listener_);
  ::close(stopEvent_);
}

std::string ByteSensor::address() const { return "127.0.0." + std::to_string(hostN_); }

std::uint32_t ByteSensor::addressValue() const { return loopback(hostN_); }

void ByteSensor::start(std::uint32_t secret, std::size_t keyBytes, std::vector<std::string> replies,
                       int stepTimeoutMs) {
  secret_ = secret;
  keyBytes_ = keyBytes;
  replies_ = std::move(replies);
  stepTimeoutMs_ = stepTimeoutMs;
  served_ = 0;
  thread_ = std::thread([this] { serve(); });
}

int ByteSensor::stop() {
  std::uint64_t one = 1;
  (void)!::write(stopEvent_, &one, sizeof one);
  thread_.join();
  std::uint64_t count;
  (void)!::read(stopEvent_, &count, sizeof count);
  return served_;
}

void ByteSensor::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stopEvent_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents & POLLIN) return;
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::size_t index = static_cast<std::size_t>(served_++);
    serveOne(fd, index < replies_.size() ? replies_[index] : std::string());
  }
}

void ByteSensor::serveOne(int fd, const std::string& reply) {
  unsigned char value[4];
  if (platform::recvExact(fd, value, sizeof value, stepTimeoutMs_) == static_cast<long>(sizeof value)) {
    std::uint32_t serverValue = static_cast<std::uint32_t>(cvlm::getInt32(value, 0));
    cvlm::putInt32(value, 0, static_cast<std::int32_t>(cvlm::truncatingModPower(cvlm::kKeyBase, secret_)));
    platform::sendAll(fd, value, keyBytes_ < sizeof value ? keyBytes_ : sizeof value);
    if (keyBytes_ >= sizeof value && !reply.empty()) {
      std::uint8_t key = cvlm::keyByteOf(cvlm::truncatingModPower(serverValue, secret_));
      std::string scrambled = reply;
      for (char& c : scrambled) c = static_cast<char>(c ^ key);
      platform::sendAll(fd, scrambled.data(), scrambled.size());
    }
  }
  ::shutdown(fd, SHUT_WR);
  char sink[4096];
  while (platform::waitReadable(fd, stepTimeoutMs_) == 1 && ::recv(fd, sink, sizeof sink, 0) > 0) {
  }
  ::close(fd);
}

}  // namespace cvlm_fuzz
