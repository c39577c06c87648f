// "log.ini" reading: whole lines, CR/LF stripped, values cut at fixed offsets.
#include "logserver/log_ini.h"

#include <cstdio>

#include "platform/net.h"

namespace halvern {

std::string logIniLine(std::string_view text, std::size_t n) {
  std::size_t begin = 0;
  for (std::size_t line = 1; line < n; ++line) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) return "";
    begin = end + 1;
  }
  if (begin >= text.size()) return "";
  std::size_t end = text.find('\n', begin);
  std::string_view line = text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return std::string(line);
}

namespace {
std::string valueFrom(const std::string& line, std::size_t offset) {
  return line.size() > offset ? line.substr(offset) : std::string();
}
}  // namespace

LogIni parseLogIni(std::string_view text) {
  LogIni ini;
  ini.opened = true;
  ini.addressText = valueFrom(logIniLine(text, kAddressLine), kAddressOffset);
  ini.serverAddress = ini.addressText.empty() ? 0 : platform::parseAddress(ini.addressText);
  ini.dataDirectory = valueFrom(logIniLine(text, kDataDirectoryLine), kDataDirectoryOffset);
  return ini;
}

LogIni readLogIni(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return LogIni{};
  std::string text(kLogIniReadLimit, '\0');
  std::size_t n = std::fread(text.data(), 1, text.size(), f);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return LogIni{};
  text.resize(n);
  return parseLogIni(text);
}

}  // namespace halvern
