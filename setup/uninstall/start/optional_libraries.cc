#include "start/optional_libraries.h"

#include "log/path_names.h"
#include "win/library.h"

namespace remvex {

namespace {

using InstanceCall = win::BOOL (*)(win::HINSTANCE);
using StatusMifCall = win::BOOL (*)(win::LPCSTR, win::LPCSTR, win::LPCSTR, win::LPCSTR, win::LPCSTR, win::LPCSTR,
                                    win::LPCSTR, win::INT);

}  // namespace

void DialogLibrary::Load(win::HINSTANCE instance, bool newShell) {
  module_ = win::LoadLibrary("CTL3D32.DLL");
  if (!module_) return;
  auto registerCall = win::procAddress<InstanceCall>(module_, "Ctl3dRegister");
  registered_ = registerCall && registerCall(instance);
  if (!registered_) return;
  auto autoSubclass = win::procAddress<InstanceCall>(module_, "Ctl3dAutoSubclass");
  if (!newShell && autoSubclass) autoSubclass(instance);
}

void DialogLibrary::Release(win::HINSTANCE instance) {
  if (!module_) return;
  auto unregisterCall = win::procAddress<InstanceCall>(module_, "Ctl3dUnregister");
  if (registered_ && unregisterCall) unregisterCall(instance);
  win::FreeLibrary(module_);
  module_ = nullptr;
  registered_ = false;
}

void ReportStatusMif(const ProductData& product) {
  if (product.mif.empty()) return;
  win::HMODULE module = win::LoadLibrary(WindowsDirectoryFile("ismif32.dll").c_str());
  if (!module) return;
  if (auto report = win::procAddress<StatusMifCall>(module, "InstallStatusMIF"))
    report(product.mif.c_str(), product.manufacturer.c_str(), product.product.c_str(), product.version.c_str(), "",
           product.serial.c_str(), "", 1);
  win::FreeLibrary(module);
}

}  // namespace remvex
