// The connect of --dde-after, as a client-only instance of its own.
#include "dde_after.h"

#include "win/dde.h"

namespace merl_standin {

std::string ddeConnectAfter(const std::string& service) {
  win::DWORD inst = 0;
  if (win::DdeInitialize(&inst, nullptr, win::APPCMD_CLIENTONLY, 0) != win::DMLERR_NO_ERROR) return "refused";
  win::HSZ name = win::DdeCreateStringHandle(inst, service.c_str(), win::CP_WINANSI);
  win::HCONV conv = name ? win::DdeConnect(inst, name, name, nullptr) : nullptr;
  if (conv) win::DdeDisconnect(conv);
  win::DdeUninitialize(inst);
  return conv ? "connected" : "refused";
}

}  // namespace merl_standin
