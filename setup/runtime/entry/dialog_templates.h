// The template bytes of the runtime's own dialogs (DIALOG resources).
#pragma once

#include <string>

namespace merl {

// Template 1539, the one-line text prompt.
std::string pathNameDialogTemplate();
// Template 107, the list dialog.
std::string languageDialogTemplate();

}  // namespace merl
