// The DDE server's start and stop, and DDECallback: connects are accepted for
// every topic, CF_TEXT requests answer the topic's variable with its NUL, and
// everything else (pokes included) gets no data.
#include "entry/dde_server.h"

#include <vector>

#include "merl/setup_interface.h"
#include "script/variables.h"

namespace merl {

DdeServerState::~DdeServerState() {
  // A run that ends on a path without StopDdeServer still gives its instance back.
  if (instance) win::DdeUninitialize(instance);
}

bool StartDdeServer() {
  DdeServerState& dde = run().state<DdeServerState>();
  if (dde.instance) return dde.service != nullptr;
  DWORD instance = 0;
  if (win::DdeInitialize(&instance, DDECallback, kDdeServerFlags, 0) != win::DMLERR_NO_ERROR) return false;
  dde.instance = instance;
  win::HSZ service = win::DdeCreateStringHandle(instance, kDdeServiceName, win::CP_WINANSI);
  if (service && win::DdeNameService(instance, service, nullptr, win::DNS_REGISTER)) {
    dde.service = service;
    return true;
  }
  if (service) win::DdeFreeStringHandle(instance, service);
  win::DdeUninitialize(instance);
  dde.instance = 0;
  return false;
}

void StopDdeServer() {
  DdeServerState& dde = run().state<DdeServerState>();
  if (!dde.instance) return;
  if (dde.service) {
    win::DdeNameService(dde.instance, dde.service, nullptr, win::DNS_UNREGISTER);
    win::DdeFreeStringHandle(dde.instance, dde.service);
    dde.service = nullptr;
  }
  win::DdeUninitialize(dde.instance);
  dde.instance = 0;
}

DWORD ddeInstance() { return run().state<DdeServerState>().instance; }

namespace {

// The value of the variable the topic names, with its terminating NUL, as a new CF_TEXT handle.
win::HDDEDATA answerRequest(DWORD instance, win::HSZ topic, win::HSZ item) {
  char name[kDdeTopicLength + 1] = {};
  win::DdeQueryString(instance, topic, name, sizeof name, win::CP_WINANSI);
  std::string_view variable(name);
  // A name the store cannot hold is unset; the value is read with its real length.
  std::size_t length = variable.size() <= static_cast<std::size_t>(kMaxNameLength) ? GetVarLength(variable) : 0;
  std::vector<char> reply(length ? length : 1, '\0');
  if (length) GetVar(variable, reply.data(), reply.size());
  return win::DdeCreateDataHandle(instance, reinterpret_cast<win::LPBYTE>(reply.data()),
                                  static_cast<DWORD>(reply.size()), 0, item, win::CF_TEXT, 0);
}

}  // namespace

}  // namespace merl

extern "C" win::HDDEDATA DDECallback(win::UINT type, win::UINT format, win::HCONV, win::HSZ topic, win::HSZ item,
                                     win::HDDEDATA, win::ULONG_PTR, win::ULONG_PTR) {
  merl::Run* run = merl::currentRun();
  if (!run) return nullptr;
  win::DWORD instance = run->state<merl::DdeServerState>().instance;
  if (!instance) return nullptr;
  if (type == win::XTYP_CONNECT) return win::handleFromValue<win::HDDEDATA>(win::TRUE);
  if (type == win::XTYP_REQUEST && format == win::CF_TEXT) return merl::answerRequest(instance, topic, item);
  return nullptr;
}
