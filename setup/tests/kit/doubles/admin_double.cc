// Administrator-test library double: "IsAdmin" logs the call and returns
// [admin] result (default 1).
#include "double_support.h"
#include "merl/outside_libraries.h"

MERL_DOUBLE_DLLMAIN("admin")

MERL_DOUBLE_EXPORT win::BOOL IsAdmin() {
  using namespace merl_doubles;
  int index = callIndex("admin", "IsAdmin");
  logCall("admin", "IsAdmin");
  return static_cast<win::BOOL>(numberOf(scripted("admin", "result", index), 1));
}

static_assert(std::is_same_v<decltype(&IsAdmin), merl::AdminTestProc>);
