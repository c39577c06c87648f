// ODBC installer library double, built as ODBCINST.DLL's and ODBCCP32.DLL's stand-ins
// (logged as "odbcinst" / "odbccp32"). Each call logs its arguments and buffers and
// answers from [<name>]: manager_path, driver_path (copied into the caller's buffer, cut
// to its size), manager_result, driver_result, config_results (default 1).
#include <string>

#include "double_support.h"
#include "merl/outside_libraries.h"

#ifndef MERL_ODBC_NAME
#error MERL_ODBC_NAME names the double
#endif

MERL_DOUBLE_DLLMAIN(MERL_ODBC_NAME)

namespace {

// A list of NUL-ended items ended by an empty one, as hex bytes (bounded).
std::string listBytes(const char* list) {
  if (!list) return "";
  std::size_t n = 0;
  while (n < (1u << 16) && !(list[n] == '\0' && n > 0 && list[n - 1] == '\0')) ++n;
  return merl_doubles::hexBytes(list, n + 1);
}

// Answers a path call: the scripted text into path (pathMax bytes), its length into *pathOut.
win::BOOL answerPath(const char* call, const char* key, const char* resultKey, win::LPSTR path, win::WORD pathMax,
                     win::WORD* pathOut, win::JsonObject fields) {
  using namespace merl_doubles;
  int index = callIndex(MERL_ODBC_NAME, call);
  std::string text = scripted(MERL_ODBC_NAME, key, index, "");
  if (path) copyOut(path, pathMax, text);
  if (pathOut) *pathOut = static_cast<win::WORD>(text.size());
  logCall(MERL_ODBC_NAME, call,
          fields.add("path_given", path != nullptr).add("path_max", pathMax).add("length_given", pathOut != nullptr));
  return static_cast<win::BOOL>(numberOf(scripted(MERL_ODBC_NAME, resultKey, index), 1));
}

}  // namespace

MERL_DOUBLE_EXPORT win::BOOL SQLInstallDriverManager(win::LPSTR path, win::WORD pathMax, win::WORD* pathOut) {
  return answerPath("SQLInstallDriverManager", "manager_path", "manager_result", path, pathMax, pathOut,
                    win::JsonObject());
}

MERL_DOUBLE_EXPORT win::BOOL SQLInstallDriver(win::LPCSTR infFile, win::LPCSTR driver, win::LPSTR path,
                                              win::WORD pathMax, win::WORD* pathOut) {
  return answerPath("SQLInstallDriver", "driver_path", "driver_result", path, pathMax, pathOut,
                    win::JsonObject().add("inf_given", infFile != nullptr).add("driver", listBytes(driver)));
}

MERL_DOUBLE_EXPORT win::BOOL SQLConfigDataSource(win::HWND owner, win::WORD request, win::LPCSTR driver,
                                                 win::LPCSTR attributes) {
  using namespace merl_doubles;
  int index = callIndex(MERL_ODBC_NAME, "SQLConfigDataSource");
  logCall(MERL_ODBC_NAME, "SQLConfigDataSource",
          win::JsonObject()
              .add("owner", static_cast<long long>(reinterpret_cast<std::uintptr_t>(owner)))
              .add("request", request)
              .add("driver", textOf(driver))
              .add("attributes", listBytes(attributes)));
  return static_cast<win::BOOL>(numberOf(scripted(MERL_ODBC_NAME, "config_results", index), 1));
}

static_assert(std::is_same_v<decltype(&SQLInstallDriverManager), merl::OdbcDriverManagerProc>);
static_assert(std::is_same_v<decltype(&SQLInstallDriver), merl::OdbcDriverProc>);
static_assert(std::is_same_v<decltype(&SQLConfigDataSource), merl::OdbcConfigProc>);
