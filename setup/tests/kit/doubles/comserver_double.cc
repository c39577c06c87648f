// A self-registering library double: DllRegisterServer and DllUnregisterServer
// log their calls and return 0 (S_OK).
#include <cstdint>

#include "double_support.h"

MERL_DOUBLE_DLLMAIN("comserver")

MERL_DOUBLE_EXPORT std::int32_t DllRegisterServer() {
  merl_doubles::logCall("comserver", "DllRegisterServer", win::JsonObject());
  return 0;
}

MERL_DOUBLE_EXPORT std::int32_t DllUnregisterServer() {
  merl_doubles::logCall("comserver", "DllUnregisterServer", win::JsonObject());
  return 0;
}
