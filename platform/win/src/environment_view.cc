// The environment view and GetEnvironmentVariable / SetEnvironmentVariable.
// Defaults: COMSPEC is %SYS%\CMD.EXE on NT and %WIN%\COMMAND.COM elsewhere,
// PATH is "%SYS%;%WIN%"; [env] lines override them.
#include "environment_view.h"

#include <cstdlib>
#include <cstring>

#include "win/constants.h"
#include "win/error.h"
#include "win/process.h"

namespace win {

namespace {

template <typename Vars>
auto findVar(Vars& vars, std::string_view name) {
  for (auto it = vars.begin(); it != vars.end(); ++it)
    if (namesEqual(it->first, name)) return it;
  return vars.end();
}

void setIn(std::vector<std::pair<std::string, std::string>>& vars, std::string_view name, std::string value) {
  auto it = findVar(vars, name);
  if (it == vars.end()) vars.emplace_back(std::string(name), std::move(value));
  else it->second = std::move(value);
}

std::vector<std::pair<std::string, std::string>> defaults(const MachineDescription& d) {
  std::vector<std::pair<std::string, std::string>> vars;
  bool nt = d.system.platform == WinPlatform::Nt;
  vars.emplace_back("COMSPEC", nt ? d.systemDir + "\\CMD.EXE" : d.windowsDir + "\\COMMAND.COM");
  vars.emplace_back("PATH", d.systemDir + ";" + d.windowsDir);
  for (const auto& [name, value] : d.env) setIn(vars, name, value);
  return vars;
}

// A valid name: not empty, no '=' after its first character, no NUL.
bool validName(std::string_view name) { return !name.empty() && name.find('=', 1) == std::string_view::npos; }

}  // namespace

EnvironmentView::EnvironmentView(Machine& machine) {
  const char* inherited = std::getenv(kEnvironmentVariable);
  vars_ = inherited ? decode(inherited) : defaults(machine.description());
}

std::optional<std::string> EnvironmentView::get(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = findVar(vars_, name);
  if (it == vars_.end()) return std::nullopt;
  return it->second;
}

void EnvironmentView::set(std::string_view name, std::optional<std::string> value) {
  std::lock_guard lock(mutex_);
  if (value) {
    setIn(vars_, name, std::move(*value));
    return;
  }
  auto it = findVar(vars_, name);
  if (it != vars_.end()) vars_.erase(it);
}

std::vector<std::pair<std::string, std::string>> EnvironmentView::all() const {
  std::lock_guard lock(mutex_);
  return vars_;
}

std::string EnvironmentView::encode(const std::vector<std::pair<std::string, std::string>>& vars) {
  std::string out;
  for (const auto& [name, value] : vars) {
    for (char c : name + "=" + value) {
      if (c == '\\') out += "\\\\";
      else if (c == '\n') out += "\\n";
      else out += c;
    }
    out += '\n';
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> EnvironmentView::decode(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> vars;
  std::string line;
  auto finish = [&] {
    auto eq = line.find('=', 1);
    if (eq != std::string::npos) setIn(vars, line.substr(0, eq), line.substr(eq + 1));
    line.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n') {
      finish();
    } else if (c == '\\' && i + 1 < text.size()) {
      line += text[++i] == 'n' ? '\n' : text[i];
    } else {
      line += c;
    }
  }
  if (!line.empty()) finish();
  return vars;
}

std::optional<std::vector<std::pair<std::string, std::string>>> EnvironmentView::fromBlock(const char* block) {
  std::vector<std::pair<std::string, std::string>> vars;
  std::size_t at = 0;
  while (at < kMaxEnvironmentBlock) {
    std::size_t n = ::strnlen(block + at, kMaxEnvironmentBlock - at);
    if (at + n >= kMaxEnvironmentBlock) break;
    if (n == 0) return vars;
    std::string_view entry(block + at, n);
    auto eq = entry.find('=', 1);
    if (eq != std::string_view::npos) setIn(vars, entry.substr(0, eq), std::string(entry.substr(eq + 1)));
    at += n + 1;
  }
  return std::nullopt;
}

DWORD GetEnvironmentVariable(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
  if (!lpName || !validName(lpName)) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  auto value = machine().state<EnvironmentView>().get(lpName);
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  auto length = static_cast<DWORD>(value->size());
  if (!lpBuffer || nSize <= length) return length + 1;
  std::memcpy(lpBuffer, value->data(), length);
  lpBuffer[length] = '\0';
  if (length == 0) SetLastError(ERROR_SUCCESS);
  return length;
}

BOOL SetEnvironmentVariable(LPCSTR lpName, LPCSTR lpValue) {
  if (!lpName || !validName(lpName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  machine().state<EnvironmentView>().set(lpName, lpValue ? std::optional<std::string>(lpValue) : std::nullopt);
  return TRUE;
}

}  // namespace win
