// Command-line switches.
#include "entry/switches.h"

#include <string>

#include "constants.h"
#include "entry/main_state.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "win/library.h"

namespace merl {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  bool atEnd() const { return at_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[at_]; }
  char take() { return atEnd() ? '\0' : text_[at_++]; }
  void skipBlanks() {
    while (!atEnd() && blank(text_[at_])) ++at_;
  }
  std::string_view takeUntilBlank() {
    std::size_t from = at_;
    while (!atEnd() && !blank(text_[at_])) ++at_;
    return text_.substr(from, at_ - from);
  }
  // Up to the closing quote or the end of the text; the quote is consumed.
  std::string_view takeQuoted() {
    std::size_t from = at_;
    while (!atEnd() && text_[at_] != '"') ++at_;
    std::string_view quoted = text_.substr(from, at_ - from);
    if (!atEnd()) ++at_;
    return quoted;
  }
  std::string_view rest() {
    std::string_view r = text_.substr(at_);
    at_ = text_.size();
    while (!r.empty() && blank(r.back())) r.remove_suffix(1);
    return r;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The setup program's directory with its final backslash.
std::string setupDirectory() {
  SetupRec* setup = run().setup();
  char path[win::MAX_PATH] = {};
  DWORD n = setup ? win::GetModuleFileName(setup->setupInstance, path, sizeof path) : 0;
  std::string dir(path, n < sizeof path ? n : 0);
  std::size_t slash = dir.find_last_of('\\');
  return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

void setVariableFile(std::string_view name) {
  if (name.size() > kPathTextLength) name = name.substr(0, kPathTextLength);
  std::string file(name);
  if (file.find('\\') == std::string::npos) file = setupDirectory() + file;
  if (file.size() > kPathTextLength) file.resize(kPathTextLength);
  mainState().setVariableFile = file;
}

void manualSwitch(Cursor& in) {
  if (in.peek() == '=') {
    in.take();
    if (in.peek() == '"') {
      in.take();
      setVariableFile(in.takeQuoted());
    } else {
      setVariableFile(in.takeUntilBlank());
    }
    return;
  }
  run().runState = kStateManual;
  if (in.peek() == '1') {
    in.take();
    mainState().showSelfRegistered = true;
  }
}

void extractSwitch(Cursor& in, BYTE state) {
  run().runState = state;
  in.skipBlanks();
  if (in.peek() != '/') mainState().extractTarget = std::string(in.rest());
}

}  // namespace

void StoreCommandLine(std::string_view commandLine) {
  mainState().commandLine = std::string(commandLine);
  copyText(FindVar("CMDLINE"), kCommandLineValueLength + 1, commandLine);
}

void ParseSwitches(std::string_view commandLine) {
  Cursor in(commandLine);
  in.skipBlanks();
  while (in.peek() == '/') {
    in.take();
    char letter = in.take();
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    switch (letter) {
      case 'T': run().runState = kStateTest; break;
      case 'X': extractSwitch(in, kStateExtract); break;
      case 'Z': extractSwitch(in, kStateExtractExitZero); break;
      case 'M': manualSwitch(in); break;
      default: in.takeUntilBlank(); break;
    }
    in.skipBlanks();
  }
}

}  // namespace merl
