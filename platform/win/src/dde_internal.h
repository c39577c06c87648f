// The DDE manager's state per machine: instances, string and data handles,
// conversations and the socket bridges of registered services. Callbacks are
// never called with the state's mutex held.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/dde.h"
#include "win/machine.h"

namespace win::detail {

class DdeBridge;
struct DdeBridgeDeleter {
  void operator()(DdeBridge* bridge) const;
};
using DdeBridgePtr = std::unique_ptr<DdeBridge, DdeBridgeDeleter>;

struct DdeInstance {
  DWORD id = 0;
  PFNCALLBACK callback = nullptr;
  DWORD flags = 0;
  DWORD thread = 0;
  UINT lastError = DMLERR_NO_ERROR;
  std::vector<std::string> services;  // registered, upper case
};

struct DdeString {
  std::string text;
  int refs = 0;
};

struct DdeData {
  std::string bytes;
  HSZ item = nullptr;
  UINT format = 0;
  DWORD instance = 0;
};

enum class ConvKind { Local, Progman, Remote };

struct DdeConversation {
  ConvKind kind = ConvKind::Local;
  DWORD client = 0;
  DWORD server = 0;  // a Local conversation's server instance
  std::string service;
  std::string topic;
  std::string socketPath;   // Remote
  std::string activeGroup;  // Progman: the group AddItem and DeleteItem work on
};

// What a server answered: the DMLERR code (0 when it answered), the status flags and the data.
struct DdeAnswer {
  UINT error = DMLERR_NO_ERROR;
  DWORD status = 0;
  bool ok = false;
  std::string bytes;
};

class DdeState : public MachineState {
 public:
  explicit DdeState(Machine& machine) : machine(machine) {}
  ~DdeState() override;

  Machine& machine;
  std::recursive_mutex mutex;
  std::map<DWORD, DdeInstance> instances;
  std::map<std::uintptr_t, DdeString> strings;
  std::map<std::uintptr_t, DdeData> data;
  std::map<std::uintptr_t, DdeConversation> conversations;
  std::map<std::string, DdeBridgePtr> bridges;  // by service, upper case
  DWORD nextInstance = 1;
  std::uintptr_t nextString = 0;
  std::uintptr_t nextData = 0;
  std::uintptr_t nextConversation = 0;
};

DdeState& ddeState();
std::string ddeUpper(std::string text);
// The text of a string handle ("" for a bad one).
std::string ddeText(HSZ hsz);
// Sets the instance's last error; false for an unknown instance.
bool ddeSetError(DWORD instance, UINT error);

// Runs one transaction of a server instance on its owner thread (directly when that is the
// calling thread), waiting at most waitMs in real time: XTYP_CONNECT, XTYP_REQUEST, XTYP_POKE or
// XTYP_EXECUTE (a connect's item is the service name). The server's flags may refuse it before the
// callback; timedOut tells a lapse. caller is the calling thread's id (0: a bridge thread).
DdeAnswer ddeServe(DWORD server, UINT type, UINT format, const std::string& topic, const std::string& item,
                   const std::string& bytes, std::uint64_t waitMs, bool* timedOut, DWORD caller);

// The Program Manager stand-in: a request's answer, or an execute string's acknowledgement.
DdeAnswer progmanRequest(const std::string& item);
DdeAnswer progmanExecute(DdeConversation& conv, const std::string& command);

// The socket of a service in the state directory ("" when its path would not fit).
std::string ddeSocketPath(const std::string& service);
// Starts listening for a registered service of instance; false when the socket cannot be made.
DdeBridgePtr startDdeBridge(DWORD instance, const std::string& service);
// One round trip to another process's service; waitMs bounds the answer in real time.
DdeAnswer ddeBridgeCall(const std::string& socketPath, UINT type, UINT format, const std::string& topic,
                        const std::string& item, const std::string& bytes, std::uint64_t waitMs, bool* timedOut);

}  // namespace win::detail
