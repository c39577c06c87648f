// Requests 22, 29 and 30: the kernel image push and the kernel parameters,
// each one command over its own sensor connection.
#include "requests/kernel.h"

#include <new>

#include "constants.h"

namespace cvlm {

KernelPushResult kernelPushResult(std::int32_t rrtype) {
  switch (rrtype) {
    case 16:
      return {MRR_TYPE_Kernel_Accepted, 0, true};
    case 26:
      return {MRR_TYPE_Kernel_Failed, 23, true};
    case 27:
      return {MRR_TYPE_Kernel_Failed, 24, true};
    case 28:
      return {MRR_TYPE_Kernel_Failed, 25, true};
    default:
      return {MRR_TYPE_Kernel_Accepted, 0, false};
  }
}

KernelImage receiveKernelImage(UISocket& connection, std::int32_t size) {
  KernelImage image;
  if (size <= 0 || size > kMaxKernelImageBytes) return image;
  try {
    image.bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return image;
  }
  long got = connection.receive(image.bytes.data(), image.bytes.size());
  if (got <= 0) {
    image.status = KernelReceive::Unusable;
  } else if (static_cast<std::size_t>(got) < image.bytes.size()) {
    image.status = KernelReceive::Short;
  } else {
    image.status = KernelReceive::Received;
    return image;
  }
  image.bytes.clear();
  image.bytes.shrink_to_fit();
  return image;
}

std::optional<std::size_t> kparamReplyLength(std::int32_t value1, std::int32_t value2) {
  // Each factor fits 32 bits, so their product fits 63; the doubling is
  // checked against the bound before it is done.
  std::int64_t product = static_cast<std::int64_t>(value1) * value2;
  if (product < 0 || product > static_cast<std::int64_t>(kKparamReplyMax / 2)) return std::nullopt;
  return static_cast<std::size_t>(product * 2);
}

}  // namespace cvlm
