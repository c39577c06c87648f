// Confinement of console file names to the working directory.
#include "server/requests/file_names.h"

#include <cctype>
#include <cstring>

#include "formats/byte_order.h"

namespace cvlm {

std::string transferFileName(const char (&field)[kFileNameField]) {
  return formats::getText(field, 0, kFileNameField - 1);
}

namespace {

bool isAbsolute(const std::string& name) {
  if (name[0] == '/' || name[0] == '\\') return true;
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

bool hasParentComponent(const std::string& name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

bool endsWith(const std::string& text, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

bool isConfinedFileName(const std::string& name) {
  if (name.empty() || isAbsolute(name) || hasParentComponent(name)) return false;
  return !endsWith(name, ".lck");
}

}  // namespace cvlm
