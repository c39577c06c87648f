// The settings file "log.ini", read whole line by line: line 2 holds the
// server address from its fourth character, line 4 the data directory from
// its sixth. Shared by the listener and the mailer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace halvern {

inline constexpr std::size_t kAddressLine = 2;
inline constexpr std::size_t kAddressOffset = 3;
inline constexpr std::size_t kDataDirectoryLine = 4;
inline constexpr std::size_t kDataDirectoryOffset = 5;
// Larger files are read only this far.
inline constexpr std::size_t kLogIniReadLimit = 64 * 1024;

struct LogIni {
  bool opened = false;        // the file could be read
  std::string addressText;    // line 2 from its offset, line end removed; "" when short or missing
  std::uint32_t serverAddress = 0;  // network byte order; 0 unless addressText is an address
  std::string dataDirectory;  // line 4 from its offset, line end removed; "" when short or missing
};

// Line n (counted from 1) of text without its CR/LF; "" when there is none.
std::string logIniLine(std::string_view text, std::size_t n);

LogIni parseLogIni(std::string_view text);

// Reads the file (at most kLogIniReadLimit bytes); opened is false when it cannot be read.
LogIni readLogIni(const std::string& path);

}  // namespace halvern
