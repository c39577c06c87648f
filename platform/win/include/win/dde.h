// Dynamic data exchange of the emulated machine: instances, string and data
// handles, service names, conversations and synchronous transactions. A
// server's callback runs on the thread that made its instance: directly for a
// client on that thread, inside the owner's next pump for another thread or for
// another process (through the socket bridge in <state>/dde/). Connecting to
// "PROGMAN"/"PROGMAN" reaches the Program Manager stand-in unless machine.ini
// has [progman] enabled = 0.
#pragma once

#include "win/types.h"

namespace win {

using PFNCALLBACK = HDDEDATA (*)(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                 ULONG_PTR data1, ULONG_PTR data2);

struct CONVCONTEXT {
  UINT cb;
  UINT wFlags;
  UINT wCountryID;
  int iCodePage;
  DWORD dwLangID;
  DWORD dwSecurity;
  std::uint32_t qos[3];
};
static_assert(sizeof(CONVCONTEXT) == 36);

inline constexpr UINT CF_TEXT = 1;
inline constexpr int CP_WINANSI = 1004;
inline constexpr DWORD TIMEOUT_ASYNC = 0xFFFFFFFF;
inline constexpr UINT HDATA_APPOWNED = 0x0001;

inline constexpr UINT XCLASS_BOOL = 0x1000;
inline constexpr UINT XCLASS_DATA = 0x2000;
inline constexpr UINT XCLASS_FLAGS = 0x4000;
inline constexpr UINT XCLASS_NOTIFICATION = 0x8000;
inline constexpr UINT XTYPF_NOBLOCK = 0x0002;
inline constexpr UINT XTYP_ERROR = 0x0000 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK;
inline constexpr UINT XTYP_ADVSTART = 0x0030 | XCLASS_BOOL;
inline constexpr UINT XTYP_EXECUTE = 0x0050 | XCLASS_FLAGS;
inline constexpr UINT XTYP_CONNECT = 0x0060 | XCLASS_BOOL | XTYPF_NOBLOCK;
inline constexpr UINT XTYP_POKE = 0x0090 | XCLASS_FLAGS;
inline constexpr UINT XTYP_REQUEST = 0x00B0 | XCLASS_DATA;
inline constexpr UINT XTYP_DISCONNECT = 0x00C0 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK;

inline constexpr UINT DDE_FACK = 0x8000;
inline constexpr UINT DDE_FBUSY = 0x4000;
inline constexpr UINT DDE_FNOTPROCESSED = 0x0000;

inline constexpr DWORD APPCLASS_STANDARD = 0x00000000;
inline constexpr DWORD APPCMD_CLIENTONLY = 0x00000010;
inline constexpr DWORD CBF_FAIL_SELFCONNECTIONS = 0x00001000;
inline constexpr DWORD CBF_FAIL_CONNECTIONS = 0x00002000;
inline constexpr DWORD CBF_FAIL_ADVISES = 0x00004000;
inline constexpr DWORD CBF_FAIL_EXECUTES = 0x00008000;
inline constexpr DWORD CBF_FAIL_POKES = 0x00010000;
inline constexpr DWORD CBF_FAIL_REQUESTS = 0x00020000;
inline constexpr DWORD CBF_FAIL_ALLSVRXACTIONS = 0x0003F000;
inline constexpr DWORD CBF_SKIP_CONNECT_CONFIRMS = 0x00040000;
inline constexpr DWORD CBF_SKIP_REGISTRATIONS = 0x00080000;
inline constexpr DWORD CBF_SKIP_UNREGISTRATIONS = 0x00100000;
inline constexpr DWORD CBF_SKIP_DISCONNECTS = 0x00200000;

inline constexpr UINT DNS_REGISTER = 0x0001;
inline constexpr UINT DNS_UNREGISTER = 0x0002;

inline constexpr UINT DMLERR_NO_ERROR = 0;
inline constexpr UINT DMLERR_BUSY = 0x4001;
inline constexpr UINT DMLERR_DATAACKTIMEOUT = 0x4002;
inline constexpr UINT DMLERR_DLL_NOT_INITIALIZED = 0x4003;
inline constexpr UINT DMLERR_DLL_USAGE = 0x4004;
inline constexpr UINT DMLERR_EXECACKTIMEOUT = 0x4005;
inline constexpr UINT DMLERR_INVALIDPARAMETER = 0x4006;
inline constexpr UINT DMLERR_NOTPROCESSED = 0x4009;
inline constexpr UINT DMLERR_NO_CONV_ESTABLISHED = 0x400A;
inline constexpr UINT DMLERR_POKEACKTIMEOUT = 0x400B;
inline constexpr UINT DMLERR_SERVER_DIED = 0x400E;
inline constexpr UINT DMLERR_SYS_ERROR = 0x400F;

// A new instance (*pidInst 0) on the calling thread, or new flags for an existing one.
UINT DdeInitialize(LPDWORD pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD ulRes);
// Ends the instance: its services, conversations, strings and data handles go.
BOOL DdeUninitialize(DWORD idInst);
// The instance's last error, cleared by the call.
UINT DdeGetLastError(DWORD idInst);

// String handles: one per text (compared ignoring case), counted.
HSZ DdeCreateStringHandle(DWORD idInst, LPCSTR psz, int iCodePage);
// The text's length; copies up to cchMax - 1 characters and a NUL when psz is given. 0 for a bad handle.
DWORD DdeQueryString(DWORD idInst, HSZ hsz, LPSTR psz, DWORD cchMax, int iCodePage);
BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz);
BOOL DdeKeepStringHandle(DWORD idInst, HSZ hsz);
// -1, 0 or 1 as the texts compare ignoring case.
int DdeCmpStringHandles(HSZ hsz1, HSZ hsz2);

// Data handles: cb bytes from pSrc + cbOff (zeros when pSrc is null).
HDDEDATA DdeCreateDataHandle(DWORD idInst, LPBYTE pSrc, DWORD cb, DWORD cbOff, HSZ hszItem, UINT wFmt, UINT afCmd);
// Copies up to cbMax bytes from cbOff; with pDst null the handle's size. 0 for a bad handle.
DWORD DdeGetData(HDDEDATA hData, LPBYTE pDst, DWORD cbMax, DWORD cbOff);
LPBYTE DdeAccessData(HDDEDATA hData, LPDWORD pcbDataSize);
BOOL DdeUnaccessData(HDDEDATA hData);
BOOL DdeFreeDataHandle(HDDEDATA hData);

// Registers (DNS_REGISTER) or withdraws (DNS_UNREGISTER; hsz1 null: all) a service of the instance.
// A registered service also listens on its socket in <state>/dde/ and its thread receives outside input.
HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ hsz2, UINT afCmd);

// Opens a conversation: a service of this process, the Program Manager stand-in, then a service
// of another process through its socket. Null with DMLERR_NO_CONV_ESTABLISHED when none accepts.
HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, CONVCONTEXT* pCC);
BOOL DdeDisconnect(HCONV hConv);

// XTYP_REQUEST (a new data handle of the caller's), XTYP_POKE and XTYP_EXECUTE ((HDDEDATA)TRUE
// when acknowledged), synchronous only. pData with cbData 0xFFFFFFFF is a data handle (freed).
// A time-out counts on the caller's virtual clock: the clock moves on by dwTimeout.
HDDEDATA DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem, UINT wFmt, UINT wType,
                              DWORD dwTimeout, LPDWORD pdwResult);

}  // namespace win
