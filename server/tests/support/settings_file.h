// Test view of ".cvlmrc": the raw bytes of a file, and the settings record
// decoded from them without the store's own code.
#pragma once

#include <cstring>
#include <string>

#include "platform/files.h"
#include "server/email_settings.h"
#include "server/protocol.h"

namespace cvlm_testing {

// The whole file, empty when it cannot be read.
inline std::string fileBytes(const std::string& name) {
  std::string bytes;
  platform::readWholeFile(name, bytes);
  return bytes;
}

// True when bytes are a whole settings file whose check byte holds.
inline bool decodeSettingsFile(std::string bytes, cvlm::CvLmRecord& out) {
  if (bytes.size() != cvlm::kCvLmFileSize) return false;
  auto* p = reinterpret_cast<unsigned char*>(bytes.data());
  if (cvlm::decodeRecord(p, bytes.size()) != 1) return false;
  std::memcpy(&out, p + 2, sizeof out);
  return true;
}

}  // namespace cvlm_testing
