// GetProgressFraction, ShowCopyProgress, CloseCopyDialog and the copy dialog's opener.
#include "entry/copy_progress.h"

#include <algorithm>

#include "entry/dll_main.h"
#include "entry/main_state.h"
#include "interp/action_params.h"
#include "interp/cursor.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "ui/copy_dlg.h"
#include "ui/dialog_look.h"
#include "ui/dialog_texts.h"
#include "ui/message_dlg.h"
#include "win/dialog.h"
#include "win/window.h"

namespace merl {

namespace {

// Done and total before scaling, from the source the options choose.
struct RawProgress {
  long long done = 0;
  long long total = 0;
};

RawProgress rawProgress() {
  const SetupRec& setup = *run().setup();
  const ScriptHeader& h = scriptHeader();
  if (setup.optionWord & kOptionBytesDoneProgress) return {setup.bytesDone, h.totalBytes};
  if (setup.optionWord & kOptionScriptProgress)
    return {static_cast<long long>(cursor().position) - h.position, h.recordAreaLength};
  return {static_cast<long long>(setup.bytesDone) + setup.readOffset - mainState().dataBaseOffset, h.totalBytes};
}

// The nearest whole percentage of done in total (done <= total, total >= 1), halves rounded up.
BYTE nearestPercentage(unsigned long long done, unsigned long long total) {
  return static_cast<BYTE>((done * 200 + total) / (total * 2));
}

// Done clamped to 0..total, total at least 1.
struct Clamped {
  unsigned long long done, total;
};

Clamped clampedProgress() {
  RawProgress raw = rawProgress();
  unsigned long long t = raw.total > 0 ? static_cast<unsigned long long>(raw.total) : 1;
  unsigned long long d = raw.done > 0 ? std::min(static_cast<unsigned long long>(raw.done), t) : 0;
  return {d, t};
}

void runSlideSwitch(ProgressFigures& figures) {
  if (figures.nextSlideThreshold == kNoSlidePending || figures.percentage < figures.nextSlideThreshold) return;
  figures.nextSlideThreshold = SwitchSlide(figures.percentage);
}

ProgressUpdateProc progressLibrary() { return mainState().progress; }

// The internal action block as the progress library gets it.
ActionParams& progressBlock() {
  ProgressFigures& figures = progressFigures();
  figures.parameterText[0] = '\0';
  return RefreshInternalParams(figures.parameterText);
}

int filePerMille(const ProgressFigures& figures) {
  if (figures.fileSize == 0) return 0;
  long long sinceStart = rawProgress().done - figures.doneBeforeFile;
  return PerMille(static_cast<unsigned long long>(std::max(0LL, sinceStart)), figures.fileSize);
}

void showThroughLibrary(ProgressUpdateProc update, const char* text) {
  ActionParams& block = progressBlock();
  DWORD scaledDone = 0, scaledTotal = 1;
  GetProgressFraction(scaledDone, scaledTotal);
  Clamped progress = clampedProgress();
  HWND owner = update(kProgressShow, scriptHeader().dialogPosition, &block, text,
                      PerMille(progress.done, progress.total), filePerMille(progressFigures()));
  if (owner && ConfirmCancel(owner)) run().setup()->abortFlag = 1;
}

void forgetCopyDialog(CopyProgressLink& progress) {
  progress.copyDialog = nullptr;
  run().state<OpenDialogs>().progressDialog = nullptr;
}

}  // namespace

ProgressFigures& progressFigures() { return run().state<ProgressFigures>(); }

int PerMille(unsigned long long part, unsigned long long whole) {
  if (whole == 0) return 0;
  return static_cast<int>(std::min(part, whole) * 1000 / whole);
}

BYTE GetProgressFraction(DWORD& done, DWORD& total) {
  auto [d, t] = clampedProgress();
  ProgressFigures& figures = progressFigures();
  figures.percentage = nearestPercentage(d, t);
  while (t > kProgressScaleLimit) d /= 10, t /= 10;
  done = static_cast<DWORD>(d);
  total = static_cast<DWORD>(std::max(t, 1ULL));
  runSlideSwitch(figures);
  return figures.percentage;
}

void StartFileProgress(DWORD size) {
  ProgressFigures& figures = progressFigures();
  figures.doneBeforeFile = rawProgress().done;
  figures.fileSize = size;
}

void ShowCopyProgress(const char* text) {
  CopyProgressLink& progress = run().state<CopyProgressLink>();
  if (text) progress.showing = true;
  if (ProgressUpdateProc update = progressLibrary()) {
    showThroughLibrary(update, text);
    return;
  }
  if (progress.copyDialog && text) win::SetDlgItemText(progress.copyDialog, kCopyStatusControl, text);
}

void CloseCopyDialog() {
  Run* current = currentRun();
  if (!current || !current->setup()) return;
  CopyProgressLink& progress = current->state<CopyProgressLink>();
  progress.showing = false;
  if (ProgressUpdateProc update = progressLibrary()) {
    update(kProgressClose, 0, &progressBlock(), nullptr, 0, 0);
  } else if (progress.copyDialog) {
    win::EnableWindow(current->setup()->mainWindow, win::TRUE);
    win::DestroyWindow(progress.copyDialog);
    forgetCopyDialog(progress);
  }
  UpdateScreen(0);
}

HWND OpenCopyDialog(const std::string& text) {
  CopyProgressLink& progress = run().state<CopyProgressLink>();
  if (!progress.copyDialog) {
    HWND main = run().setup()->mainWindow;
    HWND dialog = win::CreateDialogParam(dialogModule(), win::MAKEINTRESOURCE(kCopyDialogId), main, CopyDlg, 0);
    if (!dialog) return nullptr;
    PlaceDialog(dialog, kCopyDialogPlacement);
    progress.copyDialog = dialog;
    run().state<OpenDialogs>().progressDialog = dialog;
    win::SetDlgItemText(dialog, kCopyStatusControl, text.c_str());
    win::ShowWindow(dialog, win::SW_SHOW);
    win::EnableWindow(main, win::FALSE);
  } else {
    win::SetDlgItemText(progress.copyDialog, kCopyStatusControl, text.c_str());
  }
  progress.showing = true;
  return progress.copyDialog;
}

void ReopenCopyProgress(const std::string& text) {
  if (!progressLibrary()) {
    OpenCopyDialog(text);
    return;
  }
  run().state<CopyProgressLink>().showing = true;
  ShowCopyProgress(nullptr);
}

}  // namespace merl
