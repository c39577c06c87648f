#include "ui/dialog_texts.h"

#include "entry/dialog_templates.h"
#include "entry/dll_main.h"
#include "text/copy_text.h"

namespace merl {

void DialogTexts::setCaption(std::string_view text) { copyText(caption, sizeof caption, text); }
void DialogTexts::setDescription(std::string_view text) { copyText(description, sizeof description, text); }
void DialogTexts::setPrompt(std::string_view text) { copyText(prompt, sizeof prompt, text); }
void DialogTexts::setAnswer(std::string_view text) { copyText(answer, sizeof answer, text); }

DialogTexts& dialogTexts() { return run().state<DialogTexts>(); }

win::HINSTANCE dialogModule() {
  (void)runtimeResources();
  return ownModule();
}

HWND dialogOwner() { return run().setup() ? run().setup()->mainWindow : nullptr; }

}  // namespace merl
