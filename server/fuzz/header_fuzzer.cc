// libFuzzer target for the request header path: the bytes a console sends
// are un-XORed, decoded and dispatched on their type by a real Dispatcher
// over a socket pair, in a scratch working directory.
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "dispatcher.h"
#include "platform/notice.h"
#include "protocol.h"
#include "wire.h"

namespace {

std::string scratchDir;

// Requests whose handlers connect to the sensor named in the header: never
// dispatched here, so no input makes the fuzzer reach another host.
bool contactsSensor(std::int32_t type) {
  switch (type) {
    case cvlm::RQ_UploadBook:
    case cvlm::RQ_QueryCvHost:
    case cvlm::RQ_AddCvHost:
    case cvlm::RQ_DelCvHost:
    case cvlm::RQ_ModifyCvHost:
    case cvlm::RQ_PutCVKernel:
    case cvlm::RQ_SetCvKparam:
    case cvlm::RQ_GetCvKparam:
      return true;
    default:
      return false;
  }
}

// True when the header passes its check and names such a request.
bool reachesSensor(const std::string& wire) {
  if (wire.size() < sizeof(cvlm::RqH)) return false;
  unsigned char header[sizeof(cvlm::RqH)];
  std::memcpy(header, wire.data(), sizeof header);
  cvlm::xorUiStream(header, sizeof header);
  if (cvlm::decodeRecord(header, sizeof header) != 1) return false;
  return contactsSensor(cvlm::getInt32(header, 4));
}

// The first input byte chooses the form: odd bytes make the next 196 bytes a
// plain header that is scrambled and XORed here (so most inputs reach a
// handler); even bytes send the rest as raw wire bytes.
std::string wireBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((data[0] & 1) == 0 || rest.size() < sizeof(cvlm::RqH)) return rest;
  unsigned char* header = reinterpret_cast<unsigned char*>(rest.data());
  cvlm::encodeRecord(header, sizeof(cvlm::RqH));
  cvlm::xorUiStream(header, sizeof(cvlm::RqH));
  return rest;
}

// Each input starts from an empty working directory, so a run depends on
// its input alone and no lock file left by one input blocks the next.
void emptyWorkingDirectory() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) std::filesystem::remove_all(entry, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char scratch[] = "/tmp/cvlm-header-fuzz-XXXXXX";
  if (!::mkdtemp(scratch)) ::abort();
  scratchDir = scratch;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(scratchDir, ec);
  });
  std::string work = std::string(scratch) + "/work";
  if (::mkdir(work.c_str(), 0700) != 0 || ::chdir(work.c_str()) != 0) ::abort();
  ::setenv("IDS_PLATFORM_DIR", scratch, 1);
  platform::setNoticeSink([](const std::string&, const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string wire = wireBytes(data, size);
  if (reachesSensor(wire)) return 0;

  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) ::abort();
  std::thread serving([fd = pair[1]] {
    cvlm::ListenerConfig config;
    config.receiveTimeoutMs = 20;
    config.closeDrainMs = 20;
    cvlm::UISocket connection(fd, htonl(INADDR_LOOPBACK), config);
    cvlm::Dispatcher(connection).dispatcher();
  });
  if (!wire.empty()) (void)!::send(pair[0], wire.data(), wire.size(), MSG_NOSIGNAL);
  ::shutdown(pair[0], SHUT_WR);
  char sink[4096];
  while (::recv(pair[0], sink, sizeof sink, 0) > 0) {
  }
  serving.join();
  ::close(pair[0]);
  emptyWorkingDirectory();
  return 0;
}
