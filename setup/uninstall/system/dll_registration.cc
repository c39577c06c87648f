#include "system/dll_registration.h"

#include <cstdint>

#include "log/path_names.h"
#include "system/short_path.h"
#include "undo/progress_text.h"
#include "win/files.h"
#include "win/library.h"
#include "win/process.h"

namespace remvex {

namespace {

using OleInitializeProc = std::int32_t (*)(void*);
using OleUninitializeProc = void (*)();
using ServerProc = std::int32_t (*)();

void runServerCommand(const std::string& shortPath, bool registerServer) {
  std::string command = shortPath + (registerServer ? " /REGSERVER" : " /UNREGSERVER");
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  win::PROCESS_INFORMATION info{};
  if (!win::CreateProcess(nullptr, command.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr, &startup, &info))
    return;
  win::WaitForSingleObject(info.hProcess, win::INFINITE);
  win::CloseHandle(info.hProcess);
  win::CloseHandle(info.hThread);
}

void callLibraryServer(const std::string& path, bool registerServer) {
  win::HMODULE ole = win::LoadLibrary("OLE32.DLL");
  if (!ole) return;
  auto initialize = win::procAddress<OleInitializeProc>(ole, "OleInitialize");
  if (initialize && initialize(nullptr) == 0) {
    if (win::HMODULE module = win::LoadLibrary(path.c_str())) {
      auto call = win::procAddress<ServerProc>(module, registerServer ? "DllRegisterServer" : "DllUnregisterServer");
      if (call) call();
      win::FreeLibrary(module);
    }
  }
  if (auto uninitialize = win::procAddress<OleUninitializeProc>(ole, "OleUninitialize")) uninitialize();
  win::FreeLibrary(ole);
}

}  // namespace

void UnregisterServer(const std::string& prefix, const std::string& path, bool registerServer) {
  std::string text = prefix;
  AppendShortPath(text, path);
  SetProgressText(text);
  const std::string shortPath = NormalizePath(path, false);
  // The server runs in its own directory; the undo's directory comes back afterwards, so the
  // server's directory can still be removed.
  char before[win::MAX_PATH] = {};
  const win::DWORD kept = win::GetCurrentDirectory(sizeof before, before);
  const auto slash = shortPath.rfind('\\');
  if (slash != std::string::npos) win::SetCurrentDirectory(shortPath.substr(0, slash + 1).c_str());
  if (EndsWithNoCase(path, "EXE")) runServerCommand(shortPath, registerServer);
  else callLibraryServer(path, registerServer);
  if (kept > 0 && kept < sizeof before) win::SetCurrentDirectory(before);
}

}  // namespace remvex
