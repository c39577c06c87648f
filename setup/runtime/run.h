// The per-run context: one Run for each MerlMain call (or test), holding the
// setup record, the run state byte, the script image and the platform flags,
// and the state each routine family keeps for the run (Run::state<T>()).
#pragma once

#include <memory>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "merl/setup_interface.h"

namespace merl {

// Results of records and routines.
inline constexpr int kGoOn = 0;
inline constexpr int kEndMark = -1;  // the end mark was reached while skipping a block
inline constexpr int kAbort = -2;
inline constexpr int kExit = -4;

// The run state byte (switches /T, /M, /X, /Z).
inline constexpr BYTE kStateNormal = 0;
inline constexpr BYTE kStateTest = 1;
inline constexpr BYTE kStateManual = 2;
inline constexpr BYTE kStateExtract = 3;
inline constexpr BYTE kStateExtractExitZero = 4;

// KERNEL32's "GetDiskFreeSpaceExA".
using DiskFreeSpaceExProc = win::BOOL (*)(win::LPCSTR directory, win::PULARGE_INTEGER freeToCaller,
                                          win::PULARGE_INTEGER total, win::PULARGE_INTEGER totalFree);

// What kind of Windows the machine is (filled once per run by InitPlatformFlags).
struct PlatformFlags {
  bool win32 = false;
  bool majorAbove3 = false;
  bool windows9x = false;
  bool windowsNt = false;
  DiskFreeSpaceExProc getDiskFreeSpaceEx = nullptr;  // null when KERNEL32 has none
};

class Run;

// Base of the state a routine family keeps for one run (see Run::state).
class RunState {
 public:
  virtual ~RunState() = default;
};

class Run {
 public:
  // A run over setup (may be null in tests); copies the script image's address and length.
  explicit Run(SetupRec* setup = nullptr);
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // The setup program's record; null in a run without one.
  SetupRec* setup() const { return setup_; }

  BYTE runState = kStateNormal;
  // The script image: scriptLength bytes and the end mark at offset scriptLength.
  BYTE* scriptImage = nullptr;
  DWORD scriptLength = 0;
  PlatformFlags platform;

  // The state object of type State for this run, created on first use (as State(Run&)
  // when it has that constructor, else State()) and destroyed with the run in reverse
  // order of creation. State derives from RunState.
  template <typename State>
  State& state() {
    static_assert(std::is_base_of_v<RunState, State>);
    return static_cast<State&>(stateSlot(typeid(State), [](Run& r) -> std::unique_ptr<RunState> {
      if constexpr (std::is_constructible_v<State, Run&>)
        return std::make_unique<State>(r);
      else
        return std::make_unique<State>();
    }));
  }

 private:
  friend class RunScope;
  RunState& stateSlot(std::type_index type, std::unique_ptr<RunState> (*make)(Run&));

  // Destroys the states, newest first.
  void destroyStates();

  SetupRec* setup_;
  std::vector<std::pair<std::type_index, std::unique_ptr<RunState>>> states_;
};

// The current run: the innermost RunScope's. Calling it outside every run is a
// programming error (it reports and aborts); code reachable from outside a run
// (exports the setup program may call at any time) asks currentRun() first.
Run& run();
Run* currentRun();

// Makes a fresh Run current for the life of the scope and restores the previous one.
// MerlMain opens one per call; tests open one per case. Runs live on the caller's thread.
class RunScope {
 public:
  explicit RunScope(SetupRec* setup = nullptr);
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

  Run& run() { return run_; }

 private:
  Run run_;
  Run* previous_;
};

}  // namespace merl
