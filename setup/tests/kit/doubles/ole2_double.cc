// OLE2.DLL double: "OleInitialize" logs its argument and returns
// [ole2] initialize (default 0); "OleUninitialize" logs the call.
#include "double_support.h"
#include "merl/outside_libraries.h"

MERL_DOUBLE_DLLMAIN("ole2")

MERL_DOUBLE_EXPORT win::LONG OleInitialize(win::LPVOID reserved) {
  using namespace merl_doubles;
  int index = callIndex("ole2", "OleInitialize");
  logCall("ole2", "OleInitialize", win::JsonObject().add("reserved_null", reserved == nullptr));
  return static_cast<win::LONG>(numberOf(scripted("ole2", "initialize", index), 0));
}

MERL_DOUBLE_EXPORT void OleUninitialize() { merl_doubles::logCall("ole2", "OleUninitialize"); }

static_assert(std::is_same_v<decltype(&OleInitialize), merl::OleInitializeProc>);
static_assert(std::is_same_v<decltype(&OleUninitialize), merl::OleUninitializeProc>);
