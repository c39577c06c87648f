// OLE32.DLL double: OleInitialize returns [ole32] initialize (default 0, S_OK)
// and OleUninitialize logs; both are logged.
#include <cstdint>

#include "double_support.h"

MERL_DOUBLE_DLLMAIN("ole32")

MERL_DOUBLE_EXPORT std::int32_t OleInitialize(void*) {
  using namespace merl_doubles;
  int index = callIndex("ole32", "OleInitialize");
  logCall("ole32", "OleInitialize", win::JsonObject());
  return static_cast<std::int32_t>(numberOf(scripted("ole32", "initialize", index), 0));
}

MERL_DOUBLE_EXPORT void OleUninitialize() { merl_doubles::logCall("ole32", "OleUninitialize", win::JsonObject()); }
