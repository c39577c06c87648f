// ismif32.dll double: "InstallStatusMIF" logs all eight arguments and returns
// [ismif] result (default 1).
#include "double_support.h"
#include "merl/outside_libraries.h"

MERL_DOUBLE_DLLMAIN("ismif")

MERL_DOUBLE_EXPORT win::BOOL InstallStatusMIF(win::LPCSTR mif, win::LPCSTR manufacturer, win::LPCSTR product,
                                              win::LPCSTR version, win::LPCSTR locale, win::LPCSTR serial,
                                              win::LPCSTR statusText, win::INT status) {
  using namespace merl_doubles;
  int index = callIndex("ismif", "InstallStatusMIF");
  logCall("ismif", "InstallStatusMIF", win::JsonObject()
                                           .add("mif", textOf(mif))
                                           .add("manufacturer", textOf(manufacturer))
                                           .add("product", textOf(product))
                                           .add("version", textOf(version))
                                           .add("locale", textOf(locale))
                                           .add("serial", textOf(serial))
                                           .add("status_text", textOf(statusText))
                                           .add("status", status));
  return static_cast<win::BOOL>(numberOf(scripted("ismif", "result", index), 1));
}

static_assert(std::is_same_v<decltype(&InstallStatusMIF), merl::InstallStatusMifProc>);
