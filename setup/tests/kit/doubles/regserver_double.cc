// A module that registers itself: "DllRegisterServer" logs the current
// directory and returns [regserver] result (default 0).
#include <string>

#include "double_support.h"
#include "merl/outside_libraries.h"
#include "win/files.h"

MERL_DOUBLE_DLLMAIN("regserver")

MERL_DOUBLE_EXPORT win::LONG DllRegisterServer() {
  using namespace merl_doubles;
  int index = callIndex("regserver", "DllRegisterServer");
  char cwd[260] = {};
  win::DWORD length = win::GetCurrentDirectory(sizeof cwd, cwd);
  logCall("regserver", "DllRegisterServer", win::JsonObject().add("cwd", std::string(cwd, length < sizeof cwd ? length : 0)));
  return static_cast<win::LONG>(numberOf(scripted("regserver", "result", index), 0));
}

static_assert(std::is_same_v<decltype(&DllRegisterServer), merl::RegisterServerProc>);
