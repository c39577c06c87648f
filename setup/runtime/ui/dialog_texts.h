// The texts callers prepare for the built-in dialogs: caption, description,
// prompt and answer, each a 256-byte buffer of the run.
#pragma once

#include <string_view>

#include "run.h"

namespace merl {

inline constexpr std::size_t kDialogTextSize = 256;

struct DialogTexts : RunState {
  char caption[kDialogTextSize] = {};
  char description[kDialogTextSize] = {};
  char prompt[kDialogTextSize] = {};
  char answer[kDialogTextSize] = {};  // a prompt's initial value and result; the system language name

  void setCaption(std::string_view text);
  void setDescription(std::string_view text);
  void setPrompt(std::string_view text);
  void setAnswer(std::string_view text);
};

// The current run's texts.
DialogTexts& dialogTexts();

// The runtime's own module, whose resources hold the dialog templates (the executable in tests).
win::HINSTANCE dialogModule();

// The owner of the built-in dialogs: the setup record's main window.
HWND dialogOwner();

}  // namespace merl
