// f33: a text file delivered line by line over several calls of one record,
// each delivered line (possibly changed) written to an edited copy that
// replaces the file after the last line. The open files live in a run table.
#include <map>
#include <string>

#include "files/backup_edited_file.h"
#include "files/file_utils.h"
#include "files/side_names.h"
#include "interp/abort_message.h"
#include "interp/action_params.h"
#include "interp/cursor.h"
#include "run.h"
#include "script/variables.h"

namespace merl {

namespace {

constexpr int kEditWithCopy = 0x01;
constexpr int kEditNumberedBackup = 0x02;
constexpr int kMessageCannotOpen = 26;
constexpr int kMessageCannotWrite = 2;
constexpr DWORD kLineReadSize = 255;

// One file being delivered: its read handle and, with a copy, the copy's handle and path.
struct OpenLineEdit {
  HANDLE read = win::INVALID_HANDLE_VALUE;
  HANDLE write = win::INVALID_HANDLE_VALUE;
  std::string copyPath;
  std::string path;
};

// The files open for line edits, by the offset of the record that opened them. Whatever is
// still open when the run ends is closed and its copy deleted.
struct LineEdits : RunState {
  std::map<DWORD, OpenLineEdit> open;
  ~LineEdits() override {
    for (auto& [record, edit] : open) closeAndDrop(edit);
  }
  static void closeAndDrop(OpenLineEdit& edit) {
    if (edit.write != win::INVALID_HANDLE_VALUE)
      CloseAndDeleteTemp(edit.read, edit.write, edit.copyPath.c_str());
    else if (edit.read != win::INVALID_HANDLE_VALUE)
      win::CloseHandle(edit.read);
    edit = OpenLineEdit{};
  }
};

LineEdits& lineEdits() { return run().state<LineEdits>(); }

void setAbortFlag() {
  if (SetupRec* setup = run().setup()) setup->abortFlag = 1;
}

void setErrorByte() {
  if (SetupRec* setup = run().setup()) setup->errorByte = 1;
}

// Opens path, and with a copy its side file; false after the failure's message.
bool openEdit(const char* path, int mode, OpenLineEdit& edit) {
  edit.path = path;
  edit.read = OpenFileHandle(path, kOpenRead, false);
  if (edit.read == win::INVALID_HANDLE_VALUE) {
    ShowAbortMessage(kMessageCannotOpen, path);
    setAbortFlag();
    return false;
  }
  if (!(mode & kEditWithCopy)) return true;
  char side[kPathBufferSize];
  if (MakeSideFileName(side, path)) edit.write = OpenFileHandle(side, kOpenWrite, true);
  if (edit.write == win::INVALID_HANDLE_VALUE) {
    win::CloseHandle(edit.read);
    edit = OpenLineEdit{};
    ShowAbortMessage(kMessageCannotWrite);
    setErrorByte();
    return false;
  }
  edit.copyPath = side;
  return true;
}

// The variable's value and CR LF into the copy; false when the write fell short.
bool writeEditedLine(const OpenLineEdit& edit, const char* variable) {
  char line[kFieldSize + 2];
  GetVar(variable, line, kFieldSize);
  std::string text = std::string(line) + "\r\n";
  return FileWrite(edit.write, text.data(), static_cast<DWORD>(text.size())) == text.size();
}

// The next line into the variable: the bytes up to CR LF, a lone CR or a lone LF (at most 255),
// the position left just after the line end. False at the end of the file.
bool readNextLine(const OpenLineEdit& edit, const char* variable) {
  char bytes[kLineReadSize + 1] = {};
  DWORD got = FileRead(edit.read, bytes, kLineReadSize);
  if (got == 0) return false;
  DWORD end = 0;
  while (end < got && bytes[end] != '\r' && bytes[end] != '\n') ++end;
  DWORD next = end;
  if (next < got) next += (bytes[next] == '\r' && next + 1 < got && bytes[next + 1] == '\n') ? 2 : 1;
  FileSeek(edit.read, -static_cast<win::LONG>(got - next), win::FILE_CURRENT);
  SetVar(variable, std::string_view(bytes, end));
  return true;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f33(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char field[kFieldSize];
  char variable[kNameFieldSize];
  char path[kFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int mode = ParamNumber(field);
  at = NextParamField(variable, sizeof variable, at);
  NextParamField(path, sizeof path, at);

  std::map<DWORD, OpenLineEdit>& open = lineEdits().open;
  DWORD record = cursor().position;
  auto found = open.find(record);
  if (found == open.end()) {
    OpenLineEdit edit;
    if (!openEdit(path, mode, edit)) return 0;
    found = open.emplace(record, edit).first;
  } else if (found->second.write != win::INVALID_HANDLE_VALUE && !writeEditedLine(found->second, variable)) {
    LineEdits::closeAndDrop(found->second);
    open.erase(found);
    ShowAbortMessage(kMessageCannotWrite);
    setErrorByte();
    return 0;
  }
  OpenLineEdit& edit = found->second;
  if (readNextLine(edit, variable)) return 1;

  bool withCopy = edit.write != win::INVALID_HANDLE_VALUE;
  win::CloseHandle(edit.read);
  if (withCopy) win::CloseHandle(edit.write);
  std::string target = edit.path;
  std::string copy = edit.copyPath;
  open.erase(found);
  if (withCopy && !BackupEditedFile(target.c_str(), copy.c_str(), !(mode & kEditNumberedBackup))) {
    ShowAbortMessage(kMessageCannotWrite);
    setErrorByte();
  }
  return 0;
}
