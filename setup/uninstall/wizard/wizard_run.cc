#include "wizard/wizard_run.h"

#include "constants.h"
#include "run_state.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/resource.h"
#include "win/window.h"
#include "wizard/item_dlg.h"
#include "wizard/widen.h"

namespace remvex {

namespace {

win::HBITMAP loadWizardBitmap(win::HINSTANCE instance) {
  auto bytes = win::findResourceBytes(instance, win::RT_BITMAP, win::MAKEINTRESOURCE(kWizardBitmapId));
  if (!bytes || bytes->size < sizeof(win::BITMAPINFOHEADER)) return nullptr;
  const auto* header = reinterpret_cast<const win::BITMAPINFOHEADER*>(bytes->data);
  const std::size_t colours = header->biBitCount <= 8 ? (header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount) : 0;
  const std::size_t offset = header->biSize + colours * 4;
  if (offset >= bytes->size) return nullptr;
  win::HDC screen = win::GetDC(nullptr);
  win::HBITMAP bitmap = win::CreateDIBitmap(screen, header, win::CBM_INIT, bytes->data + offset,
                                            reinterpret_cast<const win::BITMAPINFO*>(header), win::DIB_RGB_COLORS);
  if (screen) win::ReleaseDC(nullptr, screen);
  return bitmap;
}

void pumpUntilChosen(win::HWND wizard) {
  const WizardState& w = Wizard();
  win::MSG msg{};
  while (!Run().cancel && !w.finish && win::GetMessage(&msg, nullptr, 0, 0) > 0) {
    if (win::IsDialogMessage(wizard, &msg)) continue;
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

}  // namespace

bool RunWizard(const WizardSetup& setup, LogState& log) {
  WizardState& w = Wizard();
  w.log = &log;
  w.rollback = setup.rollback;
  w.owner = setup.owner;
  w.dialogLibrary = setup.dialogLibrary;
  w.subclassDialog = setup.subclassDialog;
  w.newShell = setup.newShell;
  w.iniPath = setup.iniPath;
  if (setup.automatic) {
    Run().uninstallMode = kAutomaticMode;
    w.page = kPerformPage;
  }
  if (setup.silent) return true;
  w.bitmap = loadWizardBitmap(setup.instance);
  win::EnableWindow(setup.owner, win::FALSE);
  win::HWND wizard = win::CreateDialogParam(setup.instance, win::MAKEINTRESOURCE(kWizardDialogId), setup.owner,
                                            ItemDlg, 0);
  if (!wizard) {
    // Without the wizard nobody chose: only an automatic run goes on.
    if (!setup.automatic) Run().cancel = true;
    return !Run().cancel;
  }
  Run().wizard = wizard;
  if (!setup.automatic) pumpUntilChosen(wizard);
  return !Run().cancel;
}

bool WizardCancelled() { return Run().cancel; }

void CloseWizard() {
  WizardState& w = Wizard();
  if (Run().wizard) win::DestroyWindow(Run().wizard);
  Run().wizard = nullptr;
  if (w.bitmap) win::DeleteObject(w.bitmap);
  w.bitmap = nullptr;
  FreeDialogFont();
}

}  // namespace remvex
