// Services: the initial states of [services], then the changes in
// <state>/services.txt, one line "name<TAB>running|stopped|deleted" per
// service (the last line of a name wins), rewritten whole under a lock.
#include "win/services.h"

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fail.h"
#include "state_file.h"
#include "platform/text.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/machine.h"
#include "win/path.h"

namespace win {

namespace {

enum class ServiceState { Running, Stopped, Deleted };

// What the generic rights stand for, and what a user without administrator rights may have.
constexpr DWORD kManagerRead = READ_CONTROL | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
constexpr DWORD kManagerWrite = SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG;
constexpr DWORD kManagerExecute = SC_MANAGER_CONNECT | SC_MANAGER_LOCK;
constexpr DWORD kManagerUser = SC_MANAGER_CONNECT | kManagerRead;
constexpr DWORD kServiceRead = READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE |
                               SERVICE_ENUMERATE_DEPENDENTS;
constexpr DWORD kServiceWrite = SERVICE_CHANGE_CONFIG;
constexpr DWORD kServiceExecute = SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL;
constexpr DWORD kServiceUser = kServiceRead | SERVICE_USER_DEFINED_CONTROL;

DWORD mapGeneric(DWORD access, DWORD read, DWORD write, DWORD execute, DWORD all) {
  DWORD mapped = access & 0x00FFFFFF;
  if (access & GENERIC_READ) mapped |= read;
  if (access & GENERIC_WRITE) mapped |= write;
  if (access & GENERIC_EXECUTE) mapped |= execute;
  if (access & GENERIC_ALL) mapped |= all;
  return mapped;
}

DWORD managerRights(DWORD access) {
  return mapGeneric(access, kManagerRead, kManagerWrite, kManagerExecute, SC_MANAGER_ALL_ACCESS);
}

DWORD serviceRights(DWORD access) {
  return mapGeneric(access, kServiceRead, kServiceWrite, kServiceExecute, SERVICE_ALL_ACCESS);
}

struct ManagerObject : HandleObject {};
struct ServiceObject : HandleObject {
  ServiceObject(std::string n, DWORD r) : name(std::move(n)), rights(r) {}
  std::string name;  // as the table spells it
  DWORD rights;      // generic rights mapped
};

// Handles of both kinds, numbered from 0x100 in steps of 4.
struct ServiceHandles : MachineState {
  explicit ServiceHandles(Machine&) {}
  HandleTable table{0x100, 4};
};

const char* stateWord(ServiceState s) {
  return s == ServiceState::Running ? "running" : s == ServiceState::Stopped ? "stopped" : "deleted";
}

std::string storePath() { return machine().stateDir() + "/" + kServicesFileName; }

using Table = std::vector<std::pair<std::string, ServiceState>>;

void setState(Table& table, const std::string& name, ServiceState state) {
  for (auto& [n, s] : table)
    if (namesEqual(n, name)) {
      s = state;
      return;
    }
  table.emplace_back(name, state);
}

// The changes recorded in the store.
Table parseChanges(const std::string& text) {
  Table changes;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    auto f = platform::splitFields(line, '\t');
    if (f.size() != 2 || f[0].empty()) continue;
    if (f[1] == "running") setState(changes, f[0], ServiceState::Running);
    else if (f[1] == "stopped") setState(changes, f[0], ServiceState::Stopped);
    else if (f[1] == "deleted") setState(changes, f[0], ServiceState::Deleted);
  }
  return changes;
}

std::optional<std::pair<std::string, ServiceState>> lookup(std::string_view name) {
  std::string text;
  if (!readStateFile(storePath(), text)) return std::nullopt;
  Table table;
  for (const auto& [n, running] : machine().description().services)
    setState(table, n, running ? ServiceState::Running : ServiceState::Stopped);
  for (const auto& [n, state] : parseChanges(text)) setState(table, n, state);
  for (const auto& entry : table)
    if (namesEqual(entry.first, name)) return entry;
  return std::nullopt;
}

// Records a new state; false when the store cannot be written.
bool record(const std::string& name, ServiceState state) {
  return updateStateFile(storePath(), [&](std::string& text) {
    Table changes = parseChanges(text);
    setState(changes, name, state);
    text.clear();
    for (const auto& [n, s] : changes) text += n + "\t" + stateWord(s) + "\n";
    return true;
  });
}

HandleTable& handles() { return machine().state<ServiceHandles>().table; }

template <typename T>
std::shared_ptr<T> object(SC_HANDLE h) {
  return handles().find<T>(handleValue(h));
}

bool isNt() { return machine().description().system.platform == WinPlatform::Nt; }
bool isAdmin() { return machine().description().system.admin; }

void fillStatus(ServiceState state, LPSERVICE_STATUS status) {
  *status = SERVICE_STATUS{SERVICE_WIN32_OWN_PROCESS,
                           state == ServiceState::Running ? SERVICE_RUNNING : SERVICE_STOPPED,
                           state == ServiceState::Running ? SERVICE_ACCEPT_STOP : 0,
                           NO_ERROR, 0, 0, 0};
}

// The service's current state ("deleted" reads as stopped for open handles).
std::optional<ServiceState> currentState(const ServiceObject& s) {
  auto entry = lookup(s.name);
  if (!entry) return std::nullopt;
  return entry->second;
}

}  // namespace

SC_HANDLE OpenSCManager(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess) {
  if (!isNt()) return failWith<SC_HANDLE>(ERROR_CALL_NOT_IMPLEMENTED);
  if (lpMachineName && *lpMachineName) return failWith<SC_HANDLE>(RPC_S_SERVER_UNAVAILABLE);
  if (lpDatabaseName && !namesEqual(lpDatabaseName, "ServicesActive"))
    return failWith<SC_HANDLE>(ERROR_DATABASE_DOES_NOT_EXIST);
  if (!isAdmin() && (managerRights(dwDesiredAccess) & ~kManagerUser)) return failWith<SC_HANDLE>(ERROR_ACCESS_DENIED);
  return handleFromValue<SC_HANDLE>(handles().add(std::make_shared<ManagerObject>()));
}

SC_HANDLE OpenService(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  if (!object<ManagerObject>(hSCManager)) return failWith<SC_HANDLE>(ERROR_INVALID_HANDLE);
  if (!lpServiceName || !*lpServiceName) return failWith<SC_HANDLE>(ERROR_INVALID_NAME);
  auto entry = lookup(lpServiceName);
  if (!entry || entry->second == ServiceState::Deleted) return failWith<SC_HANDLE>(ERROR_SERVICE_DOES_NOT_EXIST);
  DWORD rights = serviceRights(dwDesiredAccess);
  if (!isAdmin() && (rights & ~kServiceUser)) return failWith<SC_HANDLE>(ERROR_ACCESS_DENIED);
  return handleFromValue<SC_HANDLE>(handles().add(std::make_shared<ServiceObject>(entry->first, rights)));
}

BOOL QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  auto s = object<ServiceObject>(hService);
  if (!s) return failWith(ERROR_INVALID_HANDLE);
  if (!lpServiceStatus) return failWith(ERROR_INVALID_PARAMETER);
  if (!(s->rights & SERVICE_QUERY_STATUS)) return failWith(ERROR_ACCESS_DENIED);
  fillStatus(currentState(*s).value_or(ServiceState::Stopped), lpServiceStatus);
  return TRUE;
}

BOOL ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
  auto s = object<ServiceObject>(hService);
  if (!s) return failWith(ERROR_INVALID_HANDLE);
  if (!lpServiceStatus) return failWith(ERROR_INVALID_PARAMETER);
  DWORD needed = dwControl == SERVICE_CONTROL_STOP ? SERVICE_STOP
                 : dwControl == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                            : SERVICE_PAUSE_CONTINUE;
  if (!(s->rights & needed)) return failWith(ERROR_ACCESS_DENIED);
  auto state = currentState(*s).value_or(ServiceState::Stopped);
  if (state != ServiceState::Running) {
    fillStatus(ServiceState::Stopped, lpServiceStatus);
    return failWith(ERROR_SERVICE_NOT_ACTIVE);
  }
  if (dwControl == SERVICE_CONTROL_STOP) {
    if (!record(s->name, ServiceState::Stopped)) return failWith(ERROR_SERVICE_REQUEST_TIMEOUT);
    machine().transcript().write("service-stop", JsonObject().add("name", s->name));
    state = ServiceState::Stopped;
  } else if (dwControl != SERVICE_CONTROL_INTERROGATE) {
    return failWith(ERROR_INVALID_SERVICE_CONTROL);
  }
  fillStatus(state, lpServiceStatus);
  return TRUE;
}

BOOL DeleteService(SC_HANDLE hService) {
  auto s = object<ServiceObject>(hService);
  if (!s) return failWith(ERROR_INVALID_HANDLE);
  if (!(s->rights & DELETE)) return failWith(ERROR_ACCESS_DENIED);
  auto state = currentState(*s);
  if (state == ServiceState::Deleted) return failWith(ERROR_SERVICE_MARKED_FOR_DELETE);
  if (!record(s->name, ServiceState::Deleted)) return failWith(ERROR_ACCESS_DENIED);
  machine().transcript().write("service-delete", JsonObject().add("name", s->name));
  return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE hSCObject) {
  if (!handles().remove(handleValue(hSCObject))) return failWith(ERROR_INVALID_HANDLE);
  return TRUE;
}

}  // namespace win
