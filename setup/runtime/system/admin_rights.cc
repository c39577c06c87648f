// CheckAdminRights through the outside library's "IsAdmin".
#include "system/admin_rights.h"

#include "files/file_utils.h"
#include "run.h"
#include "script/expansion.h"
#include "system/proc_cast.h"
#include "win/library.h"

namespace merl {

namespace {

using IsAdminProc = win::INT (*)();

}  // namespace

bool CheckAdminRights() {
  if (!run().platform.windowsNt) return true;
  char path[kPathBufferSize];
  ExpandVars256(path, "%TEMP%\\%W32INST_PATH_%");
  win::HMODULE library = win::LoadLibraryEx(path, nullptr, 0);
  if (!library) return false;
  auto isAdmin = procAs<IsAdminProc>(win::GetProcAddress(library, "IsAdmin"));
  bool answer = isAdmin && isAdmin() != 0;
  win::FreeLibrary(library);
  return answer;
}

}  // namespace merl
