// Test console: scrambled headers, per-unit stream XOR, bounded receives.
#include "server/tests/support/test_console.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formats/byte_order.h"
#include "platform/net.h"

namespace cvlm_testing {

namespace {
unsigned char* bytesOf(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }
}  // namespace

std::int32_t resultType(const cvlm::MgrRequestResult& result) { return formats::getInt32(&result, 4); }

TestConsole::TestConsole(std::uint16_t port, std::uint32_t address, int timeoutMs) : timeoutMs_(timeoutMs) {
  fd_ = platform::connectTo(address, port, timeoutMs);
}

TestConsole::~TestConsole() { close(); }

bool TestConsole::sendHeader(const cvlm::RqH& header) {
  std::string unit(reinterpret_cast<const char*>(&header), sizeof header);
  cvlm::encodeRecord(bytesOf(unit), unit.size());
  return sendUnit(unit);
}

bool TestConsole::sendUnit(std::string_view data) {
  std::string unit(data);
  cvlm::xorUiStream(bytesOf(unit), unit.size());
  return sendRaw(unit);
}

bool TestConsole::sendRaw(std::string_view bytes) {
  if (fd_ < 0) return false;
  if (bytes.empty()) return true;
  return platform::sendAll(fd_, bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
}

std::optional<cvlm::MgrRequestResult> TestConsole::receiveResult() {
  auto unit = receiveUnit(sizeof(cvlm::MgrRequestResult));
  if (!unit || cvlm::decodeRecord(bytesOf(*unit), unit->size()) != 1) return std::nullopt;
  cvlm::MgrRequestResult result;
  std::memcpy(&result, unit->data(), sizeof result);
  return result;
}

std::optional<std::string> TestConsole::receiveUnit(std::size_t n) {
  if (fd_ < 0) return std::nullopt;
  std::string unit(n, '\0');
  if (n > 0 && platform::recvExact(fd_, unit.data(), n, timeoutMs_) != static_cast<long>(n)) return std::nullopt;
  cvlm::xorUiStream(bytesOf(unit), n);
  return unit;
}

std::optional<cvlm::MgrRequestResult> TestConsole::request(const cvlm::RqH& header) {
  if (!sendHeader(header)) return std::nullopt;
  return receiveResult();
}

bool TestConsole::closedByServer() {
  if (fd_ < 0) return false;
  if (platform::waitReadable(fd_, timeoutMs_) != 1) return false;
  char c;
  ssize_t r;
  do {
    r = ::recv(fd_, &c, 1, 0);
  } while (r < 0 && errno == EINTR);
  return r == 0 || (r < 0 && errno == ECONNRESET);
}

bool TestConsole::silentFor(int ms) { return fd_ >= 0 && platform::waitReadable(fd_, ms) == 0; }

bool TestConsole::halfClose() { return fd_ >= 0 && ::shutdown(fd_, SHUT_WR) == 0; }

void TestConsole::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace cvlm_testing
