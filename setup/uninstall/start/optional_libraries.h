// The optional outside libraries: the three-dimensional dialog library and the
// status report library.
#pragma once

#include <string>

#include "log/item_lists.h"
#include "win/types.h"

namespace remvex {

// CTL3D32.DLL, when it loads and registers.
class DialogLibrary {
 public:
  // Loads and registers the library; auto-subclassing without the new shell.
  void Load(win::HINSTANCE instance, bool newShell);
  // Unregisters and frees it.
  void Release(win::HINSTANCE instance);
  bool present() const { return registered_; }
  win::HMODULE module() const { return module_; }

 private:
  win::HMODULE module_ = nullptr;
  bool registered_ = false;
};

// Reports success through ismif32.dll in the Windows directory when the log named an
// "Uninstall MIF"; a missing library or function is not reported.
void ReportStatusMif(const ProductData& product);

}  // namespace remvex
