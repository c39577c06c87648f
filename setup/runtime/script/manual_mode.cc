// Prompt = message 8 + kind word + message 9 (no blanks added), caption =
// message 10, empty description.
#include "script/manual_mode.h"

#include <string>

#include "files/paths.h"
#include "run.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "ui/dialog_texts.h"
#include "ui/path_name_dlg.h"

namespace merl {

namespace {

struct ManualDirectory {
  const char* variable;
  const char* kind;
};

constexpr ManualDirectory kManualDirectories[] = {
    {"WIN", "Windows"}, {"SYS", "System"}, {"SYS32", "System32"}, {"TEMP", "Temp"}, {"INST", "Source"},
};

constexpr int kPromptBeforeMessage = 8;
constexpr int kPromptAfterMessage = 9;
constexpr int kCaptionMessage = 10;

std::string message(int k) {
  const char* text = scriptMessage(k);
  return text ? text : "";
}

}  // namespace

int AskManualDirectories() {
  DialogTexts& texts = dialogTexts();
  for (const ManualDirectory& d : kManualDirectories) {
    texts.setDescription("");
    texts.setPrompt(message(kPromptBeforeMessage) + d.kind + message(kPromptAfterMessage));
    texts.setCaption(message(kCaptionMessage));
    char current[kDialogTextSize] = {};
    GetVar(d.variable, current, sizeof current);
    texts.setAnswer(current);
    if (AskPathName() != 1) return kAbort;
    SetVar(d.variable, texts.answer);
    std::string directory = texts.answer;
    if (directory.back() != '\\') directory += '\\';
    MakeDirectoryPath(directory.c_str());
  }
  return kGoOn;
}

}  // namespace merl
