// Remvex32: reads the installation log named on its command line (or the
// INSTALL.LOG beside the program when the command line is empty). Exit code 0
// on every path.
#include <string>

#include "log/log_reader.h"
#include "log/path_names.h"
#include "start/command_line.h"
#include "start/platform_info.h"
#include "win/files.h"
#include "win/library.h"
#include "win/process.h"

namespace {

// The command line without the program's own word.
std::string argumentText() {
  std::string line = win::GetCommandLine();
  std::size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    auto end = line.find('"', 1);
    at = end == std::string::npos ? line.size() : end + 1;
  } else {
    at = line.find(' ');
    if (at == std::string::npos) at = line.size();
  }
  while (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at);
}

std::string modulePath() {
  char buffer[256] = {};
  win::DWORD n = win::GetModuleFileName(nullptr, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

int main() {
  remvex::PlatformInfo platform = remvex::DetectPlatform();
  const std::string module = modulePath();
  const std::string iniPath = module.size() >= 3 ? module.substr(0, module.size() - 3) + "INI" : module;
  std::string text = argumentText();
  if (text.empty()) {
    std::string beside = remvex::NormalizePath(iniPath, false);
    beside = beside.substr(0, beside.rfind('\\') + 1) + "INSTALL.LOG";
    if (win::GetFileAttributes(beside.c_str()) != win::INVALID_FILE_ATTRIBUTES) text = beside;
  }
  remvex::CommandLine command = remvex::ParseCommandLine(text);
  if (!command.secondStage && !command.logPath.empty()) {
    remvex::ReaderSettings settings;
    settings.platform = platform.platform;
    settings.newShell = platform.newShell;
    settings.titleArgument = command.title.has_value();
    settings.iniPath = iniPath;
    remvex::LogState state;
    remvex::ReadInstallLog(command.logPath, settings, state);
  }
  win::ExitProcess(0);
}
