// The machine context: creation from machine.ini, the per-process state, the
// services' state slots, and the current machine (lazy, or a test's scope).
#include "win/machine.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "host_map.h"
#include "platform/faults.h"
#include "platform/paths.h"
#include "platform/state_dir.h"
#include "win/constants.h"

namespace win {

namespace {

std::mutex currentMutex;
std::atomic<Machine*> current{nullptr};

[[noreturn]] void refuseMachine(const std::string& error) {
  std::fprintf(stderr, "%s\n", error.c_str());
  std::fflush(stderr);
  std::_Exit(2);
}

std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::unique_ptr<Machine> createOrExit(const std::string& stateDir) {
  std::string error;
  auto m = Machine::create(stateDir, &error);
  if (!m) refuseMachine(error);
  return m;
}

}  // namespace

Machine::Machine(std::string stateDir, MachineDescription description)
    : stateDir_(std::move(stateDir)),
      description_(std::move(description)),
      clock_(description_.clock.start, description_.clock.isVirtual),
      transcript_(*this, description_.ui.transcript),
      processTable_(stateDir_ + "/" + kProcDirName),
      kernelHandles_(4, 4) {}

std::unique_ptr<Machine> Machine::create(const std::string& stateDir, std::string* error) {
  auto description = MachineDescription::load(stateDir, error);
  if (!description) return nullptr;
  std::unique_ptr<Machine> m(new Machine(stateDir, std::move(*description)));
  m->initProcessState();
  m->installFaults();
  return m;
}

Machine::~Machine() {
  {
    std::lock_guard lock(statesMutex_);
    while (!states_.empty()) states_.pop_back();
  }
  if (registeredSelf_) processTable_.remove(::getpid());
  platform::clearFaults();
}

// The current directory and module path a parent handed down, else what the host says.
void Machine::initProcessState() {
  DWORD error = 0;
  const char* cwd = std::getenv(kCurrentDirVariable);
  auto dir = cwd ? parsePathFrom(cwd, nullptr, 0, &error) : std::nullopt;
  if (!dir) {
    auto fromHost = hostToWindowsOn(*this, platform::currentDirectory());
    dir = fromHost ? parsePathFrom(*fromHost, nullptr, 0, &error) : std::nullopt;
  }
  if (!dir) dir = parsePathFrom("C:\\", nullptr, 0, &error);
  currentDir_ = *dir;

  const char* module = std::getenv(kModulePathVariable);
  std::string program = platform::programPath();
  modulePath_ = module ? module : hostToWindowsOn(*this, program).value_or("");

  if (!processTable_.contains(::getpid())) registeredSelf_ = processTable_.add(::getpid(), program, modulePath_);
}

void Machine::installFaults() const {
  platform::clearFaults();
  for (const auto& rule : description_.failures) platform::addFault(rule);
}

const DriveMapping* Machine::findDrive(const WinPath& path) const {
  for (const auto& d : description_.drives) {
    if (path.isUnc() ? namesEqual(d.name, path.root()) : (d.name.size() == 1 && d.name[0] == path.drive)) return &d;
  }
  return nullptr;
}

WinPath Machine::currentDirectory() const {
  std::lock_guard lock(mutex_);
  return currentDir_;
}

void Machine::setCurrentDirectory(const WinPath& dir) {
  std::lock_guard lock(mutex_);
  currentDir_ = dir;
  currentDir_.trailingSeparator = false;
}

std::string Machine::modulePath() const {
  std::lock_guard lock(mutex_);
  return modulePath_;
}

void Machine::setModulePath(const std::string& path) {
  std::lock_guard lock(mutex_);
  modulePath_ = path;
}

std::string Machine::programName() const {
  std::string module = modulePath();
  if (module.empty()) module = platform::programPath();
  auto sep = module.find_last_of("\\/");
  return upperAscii(sep == std::string::npos ? module : module.substr(sep + 1));
}

void Machine::exitStuck(std::string_view why) const {
  transcript_.write("stuck", JsonObject().add("why", why));
  std::fprintf(stderr, "%s: %.*s\n", programName().c_str(), static_cast<int>(why.size()), why.data());
  std::fflush(stderr);
  std::_Exit(3);
}

MachineState& Machine::stateSlot(std::type_index type, std::unique_ptr<MachineState> (*make)(Machine&)) {
  std::lock_guard lock(statesMutex_);
  for (auto& [t, s] : states_)
    if (t == type) return *s;
  auto state = make(*this);
  states_.emplace_back(type, std::move(state));
  return *states_.back().second;
}

Machine& machine() {
  if (Machine* m = current.load(std::memory_order_acquire)) return *m;
  std::lock_guard lock(currentMutex);
  if (!current.load()) current.store(createOrExit(platform::stateDirectory()).release(), std::memory_order_release);
  return *current.load();
}

MachineScope::MachineScope(const std::string& stateDir) {
  if (const char* old = std::getenv(platform::kStateDirVariable)) {
    hadStateVariable_ = true;
    previousStateVariable_ = old;
  }
  ::setenv(platform::kStateDirVariable, stateDir.c_str(), 1);
  machine_ = createOrExit(stateDir);
  std::lock_guard lock(currentMutex);
  previous_ = current.exchange(machine_.get());
}

MachineScope::~MachineScope() {
  {
    std::lock_guard lock(currentMutex);
    current.store(previous_);
  }
  machine_.reset();
  if (previous_) previous_->installFaults();
  if (hadStateVariable_) ::setenv(platform::kStateDirVariable, previousStateVariable_.c_str(), 1);
  else ::unsetenv(platform::kStateDirVariable);
}

}  // namespace win
