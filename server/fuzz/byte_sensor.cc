// Byte-stream sensor for fuzz targets.
#include "server/fuzz/byte_sensor.h"

#include <sys/socket.h>
#include <unistd.h>

#include "formats/byte_order.h"
#include "platform/net.h"
#include "server/sensor/key_agreement.h"

namespace cvlm_fuzz {

ByteSensor::~ByteSensor() {
  if (serving()) stop();
}

void ByteSensor::start(std::uint32_t secret, std::size_t keyBytes, std::vector<std::string> replies,
                       int stepTimeoutMs) {
  secret_ = secret;
  keyBytes_ = keyBytes;
  replies_ = std::move(replies);
  stepTimeoutMs_ = stepTimeoutMs;
  startServing();
}

void ByteSensor::serveOne(int fd, int index) {
  static const std::string none;
  std::size_t i = static_cast<std::size_t>(index);
  const std::string& reply = i < replies_.size() ? replies_[i] : none;
  unsigned char value[4];
  if (platform::recvExact(fd, value, sizeof value, stepTimeoutMs_) == static_cast<long>(sizeof value)) {
    std::uint32_t serverValue = static_cast<std::uint32_t>(formats::getInt32(value, 0));
    formats::putInt32(value, 0, static_cast<std::int32_t>(cvlm::truncatingModPower(cvlm::kKeyBase, secret_)));
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
