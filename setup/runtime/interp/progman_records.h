// Program Manager records: the conversation with "PROGMAN" (open and close) and
// the group and item commands sent on it.
#pragma once

#include <string>

#include "interp/record.h"
#include "run.h"

namespace merl {

// The runtime's DDE instance (0 while DDE is not up; the DDE server's start sets it)
// and the open Program Manager conversation.
struct ProgmanLink : RunState {
  DWORD ddeInstance = 0;
  win::HCONV conversation = nullptr;
  ~ProgmanLink() override;
};

ProgmanLink& progmanLink();

// The command as the runtime completes it for flags on the run's platform.
std::string CompleteProgmanCommand(std::string command, BYTE flags, const PlatformFlags& platform);

int ProgmanCommandRecord(const Record& record);
int ProgmanOpenRecord(const Record& record);
int ProgmanCloseRecord(const Record& record);

}  // namespace merl
