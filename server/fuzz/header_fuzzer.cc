// libFuzzer target for the request header path: the bytes a console sends
// are un-XORed, decoded and dispatched on their type by a real Dispatcher
// over a socket pair, in a scratch working directory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "formats/byte_order.h"
#include "platform_testing/scratch_dir.h"
#include "server/fuzz/fuzz_support.h"
#include "server/protocol.h"

namespace {

// Requests whose handlers connect to the sensor named in the header: never
// dispatched here, so no input makes the fuzzer reach another host.
bool contactsSensor(std::int32_t type) {
  switch (type) {
    case cvlm::RQ_UploadBook:
    case cvlm::RQ_QueryCvHost:
    case cvlm::RQ_AddCvHost:
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
  return contactsSensor(formats::getInt32(header, 4));
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform_testing::enterScratchDirectory("cvlm-header-fuzz");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string wire = wireBytes(data, size);
  if (reachesSensor(wire)) return 0;
  cvlm_fuzz::serveConsoleBytes(wire);
  platform_testing::emptyWorkingDirectory();
  return 0;
}
