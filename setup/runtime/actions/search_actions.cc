// f13 and f22: a file looked for on the local (or network) drives or along a
// directory list, inside the busy dialog when a dialog text is given, and
// SearchPathForFile, the list search they and the dialog share.
#include <string>

#include "files/file_utils.h"
#include "interp/action_params.h"
#include "run.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "ui/search_dlg.h"
#include "win/process.h"

namespace merl {

namespace {

constexpr DWORD kEntryAttributes = 0x07;  // read-only, hidden, system
constexpr int kCutFound = 1;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string pathValue() {
  std::string value(kSearchTextSize, '\0');
  DWORD length = win::GetEnvironmentVariable("PATH", value.data(), static_cast<DWORD>(value.size()));
  if (length >= value.size()) {
    value.assign(length + 1, '\0');
    length = win::GetEnvironmentVariable("PATH", value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) return {};
  }
  value.resize(length);
  return value;
}

bool isFile(const std::string& path) {
  FindRecord find;
  bool found = FindFirst(path.c_str(), kEntryAttributes, find) == kFound &&
               (find.attributes & win::FILE_ATTRIBUTE_DIRECTORY) == 0;
  FindEnd(find);
  return found;
}

// The variable gets the found path (cut when asked) or the default.
void storeResult(const std::string& name, bool cut, const std::string& fallback) {
  std::string found = searchRequest().foundPath;
  if (found.empty()) {
    SetVar(name, fallback);
    return;
  }
  if (cut) {
    std::size_t at = lastBackslash(found);
    found = at == std::string::npos ? std::string() : found.substr(0, at);
  }
  SetVar(name, found);
}

bool silent() { return run().setup() && run().setup()->silentFlag != 0; }
HWND owner() { return run().setup() ? run().setup()->mainWindow : nullptr; }

}  // namespace

bool SearchPathForFile(const char* name, const char* directories, char* found, std::size_t size) {
  if (!name || !found || size == 0) return false;
  found[0] = '\0';
  std::string list = directories && directories[0] ? std::string(directories) : pathValue();
  std::size_t at = 0;
  while (at < list.size()) {
    while (at < list.size() && (isSpace(list[at]) || list[at] == ';')) ++at;
    std::size_t end = list.find(';', at);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(at, end - at);
    at = end;
    if (!entry.empty() && entry.back() == '\\') entry.pop_back();
    if (entry.empty()) continue;
    std::string path = entry + "\\" + name;
    if (path.size() >= size || path.size() > kSearchPathLength) continue;
    if (isFile(path)) {
      copyText(found, size, path);
      return true;
    }
  }
  return false;
}

}  // namespace merl

extern "C" win::INT f13(merl::ActionParams* params) {
  using namespace merl;
  const char* at = params && params->parameterText ? params->parameterText : "";
  int flags = ParamNumber(NextParamField(at).c_str());
  std::string name = NextParamField(at).substr(0, kNameFieldSize - 1);
  std::string fileName = NextParamField(at);
  std::string fallback = NextParamField(at);
  std::string message = NextParamField(at);
  SearchRequest& request = searchRequest();
  request.foundPath[0] = '\0';
  request.mode = kSearchDrives;
  request.flags = static_cast<BYTE>(flags);
  request.setFileName(fileName);
  request.setMessage(message);
  if (!message.empty() && !silent())
    RunSearchDialog(owner());
  else
    SearchDrives(request);
  storeResult(name, (flags & kCutFound) != 0, fallback);
  return 0;
}

extern "C" win::INT f22(merl::ActionParams* params) {
  using namespace merl;
  const char* at = params && params->parameterText ? params->parameterText : "";
  bool cut = ParamFlag(NextParamField(at).c_str());
  std::string name = NextParamField(at).substr(0, kNameFieldSize - 1);
  std::string fileName = NextParamField(at);
  std::string fallback = NextParamField(at);
  std::string directories = NextParamField(at);
  std::string message = NextParamField(at);
  SearchRequest& request = searchRequest();
  request.foundPath[0] = '\0';
  request.mode = kSearchPath;
  request.flags = 0;
  request.setFileName(fileName);
  request.setMessage(message);
  request.setDirectories(directories);
  if (!message.empty())
    RunSearchDialog(owner());
  else
    SearchPathForFile(request.fileName, request.directories, request.foundPath, sizeof request.foundPath);
  storeResult(name, cut, fallback);
  return 0;
}
