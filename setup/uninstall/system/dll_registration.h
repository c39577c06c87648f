// Self-registration undone (or redone after a rollback): an executable server
// run with "/UNREGSERVER" or "/REGSERVER", a library's DllUnregisterServer or
// DllRegisterServer called between OleInitialize and OleUninitialize.
#pragma once

#include <string>

namespace remvex {

// Shows prefix and the path as the current action, then unregisters (register false) or
// registers the server. A library counts when the platform loader can load it.
void UnregisterServer(const std::string& prefix, const std::string& path, bool registerServer);

}  // namespace remvex
