// Byte-stream sensor for fuzz targets.
#include "byte_sensor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
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
  if (listener_ < 0) std::abort();
  port_ = platform::boundPort(listener_);
}

ByteSensor::~ByteSensor() { ::close(listener_); }

std::string ByteSensor::address() const { return "127.0.0." + std::to_string(hostN_); }

void ByteSensor::serveOne(std::uint32_t secret, std::size_t keyBytes, const std::string& reply, int timeoutMs) {
  if (platform::waitReadable(listener_, timeoutMs) != 1) return;
  int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  unsigned char value[4];
  if (platform::recvExact(fd, value, sizeof value, timeoutMs) == static_cast<long>(sizeof value)) {
    std::uint32_t serverValue = static_cast<std::uint32_t>(cvlm::getInt32(value, 0));
    cvlm::putInt32(value, 0, static_cast<std::int32_t>(cvlm::truncatingModPower(cvlm::kKeyBase, secret)));
    platform::sendAll(fd, value, keyBytes < sizeof value ? keyBytes : sizeof value);
    if (keyBytes >= sizeof value && !reply.empty()) {
      std::uint8_t key = cvlm::keyByteOf(cvlm::truncatingModPower(serverValue, secret));
      std::string scrambled = reply;
      for (char& c : scrambled) c = static_cast<char>(c ^ key);
      platform::sendAll(fd, scrambled.data(), scrambled.size());
    }
  }
  ::shutdown(fd, SHUT_WR);
  char sink[4096];
  while (platform::waitReadable(fd, timeoutMs) == 1 && ::recv(fd, sink, sizeof sink, 0) > 0) {
  }
  ::close(fd);
}

}  // namespace cvlm_fuzz
