// A runtime for the stand-in that holds the real DDE server and screen services
// and a MerlMain of its own, until the runtime's MerlMain starts them. The words
// of its command line are steps:
//   serve  StartDdeServer;  stop  StopDdeServer;
//   pause  UpdateScreen(1) with the header's pause on; the result is its virtual ms.
// The run outlives the call, so a server not stopped is still registered when
// the stand-in connects afterwards.
#include <optional>
#include <sstream>
#include <string>

#include "entry/dde_server.h"
#include "merl/setup_interface.h"
#include "script/script_header.h"
#include "win/clock.h"

namespace {

std::optional<merl::RunScope> fixtureRun;

}  // namespace

extern "C" __attribute__((visibility("default"))) win::INT MerlMain(merl::SetupRec* setup, win::LPCSTR commandLine,
                                                                     win::INT* exitCode, win::LPSTR, win::LPSTR) {
  fixtureRun.emplace(setup);
  std::istringstream words(commandLine ? commandLine : "");
  win::INT result = 0;
  for (std::string word; words >> word;) {
    if (word == "serve") {
      merl::StartDdeServer();
    } else if (word == "stop") {
      merl::StopDdeServer();
    } else if (word == "pause") {
      merl::scriptHeader().progressPause = true;
      win::DWORD start = win::GetTickCount();
      UpdateScreen(1);
      result = static_cast<win::INT>(win::GetTickCount() - start);
    }
  }
  *exitCode = 1;
  return result;
}
