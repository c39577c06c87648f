// f0: a directory put on the search path, in the NT registry's Environment
// "Path" or, elsewhere, in the PATH line of AUTOEXEC.BAT.
#include <cstring>
#include <string>
#include <vector>

#include "actions/startup_files.h"
#include "actions/text_lines.h"
#include "interp/action_params.h"
#include "run.h"
#include "text/copy_text.h"
#include "ui/file_error_message.h"
#include "win/error.h"
#include "win/registry.h"

namespace merl {

namespace {

constexpr const char* kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kPathValue = "Path";
constexpr win::DWORD kPathValueSize = 1024;

bool hasEntry(std::string_view list, std::string_view directory) {
  std::size_t start = 0;
  for (;;) {
    std::size_t end = list.find(';', start);
    if (equalNoCase(list.substr(start, end == std::string_view::npos ? list.size() - start : end - start), directory))
      return true;
    if (end == std::string_view::npos) return false;
    start = end + 1;
  }
}

// The registry form: ";directory" appended to "Path" unless an entry names it.
int addToRegistryPath(std::string_view directory) {
  win::UniqueKey key;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, win::KEY_QUERY_VALUE | win::KEY_SET_VALUE,
                        key.put()) != win::ERROR_SUCCESS)
    return 0;
  char value[kPathValueSize] = {};
  win::DWORD type = 0;
  win::DWORD size = sizeof value - 1;
  if (win::RegQueryValueEx(key.get(), kPathValue, nullptr, &type, reinterpret_cast<win::BYTE*>(value), &size) !=
      win::ERROR_SUCCESS)
    return 0;
  std::string path(value, ::strnlen(value, size < sizeof value ? size : sizeof value - 1));
  if (hasEntry(path, directory)) return 0;
  path += ";";
  path += directory;
  if (win::RegSetValueEx(key.get(), kPathValue, 0, win::REG_EXPAND_SZ, reinterpret_cast<const win::BYTE*>(path.c_str()),
                         static_cast<win::DWORD>(path.size() + 1)) == win::ERROR_SUCCESS)
    SetRestartValue('W');
  return 0;
}

// Where the directory list of a PATH or SET PATH= line starts; npos for other lines.
std::size_t pathListAt(std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && (isBlank(line[at]) || line[at] == '@')) ++at;
  auto skip = [&] {
    while (at < line.size() && isBlank(line[at])) ++at;
  };
  std::string_view rest = line.substr(at);
  if (startsWithNoCase(rest, "path") && rest.size() > 4 && (isBlank(rest[4]) || rest[4] == '=')) {
    at += 5;
    skip();
    return at;
  }
  if (!startsWithNoCase(rest, "set ")) return std::string_view::npos;
  at += 4;
  skip();
  if (!startsWithNoCase(line.substr(at), "path")) return std::string_view::npos;
  at += 4;
  skip();
  if (at >= line.size() || line[at] != '=') return std::string_view::npos;
  ++at;
  skip();
  return at;
}

int addToAutoexec(ActionParams& params, const std::string& directory) {
  EditedFile file;
  if (!OpenBootDriveFile("AUTOEXEC.BAT", file)) return FileErrorMessage(file.path, 0);
  std::vector<std::string> lines;
  if (file.existed() && !ReadTextLines(file.read, lines)) return FailEdit(file);
  bool changed = false;
  bool present = false;
  for (std::string& line : lines) {
    std::size_t at = pathListAt(line);
    if (at == std::string_view::npos) continue;
    if (FindPathEntry(std::string_view(line).substr(at), directory) == 0) {
      present = true;
    } else {
      line += ";" + directory;
      changed = true;
    }
  }
  if (!changed && !present) lines.push_back("SET PATH=" + directory + ";%PATH%");
  EditOutcome outcome;
  outcome.editedFlag = kEditedAutoexec;
  outcome.restart = 'S';
  return FinishEdit(params, file, lines, !present, outcome);
}

}  // namespace

}  // namespace merl

extern "C" win::INT f0(merl::ActionParams* params) {
  using namespace merl;
  if (!params || params->runState == kStateTest) return 0;
  char directory[kFieldSize];
  copyText(directory, sizeof directory, params->parameterText ? params->parameterText : "");
  if (!directory[0]) return 0;
  if (run().platform.windowsNt) return addToRegistryPath(directory);
  return addToAutoexec(*params, directory);
}
