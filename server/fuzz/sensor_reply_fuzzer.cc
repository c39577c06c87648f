// libFuzzer target for the sensor reply path: a real Dispatcher serves one of
// the requests that command a sensor (status query, add host, kernel push,
// kernel parameters set and get, rule push), addressed to a byte sensor on
// 127.0.0.N port 7594 whose key value, replies and reply data come from the
// input.
//
// Input: byte 0 picks the request, byte 1 how much of its key value the
// sensor sends, bytes 2-3 the sensor's secret, bytes 4-5 the kernel image
// size, the next 180 bytes the request's arguments (the sensor address is
// always the byte sensor's), then the sensor's answers, one per connection,
// each a 2-byte little-endian length and that many bytes (unscrambled).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formats/byte_order.h"
#include "platform_testing/scratch_dir.h"
#include "server/books/book_files.h"
#include "server/books/records.h"
#include "server/constants.h"
#include "server/fuzz/byte_sensor.h"
#include "server/fuzz/fuzz_support.h"
#include "server/protocol.h"

namespace {

std::unique_ptr<cvlm_fuzz::ByteSensor> sensor;

constexpr int kStepTimeoutMs = 1000;
constexpr std::size_t kArgumentBytes = 180;
constexpr std::size_t kLargestAnswer = 1024;
constexpr std::size_t kMostConnections = 6;  // the status query's six commands

struct Request {
  std::int32_t type;
  std::size_t addressAt;  // header offset of the sensor address
};

const Request kRequests[] = {
    {cvlm::RQ_QueryCvHost, 8}, {cvlm::RQ_AddCvHost, 40},  {cvlm::RQ_PutCVKernel, 8},
    {cvlm::RQ_SetCvKparam, 8}, {cvlm::RQ_GetCvKparam, 8}, {cvlm::RQ_UploadBook, 20},
};

struct Input {
  const std::uint8_t* data;
  std::size_t size;

  std::size_t take(std::size_t n) {
    n = std::min(n, size);
    data += n;
    size -= n;
    return n;
  }
};

std::vector<std::string> answers(Input in) {
  std::vector<std::string> out;
  while (in.size >= 2 && out.size() < kMostConnections) {
    std::size_t length = std::min<std::size_t>(in.data[0] | in.data[1] << 8, kLargestAnswer);
    in.take(2);
    const std::uint8_t* start = in.data;
    length = in.take(length);
    out.emplace_back(reinterpret_cast<const char*>(start), length);
  }
  return out;
}

// The console's bytes: the scrambled, XORed header, and the image for 22.
std::string consoleBytes(const Request& request, const std::uint8_t* arguments, std::size_t argumentBytes,
                         std::int32_t imageSize) {
  cvlm::RqH header{};
  std::memcpy(header.args, arguments, argumentBytes);
  formats::putInt32(&header, 4, request.type);
  std::uint32_t address = sensor->addressValue();
  std::memcpy(header.bytes() + request.addressAt, &address, sizeof address);
  std::string image;
  if (request.type == cvlm::RQ_UploadBook) {
    // An empty rule book with the push flag: the push sends the built-in
    // DDoS policies and no rules.
    formats::putInt32(&header, 8, cvlm::RULE_BOOK);
    formats::putInt32(&header, 12, 0);
    formats::putInt32(&header, 16, static_cast<std::int32_t>(sizeof(cvlm::BRule)));
    header.bytes()[24] = 1;
  }
  if (request.type == cvlm::RQ_PutCVKernel) {
    formats::putInt32(&header, 12, imageSize);
    image.assign(static_cast<std::size_t>(imageSize), '\x7E');
    cvlm::xorUiStream(reinterpret_cast<unsigned char*>(image.data()), image.size());
  }
  cvlm::encodeRecord(header.bytes(), sizeof header);
  cvlm::xorUiStream(header.bytes(), sizeof header);
  return std::string(reinterpret_cast<const char*>(header.bytes()), sizeof header) + image;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform_testing::enterScratchDirectory("cvlm-sensor-reply-fuzz");
  sensor = std::make_unique<cvlm_fuzz::ByteSensor>(cvlm::kSensorPort);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  if (in.size < 6) return 0;
  const Request& request = kRequests[in.data[0] % (sizeof kRequests / sizeof kRequests[0])];
  static const std::size_t kKeyBytes[] = {4, 4, 2, 0};
  std::size_t keyBytes = kKeyBytes[in.data[1] & 3];
  std::uint32_t secret = static_cast<std::uint32_t>(in.data[2] | in.data[3] << 8);
  std::int32_t imageSize = 1 + (in.data[4] | in.data[5] << 8) % 4096;
  in.take(6);
  const std::uint8_t* arguments = in.data;
  std::size_t argumentBytes = in.take(kArgumentBytes);

  sensor->start(secret, keyBytes, answers(in), kStepTimeoutMs);
  cvlm_fuzz::serveConsoleBytes(consoleBytes(request, arguments, argumentBytes, imageSize));
  sensor->stop();
  platform_testing::emptyWorkingDirectory();
  return 0;
}
