// f1, f2 and f25: a line inserted, replaced or prefixed in AUTOEXEC.BAT,
// CONFIG.SYS or a named text file, through a temporary copy.
#include "actions/text_lines.h"

#include "actions/startup_files.h"
#include "files/paths.h"
#include "interp/action_params.h"
#include "run.h"
#include "ui/file_error_message.h"

namespace merl {

namespace {

std::string upperCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperAscii(c);
  return out;
}

bool matches(std::string_view line, const LineInsertion& in) {
  std::string text(in.flags & kInsertTrimmed ? trimBlanks(line) : line);
  std::string search = in.search;
  if (!(in.flags & kInsertWithCase)) {
    text = upperCopy(text);
    search = upperCopy(search);
  }
  switch (in.flags & kMatchMask) {
    case kMatchContains:
      return text.find(search) != std::string::npos;
    case kMatchEnds:
      return text.size() >= search.size() && text.compare(text.size() - search.size(), search.size(), search) == 0;
    default:
      return text.compare(0, search.size(), search) == 0;
  }
}

bool lineExists(const std::vector<std::string>& lines, std::string_view newLine) {
  for (const std::string& line : lines)
    if (equalNoCase(trimBlanks(line), trimBlanks(newLine))) return true;
  return false;
}

}  // namespace

int FindPathEntry(std::string_view text, std::string_view directory) {
  if (directory.empty() || directory.size() > text.size()) return 1;
  for (std::size_t at = 0; at + directory.size() <= text.size(); ++at) {
    char before = at == 0 ? ';' : text[at - 1];
    std::size_t end = at + directory.size();
    char after = end == text.size() ? ';' : text[end];
    if ((isBlank(before) || before == ';' || before == '=') && (isBlank(after) || after == ';') &&
        equalNoCase(text.substr(at, directory.size()), directory))
      return 0;
  }
  return 1;
}

LineInsertion ReadLineInsertion(const char* parameterText) {
  LineInsertion in;
  const char* at = parameterText ? parameterText : "";
  in.flags = ParamNumber(NextParamField(at).c_str());
  in.fileName = NextParamField(at);
  in.newLine = NextParamField(at);
  in.search = NextParamField(at);
  in.prefix = NextParamField(at);
  in.lineNumber = ParamNumber(NextParamField(at).c_str());
  return in;
}

std::vector<std::string> InsertLine(const std::vector<std::string>& lines, const LineInsertion& in) {
  std::vector<std::string> out;
  int placement = in.flags & kPlacementMask;
  bool replace = placement == kPlaceReplace || placement == kPlacementMask;
  if (!in.search.empty()) {
    bool written = false;
    for (const std::string& line : lines) {
      if (written || !matches(line, in)) {
        out.push_back(line);
        continue;
      }
      written = true;
      if (replace) {
        out.push_back(in.newLine);
      } else if (placement == kPlaceAfter) {
        out.push_back(in.prefix + line);
        out.push_back(in.newLine);
      } else {
        out.push_back(in.newLine);
        out.push_back(in.prefix + line);
      }
    }
    if (written) return out;
    out.clear();
  }
  bool written = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!written && in.lineNumber > 0 && static_cast<std::size_t>(in.lineNumber) == i + 1) {
      out.push_back(in.newLine);
      written = true;
      if (in.search.empty() && replace) continue;
    }
    out.push_back(lines[i]);
  }
  if (!written) out.push_back(in.newLine);
  return out;
}

int InsertTextLine(ActionParams& params, const char* startupName, WORD editedFlag) {
  if (params.runState == kStateTest) return 0;
  LineInsertion in = ReadLineInsertion(params.parameterText);
  EditedFile file;
  if (startupName) {
    if (!OpenBootDriveFile(startupName, file)) return FileErrorMessage(file.path, 0);
  } else {
    std::optional<std::string> path = fullPathName(in.fileName);
    if (!path || !OpenFileBeside(*path, kNamedFileTempName, false, file))
      return FileErrorMessage(path ? *path : in.fileName, 0);
  }
  std::vector<std::string> lines;
  if (file.existed() && !ReadTextLines(file.read, lines)) return FailEdit(file);
  if (startupName && lineExists(lines, in.newLine)) return FinishEdit(params, file, lines, false, {});
  EditOutcome outcome;
  outcome.editedFlag = editedFlag;
  outcome.backup = (in.flags & kInsertBackup) != 0;
  outcome.restart = startupName ? 'S' : 0;
  return FinishEdit(params, file, InsertLine(lines, in), true, outcome);
}

}  // namespace merl

extern "C" {

win::INT f1(merl::ActionParams* params) {
  return params ? merl::InsertTextLine(*params, "AUTOEXEC.BAT", merl::kEditedAutoexec) : 0;
}

win::INT f2(merl::ActionParams* params) {
  return params ? merl::InsertTextLine(*params, "CONFIG.SYS", merl::kEditedConfigSys) : 0;
}

win::INT f25(merl::ActionParams* params) { return params ? merl::InsertTextLine(*params, nullptr, 0) : 0; }

}  // extern "C"
