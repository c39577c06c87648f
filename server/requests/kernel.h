// Kernel image push (request 22) and kernel parameters (requests 29, 30):
// the image receive from the console, the mapping of the sensor's answer to
// the push result, and the length check of a parameter reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "server/protocol.h"
#include "server/request_records.h"
#include "server/ui_socket.h"

namespace cvlm {

// The most a get reply may carry: the result payload.
inline constexpr std::size_t kKparamReplyMax = sizeof(GetCvKparamResult::parameters);

// Result type and +8 detail of a kernel push.
struct KernelPushResult {
  std::int32_t type;
  std::int32_t detail;  // 0: none
  bool listed;          // false for a reply code that has no meaning of its own
};

// 16 gives 26; 26, 27, 28 give 27 with 23, 24, 25; anything else 26 (not listed).
KernelPushResult kernelPushResult(std::int32_t rrtype);
// Every link failure of the push.
inline constexpr KernelPushResult kKernelLinkFailure{MRR_TYPE_Kernel_Failed, MRR_TYPE_LmKernelSocketError, true};

enum class KernelReceive {
  Received,  // all announced bytes arrived
  Unusable,  // no byte arrived, or the announced size is 0, negative or above the cap
  Short,     // fewer bytes than announced
};

struct KernelImage {
  KernelReceive status = KernelReceive::Unusable;
  std::vector<unsigned char> bytes;  // the whole image when Received
};

// Receives the image of the announced size as one unit from the console,
// its buffer growing as the bytes arrive. A size outside
// 1..kMaxKernelImageBytes allocates and reads nothing.
KernelImage receiveKernelImage(UISocket& connection, std::int32_t size);

// The length of a get reply's data, +16 x 2 x +20 computed without overflow,
// when it fits the result payload; empty when it is negative or too long.
std::optional<std::size_t> kparamReplyLength(std::int32_t value1, std::int32_t value2);

}  // namespace cvlm
