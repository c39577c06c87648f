// AddFontResource and CreateScalableFontResource: recorded, the resource file
// written empty through the file calls.
#include "win/font_resources.h"

#include "ui_trace.h"
#include "win/files.h"

namespace win {

int AddFontResource(LPCSTR fileName) {
  if (!fileName || !*fileName) return 0;
  detail::trace("font-add", JsonObject().add("file", fileName));
  return 1;
}

BOOL CreateScalableFontResource(DWORD hidden, LPCSTR fontResource, LPCSTR fontFile, LPCSTR currentPath) {
  if (!fontResource || !*fontResource || !fontFile || !*fontFile) return FALSE;
  HANDLE file = CreateFile(fontResource, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(file);
  detail::trace("font-resource", JsonObject()
                                     .add("hidden", static_cast<std::uint64_t>(hidden))
                                     .add("resource", fontResource)
                                     .add("file", fontFile)
                                     .add("path", currentPath ? currentPath : ""));
  return TRUE;
}

}  // namespace win
