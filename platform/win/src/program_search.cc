// Program lookup for CreateProcess, WinExec and ShellExecuteEx.
#include "program_search.h"

#include <vector>

#include "environment_view.h"
#include "host_files.h"
#include "search_order.h"
#include "win/error.h"
#include "win/machine.h"
#include "win/path.h"

namespace win {

namespace {

std::vector<std::string> searchDirectories() {
  Machine& m = machine();
  std::vector<std::string> dirs;
  if (auto dir = programDirectory(); !dir.empty()) dirs.push_back(dir);
  dirs.push_back(m.currentDirectory().text());
  dirs.push_back(m.description().systemDir);
  dirs.push_back(m.description().windowsDir);
  std::string path = m.state<EnvironmentView>().get("PATH").value_or("");
  std::size_t at = 0;
  while (at <= path.size()) {
    auto end = path.find(';', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) dirs.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return dirs;
}

std::string withDefaultExtension(std::string_view name) {
  std::string n(name);
  if (n.find('.') == std::string::npos) n += ".exe";
  return n;
}

}  // namespace

std::optional<ProgramFile> findProgram(std::string_view name, bool search, DWORD* error) {
  if (name.empty()) {
    *error = ERROR_FILE_NOT_FOUND;
    return std::nullopt;
  }
  if (!search || !isBareName(name)) return findMappedFile(std::string(name), error);
  std::string file = withDefaultExtension(name);
  for (const auto& dir : searchDirectories()) {
    DWORD ignored = 0;
    std::string sep = !dir.empty() && dir.back() == '\\' ? "" : "\\";
    if (auto found = findMappedFile(dir + sep + file, &ignored)) return found;
  }
  *error = ERROR_FILE_NOT_FOUND;
  return std::nullopt;
}

std::optional<ProgramFile> programOfCommandLine(std::string_view line, DWORD* error) {
  std::size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  line.remove_prefix(start);
  if (!line.empty() && line.front() == '"') {
    auto close = line.find('"', 1);
    auto length = close == std::string_view::npos ? std::string_view::npos : close - 1;
    return findProgram(line.substr(1, length), true, error);
  }
  // Unquoted: "C:\Program Files\x y.exe" tries "C:\Program", then "C:\Program Files\x", ...
  std::optional<DWORD> firstError;
  std::size_t end = 0;
  while (end < line.size()) {
    end = line.find_first_of(" \t", end);
    if (end == std::string_view::npos) end = line.size();
    DWORD e = 0;
    if (auto found = findProgram(line.substr(0, end), true, &e)) return found;
    if (!firstError) firstError = e;
    while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
  }
  *error = firstError.value_or(ERROR_FILE_NOT_FOUND);
  return std::nullopt;
}

std::string programDirectory() {
  std::string module = machine().modulePath();
  auto sep = module.rfind('\\');
  return sep == std::string::npos ? "" : module.substr(0, sep);
}

}  // namespace win
