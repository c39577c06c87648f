// Hook library double (support file 4): "f1" logs the working file, the hook
// parameter and the second path, and returns [hook] result, copying
// [hook] error into the caller's error text.
// Its "f1" is not the runtime's numbered action f1, so this file cannot see the runtime's
// interface header (merl::HookProc there is the signature below).
#include "double_support.h"

namespace {
constexpr std::size_t kErrorTextSize = 256;  // the caller's error text buffer
}  // namespace

MERL_DOUBLE_DLLMAIN("hook")

MERL_DOUBLE_EXPORT win::INT f1(win::LPSTR workingFile, win::LPCSTR parameter, win::LPSTR secondPath,
                               const char* const* messages, win::LPSTR errorText) {
  using namespace merl_doubles;
  int index = callIndex("hook", "f1");
  logCall("hook", "f1", win::JsonObject()
                            .add("working_file", textOf(workingFile))
                            .add("parameter", textOf(parameter))
                            .add("second_path", textOf(secondPath))
                            .add("messages", messages != nullptr));
  auto result = static_cast<win::INT>(numberOf(scripted("hook", "result", index), 0));
  std::string error = scripted("hook", "error", index);
  if (!error.empty()) copyOut(errorText, kErrorTextSize, error);
  return result;
}
