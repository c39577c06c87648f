// The runtime's DDE server: service "MerlInst", whose requests read script
// variables (the topic names the variable). It runs from StartDdeServer to
// StopDdeServer. The callback is the exported DDECallback and is only entered
// while the runtime pumps messages.
#pragma once

#include "run.h"
#include "win/dde.h"

namespace merl {

inline constexpr const char* kDdeServiceName = "MerlInst";
// The library refuses every poke and skips the (un)registration notices before the callback.
inline constexpr DWORD kDdeServerFlags =
    win::CBF_FAIL_POKES | win::CBF_SKIP_REGISTRATIONS | win::CBF_SKIP_UNREGISTRATIONS;
static_assert(kDdeServerFlags == 0x190000);
// Characters of a topic read: a variable name has at most 15, a longer topic names none.
inline constexpr DWORD kDdeTopicLength = 255;

struct DdeServerState : RunState {
  ~DdeServerState() override;
  DWORD instance = 0;        // 0: no DDE for this run
  win::HSZ service = nullptr;  // the registered service name, null when none
};

// DdeInitialize with DDECallback, then the service "MerlInst". False when DDE is
// unavailable: the run goes on without a server (and without Program Manager commands).
bool StartDdeServer();

// Withdraws the service, frees its string handle and uninitialises the instance; later
// connects fail. Harmless twice, and without a server.
void StopDdeServer();

// The run's DDE instance for client conversations (Program Manager); 0 when none.
DWORD ddeInstance();

}  // namespace merl
