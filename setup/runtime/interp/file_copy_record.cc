// Reading the install-file record out of the script image.
#include "interp/file_copy_record.h"

#include <bit>
#include <cstring>

#include "interp/opcodes.h"

namespace merl {

// The fixed part is copied as it lies: the host must share the record's byte order.
static_assert(std::endian::native == std::endian::little);

const std::string& FileCopyRecord::description(int language) const {
  static const std::string none;
  if (descriptions.empty()) return none;
  if (language < 0 || static_cast<std::size_t>(language) >= descriptions.size()) return descriptions[0];
  return descriptions[language];
}

bool ReadFileCopyRecord(const ScriptImage& image, DWORD at, int languages, FileCopyRecord& out) {
  if (image.ranOff(at) || std::uint64_t{at} + sizeof(FileCopyFixed) > image.length()) return false;
  int opcode = image.opcodeAt(at);
  if (opcode != kOpInstallFile && opcode != kOpInstallSource) return false;
  std::memcpy(&out.fixed, image.data() + at, sizeof out.fixed);
  DWORD p = at + sizeof(FileCopyFixed);
  out.destination = std::string(NextScriptString(image, p));
  out.descriptions.clear();
  for (int i = 0; i < languages; ++i) out.descriptions.emplace_back(NextScriptString(image, p));
  out.hook = std::string(NextScriptString(image, p));
  out.source = opcode == kOpInstallSource ? std::string(NextScriptString(image, p)) : std::string();
  return true;
}

}  // namespace merl
