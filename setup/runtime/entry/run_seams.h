// What MerlMain calls in routines that live elsewhere (the DDE server, the screen
// services, the copy dialog, sound, self-registration): one replaceable function
// each, so the run works before those routines exist and tests can watch them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run.h"
#include "ui/pump.h"

namespace merl {

struct RunSeams {
  // Starts the DDE server ("MerlInst"); false when it cannot run.
  bool (*startDdeServer)() = [] { return false; };
  // Unregisters the service and uninitialises DDE.
  void (*stopDdeServer)() = [] {};
  // The exported screen update (flag 1 may pause); until it exists, one pass of the pump.
  void (*updateScreen)(int flag) = [](int) { PumpMessages(); };
  // Pumps messages; with wait, until timer 8297 on the main window has fired once.
  void (*pumpUntilTimer)(DWORD milliseconds, bool wait) = nullptr;  // null: the entry's own wait
  // Closes the copy dialog and enables the main window again.
  void (*closeCopyDialog)() = [] {};
  // Stops a sound that is playing.
  void (*stopSound)() = [] {};
  // Runs the queued self-registrations.
  void (*selfRegister)() = [] {};
  // A file that cannot be made or used: kind nonzero shows script message 0 with name,
  // kind 0 message 26 (default: as the abort message).
  int (*fileErrorMessage)(const char* name, int kind) = nullptr;
  // Extract mode without a target: the multiple choice of dialog 107 over the file names with
  // prompt; the chosen indexes in list order (default: none, until the list dialog takes it).
  std::vector<std::size_t> (*chooseExtractFiles)(const std::vector<std::string>& names, std::string_view prompt) =
      [](const std::vector<std::string>&, std::string_view) { return std::vector<std::size_t>(); };
  // Frees the placed graphics and their drawing objects.
  void (*freeGraphics)() = [] {};
};

// The seams MerlMain uses (one set for the process; tests replace members and put them back).
RunSeams& runSeams();

// The wait of the end of the run: runSeams().pumpUntilTimer, or the entry's own when none is set.
void PumpUntilTimer(DWORD milliseconds, bool wait);

}  // namespace merl
