// The network user: "WNetGetUserA" of "MPR.DLL" first; else "WNETGETUSER" of a
// loaded "USER.EXE", asking each network of a multi-network driver in turn
// ("WNETGETCAPS", "MNETNETWORKENUM", "MNETSETNEXTTARGET").
#include "system/net_user.h"

#include <cstdint>

#include "constants.h"
#include "files/file_utils.h"
#include "system/proc_cast.h"
#include "win/error.h"
#include "win/library.h"

namespace merl {

namespace {

using WNetGetUserA = DWORD (*)(win::LPCSTR device, win::LPSTR user, win::LPDWORD length);
// The older network interface of USER.EXE and its drivers: 0 is success.
using WNetGetUser16 = WORD (*)(win::LPSTR user, WORD* length);
using WNetGetCaps16 = WORD (*)(WORD index);
using MNetNetworkEnum16 = WORD (*)(win::HANDLE* network);
using MNetSetNextTarget16 = WORD (*)(win::HANDLE network);

constexpr WORD kCapsNetType = 2;
constexpr WORD kMultiNetBit = 0x8000;
constexpr WORD kCapsDriverHandle = 0xFFFF;

bool fromMpr(char* out, const char* device) {
  win::HMODULE mpr = win::LoadLibrary("MPR.DLL");
  if (!mpr) return false;
  auto getUser = procAs<WNetGetUserA>(win::GetProcAddress(mpr, "WNetGetUserA"));
  DWORD length = kPathBufferSize;
  bool ok = getUser && getUser(device, out, &length) == win::NO_ERROR;
  win::FreeLibrary(mpr);
  return ok;
}

bool askUser(WNetGetUser16 getUser, char* out) {
  WORD length = kPathBufferSize;
  return getUser(out, &length) == 0;
}

// Each network of the driver made the target in turn, until one knows the user.
bool fromEachNetwork(win::HMODULE driver, WNetGetUser16 getUser, char* out, bool* asked) {
  auto enumerate = procAs<MNetNetworkEnum16>(win::GetProcAddress(driver, "MNETNETWORKENUM"));
  auto setTarget = procAs<MNetSetNextTarget16>(win::GetProcAddress(driver, "MNETSETNEXTTARGET"));
  if (!enumerate || !setTarget) return false;
  *asked = true;
  win::HANDLE network = nullptr;
  for (int n = 0; n < kNetworkTargetLimit && enumerate(&network) == 0; ++n)
    if (setTarget(network) == 0 && askUser(getUser, out)) return true;
  return false;
}

bool fromUserExe(char* out) {
  win::HMODULE user = win::GetModuleHandle("USER.EXE");
  if (!user) return false;
  auto getUser = procAs<WNetGetUser16>(win::GetProcAddress(user, "WNETGETUSER"));
  auto getCaps = procAs<WNetGetCaps16>(win::GetProcAddress(user, "WNETGETCAPS"));
  if (!getUser) return false;
  if (getCaps && (getCaps(kCapsNetType) & kMultiNetBit)) {
    auto driver = win::handleFromValue<win::HMODULE>(getCaps(kCapsDriverHandle));
    bool asked = false;
    bool found = fromEachNetwork(driver, getUser, out, &asked);
    if (asked) return found;
  }
  return askUser(getUser, out);
}

}  // namespace

bool GetNetUserName(char* out, const char* device) {
  out[0] = '\0';
  if (fromMpr(out, device) || fromUserExe(out)) return true;
  out[0] = '\0';
  return false;
}

}  // namespace merl
