// Address text and bounded text-field copies of the sensor host record.
#include "server/cv_host.h"

#include "formats/byte_order.h"
#include "platform/net.h"

namespace cvlm {

std::string cvAddressText(const std::uint8_t* address) { return platform::dottedAddress(address); }

void copyCvText(char* field, const void* source) {
  formats::putText(field, 0, kCvTextSize, formats::getText(source, 0, kCvTextSize));
}

bool sameCvText(const char* a, const char* b) { return std::strncmp(a, b, kCvTextSize) == 0; }

}  // namespace cvlm
