// DllMain: keeps the library's own module handle for every call reason.
#include "entry/dll_main.h"

#include <atomic>

#include "merl/setup_interface.h"

namespace merl {

namespace {

std::atomic<win::HINSTANCE> module{nullptr};

}  // namespace

win::HINSTANCE ownModule() { return module.load(); }

}  // namespace merl

extern "C" win::BOOL DllMain(win::HINSTANCE instance, win::DWORD /*reason*/, win::LPVOID /*reserved*/) {
  merl::module.store(instance);
  return win::TRUE;
}
