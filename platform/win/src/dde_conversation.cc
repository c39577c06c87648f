// DDE conversations and synchronous client transactions: with a service of
// this process, with the Program Manager stand-in, or through another
// process's socket bridge.
#include <algorithm>
#include <filesystem>

#include "dde_internal.h"
#include "win/message.h"
#include "win/ui_constants.h"

namespace win {

using detail::ConvKind;
using detail::DdeAnswer;
using detail::DdeConversation;
using detail::ddeState;

namespace {

HCONV addConversation(DdeConversation conv) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  std::uintptr_t value = kFirstConversationHandle + 4 * s.nextConversation++;
  s.conversations[value] = std::move(conv);
  return handleFromValue<HCONV>(value);
}

// The instance serving the service in this process (0 when none).
DWORD localServer(const std::string& service) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  for (auto& [id, inst] : s.instances)
    if (std::find(inst.services.begin(), inst.services.end(), service) != inst.services.end()) return id;
  return 0;
}

UINT timeoutError(UINT type) {
  if (type == XTYP_POKE) return DMLERR_POKEACKTIMEOUT;
  if (type == XTYP_EXECUTE) return DMLERR_EXECACKTIMEOUT;
  return DMLERR_DATAACKTIMEOUT;
}

}  // namespace

HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, CONVCONTEXT*) {
  auto& s = ddeState();
  {
    std::lock_guard lock(s.mutex);
    if (!s.instances.count(idInst)) return nullptr;
  }
  std::string serviceText = detail::ddeText(hszService);
  std::string service = detail::ddeUpper(serviceText);
  std::string topic = detail::ddeText(hszTopic);
  DdeConversation conv;
  conv.client = idInst;
  conv.service = service;
  conv.topic = topic;
  bool timedOut = false;
  if (DWORD server = localServer(service)) {
    DWORD flags = 0;
    {
      std::lock_guard lock(s.mutex);
      flags = s.instances[server].flags;
    }
    if (server == idInst && (flags & CBF_FAIL_SELFCONNECTIONS)) {
      detail::ddeSetError(idInst, DMLERR_NO_CONV_ESTABLISHED);
      return nullptr;
    }
    DdeAnswer a = detail::ddeServe(server, XTYP_CONNECT, 0, topic, serviceText, "", kDdeConnectTimeoutMs, &timedOut,
                                   GetCurrentThreadId());
    if (a.ok) {
      conv.server = server;
      return addConversation(std::move(conv));
    }
  } else if (machine().description().progman && service == "PROGMAN" && detail::ddeUpper(topic) == "PROGMAN") {
    conv.kind = ConvKind::Progman;
    return addConversation(std::move(conv));
  } else if (std::string path = detail::ddeSocketPath(service); !path.empty() && std::filesystem::exists(path)) {
    DdeAnswer a =
        detail::ddeBridgeCall(path, XTYP_CONNECT, 0, topic, serviceText, "", kDdeConnectTimeoutMs, &timedOut);
    if (a.ok) {
      conv.kind = ConvKind::Remote;
      conv.socketPath = path;
      return addConversation(std::move(conv));
    }
  }
  detail::ddeSetError(idInst, DMLERR_NO_CONV_ESTABLISHED);
  return nullptr;
}

BOOL DdeDisconnect(HCONV hConv) {
  auto& s = ddeState();
  std::lock_guard lock(s.mutex);
  return s.conversations.erase(handleValue(hConv)) ? TRUE : FALSE;
}

HDDEDATA DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem, UINT wFmt, UINT wType,
                              DWORD dwTimeout, LPDWORD pdwResult) {
  auto& s = ddeState();
  DdeConversation conv;
  {
    std::lock_guard lock(s.mutex);
    auto it = s.conversations.find(handleValue(hConv));
    if (it == s.conversations.end()) return nullptr;
    conv = it->second;
  }
  if (pdwResult) *pdwResult = 0;
  std::string bytes;
  if (cbData == 0xFFFFFFFF) {
    HDDEDATA h = handleFromValue<HDDEDATA>(reinterpret_cast<std::uintptr_t>(pData));
    DWORD n = DdeGetData(h, nullptr, 0, 0);
    bytes.resize(n);
    DdeGetData(h, reinterpret_cast<LPBYTE>(bytes.data()), n, 0);
    DdeFreeDataHandle(h);
  } else if (pData) {
    bytes.assign(reinterpret_cast<const char*>(pData), cbData);
  }
  bool known = wType == XTYP_REQUEST || wType == XTYP_POKE || wType == XTYP_EXECUTE;
  if (!known || dwTimeout == TIMEOUT_ASYNC) {
    detail::ddeSetError(conv.client, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  std::string item = detail::ddeText(hszItem);
  std::uint64_t waitMs = std::min<std::uint64_t>(dwTimeout, kOutsideInputGuardMs);
  bool timedOut = false;
  DdeAnswer a;
  switch (conv.kind) {
    case ConvKind::Local:
      a = detail::ddeServe(conv.server, wType, wFmt, conv.topic, item, bytes, waitMs, &timedOut,
                           GetCurrentThreadId());
      break;
    case ConvKind::Progman:
      if (wType == XTYP_REQUEST) {
        a = detail::progmanRequest(item);
      } else if (wType == XTYP_EXECUTE) {
        a = detail::progmanExecute(conv, bytes);
        std::lock_guard lock(s.mutex);
        auto it = s.conversations.find(handleValue(hConv));
        if (it != s.conversations.end()) it->second.activeGroup = conv.activeGroup;
      } else {
        a.error = DMLERR_NOTPROCESSED;
      }
      break;
    case ConvKind::Remote:
      a = detail::ddeBridgeCall(conv.socketPath, wType, wFmt, conv.topic, item, bytes, waitMs, &timedOut);
      break;
  }
  if (timedOut) {
    auto& clock = machine().clock();
    if (clock.isVirtual()) clock.advanceBy(dwTimeout);
    detail::ddeSetError(conv.client, timeoutError(wType));
    return nullptr;
  }
  if (pdwResult) *pdwResult = a.status;
  if (!a.ok) {
    detail::ddeSetError(conv.client, a.error ? a.error : DMLERR_NOTPROCESSED);
    return nullptr;
  }
  if (wType != XTYP_REQUEST) return handleFromValue<HDDEDATA>(1);
  return DdeCreateDataHandle(conv.client, reinterpret_cast<LPBYTE>(a.bytes.data()),
                             static_cast<DWORD>(a.bytes.size()), 0, hszItem, wFmt, 0);
}

}  // namespace win
