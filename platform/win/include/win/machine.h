// The emulated Windows machine as one process sees it: its description, drive
// map, clock, transcript, process table, kernel handles, per-process state (the
// current directory, the module path) and the state each service keeps on it.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "win/clock.h"
#include "win/handles.h"
#include "win/machine_description.h"
#include "win/path.h"
#include "win/proc_table.h"
#include "win/transcript.h"

namespace win {

class Machine;

// Base of the state a service keeps per machine (see Machine::state).
class MachineState {
 public:
  virtual ~MachineState() = default;
};

class Machine {
 public:
  // A machine over stateDir from its machine.ini; null with *error when the file is refused.
  static std::unique_ptr<Machine> create(const std::string& stateDir, std::string* error);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The host state directory.
  const std::string& stateDir() const { return stateDir_; }
  // The parsed machine.ini.
  const MachineDescription& description() const { return description_; }
  // The process's clock.
  Clock& clock() { return clock_; }
  const Clock& clock() const { return clock_; }
  // The transcript.
  const Transcript& transcript() const { return transcript_; }
  // The machine's process table.
  ProcessTable& processTable() { return processTable_; }
  // Kernel object handles (files, processes, ...: everything CloseHandle closes).
  HandleTable& kernelHandles() { return kernelHandles_; }

  // The mapping of a path's drive letter or share; null when unmapped.
  const DriveMapping* findDrive(const WinPath& path) const;
  // Creates the default drive C and the Windows, System and Temp directories once.
  void ensureStandardDirectories();

  // The process's current directory.
  WinPath currentDirectory() const;
  // Sets the current directory (the caller checked that it exists).
  void setCurrentDirectory(const WinPath& dir);
  // The process's Windows module path ("" until known).
  std::string modulePath() const;
  // Declares the process's Windows module path.
  void setModulePath(const std::string& path);
  // The program's file name in upper case ("SETUP.EXE"), for the transcript.
  std::string programName() const;

  // Writes a transcript line saying why, then ends the process with status 3 (a wait nothing can end).
  [[noreturn]] void exitStuck(std::string_view why) const;
  // Loads the description's failure rules into the fault point, replacing all others.
  void installFaults() const;

  // The state object of type State on this machine, created on first use as State(Machine&) and
  // destroyed with the machine (in reverse order of creation). State derives from MachineState.
  template <typename State>
  State& state() {
    return static_cast<State&>(stateSlot(typeid(State), [](Machine& m) -> std::unique_ptr<MachineState> {
      return std::make_unique<State>(m);
    }));
  }

 private:
  Machine(std::string stateDir, MachineDescription description);
  MachineState& stateSlot(std::type_index type, std::unique_ptr<MachineState> (*make)(Machine&));
  void initProcessState();

  std::string stateDir_;
  MachineDescription description_;
  Clock clock_;
  Transcript transcript_;
  ProcessTable processTable_;
  HandleTable kernelHandles_;
  bool registeredSelf_ = false;
  std::once_flag directoriesOnce_;

  mutable std::mutex mutex_;  // guards the per-process state below
  WinPath currentDir_;
  std::string modulePath_;

  std::recursive_mutex statesMutex_;
  std::vector<std::pair<std::type_index, std::unique_ptr<MachineState>>> states_;
};

// The current machine: the innermost MachineScope's, else one created on first use from the
// state directory (IDS_PLATFORM_DIR); a refused machine.ini ends the process with status 2.
Machine& machine();

// Installs a fresh machine over stateDir for the life of the scope (tests); it also points
// IDS_PLATFORM_DIR at stateDir. A refused machine.ini ends the process with status 2.
class MachineScope {
 public:
  explicit MachineScope(const std::string& stateDir);
  ~MachineScope();
  MachineScope(const MachineScope&) = delete;
  MachineScope& operator=(const MachineScope&) = delete;

  // The scope's machine.
  Machine& machine() { return *machine_; }

 private:
  std::unique_ptr<Machine> machine_;
  Machine* previous_ = nullptr;
  bool hadStateVariable_ = false;
  std::string previousStateVariable_;
};

}  // namespace win
