// DirectX set-up library double: "DirectXSetup" and "DirectXSetupA" log the call
// (window, source directory, flags, current directory) and return [directx] result.
#include "double_support.h"
#include "merl/outside_libraries.h"
#include "win/files.h"

MERL_DOUBLE_DLLMAIN("directx")

namespace {

win::INT setUp(const char* call, win::HWND window, win::LPSTR source, win::DWORD flags) {
  using namespace merl_doubles;
  int index = callIndex("directx", call);
  char current[260] = {};
  win::GetCurrentDirectory(sizeof current, current);
  logCall("directx", call,
          win::JsonObject()
              .add("window", static_cast<long long>(win::handleValue(window)))
              .add("source", textOf(source))
              .add("flags", static_cast<long long>(flags))
              .add("cwd", std::string(current)));
  return static_cast<win::INT>(numberOf(scripted("directx", "result", index), 0));
}

}  // namespace

MERL_DOUBLE_EXPORT win::INT DirectXSetup(win::HWND window, win::LPSTR source, win::DWORD flags) {
  return setUp("DirectXSetup", window, source, flags);
}

MERL_DOUBLE_EXPORT win::INT DirectXSetupA(win::HWND window, win::LPSTR source, win::DWORD flags) {
  return setUp("DirectXSetupA", window, source, flags);
}

static_assert(std::is_same_v<decltype(&DirectXSetup), merl::DirectXSetupProc>);
