// Address text and bounded text-field copies of the sensor host record.
#include "cv_host.h"

#include "platform/net.h"
#include "wire.h"

namespace cvlm {

std::string cvAddressText(const std::uint8_t* address) { return platform::dottedAddress(address); }

void copyCvText(char* field, const void* source) {
  putText(field, 0, kCvTextSize, getText(source, 0, kCvTextSize));
}

bool sameCvText(const char* a, const char* b) { return std::strncmp(a, b, kCvTextSize) == 0; }

}  // namespace cvlm
