// DDE instances and service names, and running a server's transaction on the
// thread that owns its instance.
#include <condition_variable>

#include "dde_internal.h"
#include "thread_input.h"
#include "win/message.h"

namespace win {

namespace detail {

DdeState& ddeState() { return machine().state<DdeState>(); }

namespace {

bool refusedByFlags(UINT type, DWORD flags) {
  switch (type) {
    case XTYP_CONNECT: return flags & CBF_FAIL_CONNECTIONS;
    case XTYP_REQUEST: return flags & CBF_FAIL_REQUESTS;
    case XTYP_POKE: return flags & CBF_FAIL_POKES;
    case XTYP_EXECUTE: return flags & CBF_FAIL_EXECUTES;
    default: return true;
  }
}

// The transaction on the owner thread itself.
DdeAnswer callServer(DWORD server, UINT type, UINT format, const std::string& topic, const std::string& item,
                     const std::string& bytes) {
  DdeAnswer answer;
  PFNCALLBACK callback = nullptr;
  DWORD flags = 0;
  {
    auto& s = ddeState();
    std::lock_guard lock(s.mutex);
    auto it = s.instances.find(server);
    if (it == s.instances.end()) {
      answer.error = DMLERR_SERVER_DIED;
      return answer;
    }
    callback = it->second.callback;
    flags = it->second.flags;
  }
  answer.error = DMLERR_NOTPROCESSED;
  if (!callback || refusedByFlags(type, flags)) return answer;
  HSZ hTopic = DdeCreateStringHandle(server, topic.c_str(), CP_WINANSI);
  HSZ hItem = item.empty() ? nullptr : DdeCreateStringHandle(server, item.c_str(), CP_WINANSI);
  HDDEDATA in = nullptr;
  if (type == XTYP_POKE || type == XTYP_EXECUTE)
    in = DdeCreateDataHandle(server, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                             static_cast<DWORD>(bytes.size()), 0, hItem, format, 0);
  HDDEDATA r = callback(type, format, nullptr, hTopic, hItem, in, 0, 0);
  if (in) DdeFreeDataHandle(in);
  if (hItem) DdeFreeStringHandle(server, hItem);
  DdeFreeStringHandle(server, hTopic);
  if (type == XTYP_CONNECT) {
    answer.ok = r != nullptr;
  } else if (type == XTYP_REQUEST) {
    DWORD size = r ? DdeGetData(r, nullptr, 0, 0) : 0;
    auto& s = ddeState();
    std::lock_guard lock(s.mutex);
    auto it = s.data.find(handleValue(r));
    if (it != s.data.end()) {
      answer.ok = true;
      answer.bytes = it->second.bytes.substr(0, size);
      s.data.erase(it);
    }
  } else {
    answer.status = static_cast<DWORD>(handleValue(r) & 0xFFFF);
    answer.ok = (answer.status & DDE_FACK) != 0;
    if (!answer.ok && (answer.status & DDE_FBUSY)) answer.error = DMLERR_BUSY;
  }
  if (answer.ok) answer.error = DMLERR_NO_ERROR;
  return answer;
}

struct Job {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;
  DdeAnswer answer;
};

}  // namespace

DdeAnswer ddeServe(DWORD server, UINT type, UINT format, const std::string& topic, const std::string& item,
                   const std::string& bytes, std::uint64_t waitMs, bool* timedOut, DWORD caller) {
  *timedOut = false;
  DWORD owner = 0;
  {
    auto& s = ddeState();
    std::lock_guard lock(s.mutex);
    auto it = s.instances.find(server);
    if (it == s.instances.end()) return DdeAnswer{DMLERR_SERVER_DIED, 0, false, {}};
    owner = it->second.thread;
  }
  if (owner == caller) return callServer(server, type, format, topic, item, bytes);
  auto job = std::make_shared<Job>();
  bool queued = runOnThread(owner, [job, server, type, format, topic, item, bytes] {
    {
      std::lock_guard lock(job->mutex);
      if (job->abandoned) return;
    }
    DdeAnswer a = callServer(server, type, format, topic, item, bytes);
    std::lock_guard lock(job->mutex);
    job->answer = std::move(a);
    job->finished = true;
    job->done.notify_all();
  });
  if (!queued) return DdeAnswer{DMLERR_SERVER_DIED, 0, false, {}};
  std::unique_lock lock(job->mutex);
  if (!job->done.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return job->finished; })) {
    job->abandoned = true;
    *timedOut = true;
    return DdeAnswer{DMLERR_NOTPROCESSED, 0, false, {}};
  }
  return job->answer;
}

}  // namespace detail

using detail::ddeState;

UINT DdeInitialize(LPDWORD pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD) {
  if (!pidInst) return DMLERR_INVALIDPARAMETER;
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  if (*pidInst) {
    auto it = s.instances.find(*pidInst);
    if (it == s.instances.end()) return DMLERR_INVALIDPARAMETER;
    it->second.flags = afCmd;
    return DMLERR_NO_ERROR;
  }
  detail::DdeInstance inst;
  inst.id = s.nextInstance++;
  inst.callback = pfnCallback;
  inst.flags = afCmd;
  inst.thread = GetCurrentThreadId();
  s.instances[inst.id] = inst;
  *pidInst = inst.id;
  return DMLERR_NO_ERROR;
}

namespace {

// Withdraws one service (all with an empty name) of the instance; their bridges stop.
bool withdraw(DWORD idInst, const std::string& service) {
  auto& s = ddeState();
  std::vector<detail::DdeBridgePtr> stopped;
  bool any = false;
  {
    std::lock_guard lock(s.mutex);
    auto it = s.instances.find(idInst);
    if (it == s.instances.end()) return false;
    auto& list = it->second.services;
    for (auto n = list.begin(); n != list.end();) {
      if (!service.empty() && *n != service) {
        ++n;
        continue;
      }
      auto b = s.bridges.find(*n);
      if (b != s.bridges.end()) {
        stopped.push_back(std::move(b->second));
        s.bridges.erase(b);
      }
      n = list.erase(n);
      any = true;
    }
  }
  stopped.clear();  // joins the bridge threads without the lock
  return any;
}

}  // namespace

BOOL DdeUninitialize(DWORD idInst) {
  auto& s = ddeState();
  {
    std::lock_guard lock(s.mutex);
    if (!s.instances.count(idInst)) return FALSE;
  }
  withdraw(idInst, "");
  std::lock_guard lock(s.mutex);
  for (auto it = s.conversations.begin(); it != s.conversations.end();)
    it = (it->second.client == idInst || it->second.server == idInst) ? s.conversations.erase(it) : std::next(it);
  for (auto it = s.data.begin(); it != s.data.end();)
    it = it->second.instance == idInst ? s.data.erase(it) : std::next(it);
  s.instances.erase(idInst);
  return TRUE;
}

UINT DdeGetLastError(DWORD idInst) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  auto it = s.instances.find(idInst);
  if (it == s.instances.end()) return DMLERR_DLL_NOT_INITIALIZED;
  UINT e = it->second.lastError;
  it->second.lastError = DMLERR_NO_ERROR;
  return e;
}

HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ, UINT afCmd) {
  auto& s = ddeState();
  std::string service = detail::ddeUpper(detail::ddeText(hsz1));
  DWORD owner = 0;
  {
    std::lock_guard lock(s.mutex);
    auto it = s.instances.find(idInst);
    if (it == s.instances.end()) return nullptr;
    owner = it->second.thread;
    if ((afCmd & DNS_REGISTER) && (service.empty() || (it->second.flags & APPCMD_CLIENTONLY))) {
      it->second.lastError = service.empty() ? DMLERR_INVALIDPARAMETER : DMLERR_DLL_USAGE;
      return nullptr;
    }
  }
  if (afCmd & DNS_UNREGISTER) {
    if (!withdraw(idInst, service)) {
      detail::ddeSetError(idInst, DMLERR_INVALIDPARAMETER);
      return nullptr;
    }
    std::lock_guard lock(s.mutex);
    bool left = false;
    for (auto& [id, inst] : s.instances)
      if (inst.thread == owner && !inst.services.empty()) left = true;
    if (!left && owner == GetCurrentThreadId()) detail::setReceivesOutsideInput(false);
    return handleFromValue<HDDEDATA>(1);
  }
  if (!(afCmd & DNS_REGISTER)) return handleFromValue<HDDEDATA>(1);
  auto bridge = detail::startDdeBridge(idInst, service);  // none when the socket cannot be made
  {
    std::lock_guard lock(s.mutex);
    auto& inst = s.instances[idInst];
    if (std::find(inst.services.begin(), inst.services.end(), service) == inst.services.end())
      inst.services.push_back(service);
    if (bridge && !s.bridges.count(service)) s.bridges[service] = std::move(bridge);
  }
  if (owner == GetCurrentThreadId()) detail::setReceivesOutsideInput(true);
  return handleFromValue<HDDEDATA>(1);
}

}  // namespace win
