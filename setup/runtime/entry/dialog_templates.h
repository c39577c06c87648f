// The template bytes of the runtime's own dialogs (DIALOG resources).
#pragma once

#include <string>

#include "win/resource.h"

namespace merl {

// Template 1539, the one-line text prompt.
std::string pathNameDialogTemplate();
// Template 107, the list dialog.
std::string languageDialogTemplate();
// Template 1538, the copy progress.
std::string copyDialogTemplate();
// Template 103, the busy dialog of a search.
std::string searchDialogTemplate();
// Template 114, the message box: text 1005, then OK (1), No (3) and Cancel (2).
std::string messageDialogTemplate();

// The module's resource table (referencing it keeps the table in every program linking the runtime).
const win::ResourceTable& runtimeResources();

}  // namespace merl
