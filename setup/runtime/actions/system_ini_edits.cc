// f3 and f35: "device=" lines of SYSTEM.INI's [386Enh] section added or
// commented out, compared by their key (the driver's file name).
#include <string>
#include <vector>

#include "actions/startup_files.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "interp/action_params.h"
#include "run.h"
#include "text/copy_text.h"
#include "ui/file_error_message.h"
#include "win/files.h"

namespace merl {

namespace {

constexpr std::string_view kEnhancedSection = "[386Enh]";
constexpr std::string_view kDevicePrefix = "device=";

// The comparison key of a SYSTEM.INI line: a comment is its own key; else the text after the
// last '\' or ':' of the value is moved to just after the first '=' (device=C:\X\VXD.386 has
// the key device=VXD.386).
std::string ConfigLineKey(std::string_view line) {
  std::string_view text = trimBlanks(line);
  if (!text.empty() && text.front() == ';') return std::string(text);
  text = trimBlanks(text.substr(0, text.find(';')));
  std::size_t cut = text.rfind('\\');
  if (cut == std::string_view::npos) cut = text.rfind(':');
  std::size_t equals = text.find('=');
  if (cut == std::string_view::npos || equals == std::string_view::npos || cut < equals) return std::string(text);
  return std::string(text.substr(0, equals + 1)) + std::string(text.substr(cut + 1));
}

// The device path logged for a "device=" line: relative names are in the system directory.
std::string devicePath(std::string_view line) {
  std::string_view device = line.substr(kDevicePrefix.size());
  bool absolute = (device.size() >= 2 && device[1] == ':' &&
                   ((device[0] >= 'A' && device[0] <= 'Z') || (device[0] >= 'a' && device[0] <= 'z'))) ||
                  (!device.empty() && device.front() == '\\');
  if (absolute) return std::string(device);
  char system[kPathBufferSize] = {};
  win::UINT n = win::GetSystemDirectory(system, sizeof system);
  std::string out(system, n < sizeof system ? n : 0);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out + std::string(device);
}

struct DeviceEdit {
  std::string line;  // L, the whole parameter text
  bool add = true;   // f3 adds, f35 only comments out
};

// Copies lines, commenting out [386Enh] lines with L's key and, for f3, placing L at the end of
// the section unless it stands there already or L is a comment. True when a line changed.
bool editSection(const std::vector<std::string>& lines, const DeviceEdit& edit, std::vector<std::string>& out) {
  bool comment = edit.line.front() == ';';
  std::string key = ConfigLineKey(comment ? std::string_view(edit.line).substr(1) : std::string_view(edit.line));
  bool insert = edit.add && !comment;
  bool inside = false, present = false, inserted = false, changed = false;
  auto place = [&] {
    if (inside && insert && !present && !inserted) {
      out.push_back(edit.line);
      inserted = changed = true;
    }
  };
  for (const std::string& line : lines) {
    std::string lineKey = ConfigLineKey(line);
    if (!lineKey.empty() && lineKey.front() == '[') {
      place();
      inside = startsWithNoCase(lineKey, kEnhancedSection);
      out.push_back(line);
      continue;
    }
    if (inside && !lineKey.empty() && equalNoCase(lineKey, key)) {
      if (insert && equalNoCase(trimBlanks(line), trimBlanks(edit.line))) {
        present = true;
      } else {
        out.push_back(";" + line);
        changed = true;
        continue;
      }
    }
    out.push_back(line);
  }
  place();
  return changed;
}

int editSystemIni(ActionParams& params, bool add) {
  if (params.runState == kStateTest) return 0;
  char text[kFieldSize];
  copyText(text, sizeof text, params.parameterText ? params.parameterText : "");
  DeviceEdit edit{text, add};
  if (trimBlanks(edit.line).empty()) return 0;
  char windows[kPathBufferSize] = {};
  win::UINT n = win::GetWindowsDirectory(windows, sizeof windows);
  char path[kPathBufferSize];
  if (n == 0 || n >= sizeof windows || !JoinPath(path, windows, "SYSTEM.INI")) return FileErrorMessage("SYSTEM.INI", 0);
  EditedFile file;
  if (!OpenFileBeside(path, kStartupTempName, true, file)) return FileErrorMessage(path, 0);
  std::vector<std::string> lines, out;
  if (!ReadTextLines(file.read, lines)) return FailEdit(file);
  bool changed = editSection(lines, edit, out);
  EditOutcome outcome;
  outcome.editedFlag = kEditedSystemIni;
  outcome.restart = 'W';
  if (startsWithNoCase(edit.line, kDevicePrefix))
    outcome.leadLine = (add ? "Add Device: " : "Remove Device: ") + devicePath(edit.line);
  return FinishEdit(params, file, out, changed, outcome);
}

}  // namespace

}  // namespace merl

extern "C" {

win::INT f3(merl::ActionParams* params) { return params ? merl::editSystemIni(*params, true) : 0; }

win::INT f35(merl::ActionParams* params) { return params ? merl::editSystemIni(*params, false) : 0; }

}  // extern "C"
