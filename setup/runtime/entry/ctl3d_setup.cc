// CTL3D set-up and release.
#include "entry/ctl3d_setup.h"

#include <string>

#include "entry/main_state.h"
#include "entry/support_files.h"
#include "ui/pump.h"
#include "win/files.h"
#include "win/library.h"
#include "win/system.h"

namespace merl {

namespace {

constexpr char kCtl3dName[] = "CTL3D32.DLL";

HINSTANCE loadCtl3d() {
  UINT old = win::SetErrorMode(win::SEM_NOOPENFILEERRORBOX);
  HINSTANCE library = win::LoadLibrary(kCtl3dName);
  win::SetErrorMode(old);
  return library;
}

// Copies the extracted private CTL3D into the system directory, never over a file there.
void installPrivateCopy() {
  const std::string& source = mainState().supportPaths[run().platform.windowsNt ? kSupportCtl3dNt : kSupportCtl3d9x];
  if (source.empty()) return;
  char system[win::MAX_PATH] = {};
  UINT n = win::GetSystemDirectory(system, sizeof system);
  if (n == 0 || n >= sizeof system) return;
  std::string target = std::string(system) + (system[n - 1] == '\\' ? "" : "\\") + kCtl3dName;
  win::CopyFile(source.c_str(), target.c_str(), win::TRUE);
}

bool versionFourShell() { return (win::GetVersion() & 0xFF) == 4; }

}  // namespace

void SetUpCtl3d() {
  MainState& m = mainState();
  SetupRec* setup = run().setup();
  HINSTANCE library = loadCtl3d();
  if (!library && (setup->optionWord & kOptionPrivateCtl3d)) {
    installPrivateCopy();
    library = loadCtl3d();
  }
  if (!library) return;
  m.ctl3dLibrary = library;
  auto registerProc = win::procAddress<Ctl3dInstanceProc>(library, kCtl3dRegisterExport);
  m.ctl3dUnregister = win::procAddress<Ctl3dInstanceProc>(library, kCtl3dUnregisterExport);
  auto autoSubclass = win::procAddress<Ctl3dInstanceProc>(library, kCtl3dAutoSubclassExport);
  m.ctl3dFramePaint = win::procAddress<Ctl3dDlgFramePaintProc>(library, kCtl3dDlgFramePaintExport);
  run().state<Ctl3dState>().subclass = win::procAddress<Ctl3dSubclassProc>(library, kCtl3dSubclassDlgExExport);
  if (registerProc) m.ctl3dRegistered = registerProc(setup->setupInstance) != 0;
  if (autoSubclass && !run().platform.windows9x && !versionFourShell()) autoSubclass(setup->setupInstance);
}

void ReleaseCtl3d() {
  MainState& m = mainState();
  if (m.ctl3dRegistered && m.ctl3dUnregister) m.ctl3dUnregister(run().setup()->setupInstance);
  m.ctl3dRegistered = false;
  run().state<Ctl3dState>().subclass = nullptr;
  if (m.ctl3dLibrary) win::FreeLibrary(m.ctl3dLibrary);
  m.ctl3dLibrary = nullptr;
}

}  // namespace merl
