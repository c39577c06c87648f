#include "interp/ini_record.h"

#include <string>

#include "files/file_utils.h"
#include "files/paths.h"
#include "log/install_log.h"
#include "log/log_sink.h"
#include "script/variables.h"
#include "win/profile.h"

namespace merl {

namespace {

inline constexpr std::size_t kOldValueSize = 512;
inline constexpr const char* kResult = "INSTALL_RESULT";

void writeLine(const std::string& file, const std::string& section, std::string_view line) {
  std::size_t eq = line.find('=');
  std::string item(line.substr(0, eq));
  std::string value = eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
  char old[kOldValueSize] = {};
  win::GetPrivateProfileString(section.c_str(), item.c_str(), "", old, sizeof old, file.c_str());
  bool ok = win::WritePrivateProfileString(section.c_str(), item.c_str(), value.empty() ? nullptr : value.c_str(),
                                           file.c_str());
  if (!ok) SetVar(kResult, "E");
  LogRecord logged;
  logged.opcode = kOpIni;
  LogAction(logged, file, section, item, value, old);
}

}  // namespace

int IniRecord(const Record& record) {
  SetVar(kResult, "");
  cursor().settingsChanged = true;
  std::string_view name = record.string(0);
  std::string file = expanded(name.empty() || name.front() != '%' ? "%WIN%\\" + std::string(name) : std::string(name),
                              kTitleSize);
  std::string section = expanded(record.string(1), kTitleSize);
  std::string entries = expanded(record.string(2), kLongTextSize);
  MakeDirectoryPath(file.c_str());
  if (CheckFileExists(file.c_str()) != 0 && run().runState != kStateManual)
    writeLogLine("INI New: Created INI");
  if (entries.empty()) {
    if (!win::WritePrivateProfileString(section.c_str(), nullptr, nullptr, file.c_str())) SetVar(kResult, "E");
    return kNextRecord;
  }
  std::string_view rest = entries;
  while (!rest.empty()) {
    std::size_t end = rest.find("\r\n");
    std::string_view line = rest.substr(0, end);
    if (!line.empty()) writeLine(file, section, line);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
  }
  return kNextRecord;
}

}  // namespace merl
