// WinHelp and sndPlaySound: recorded in the transcript, never performed.
#include "win/help_sound.h"

#include "ui_trace.h"
#include "win/machine.h"
#include "win/machine_description.h"

namespace win {

BOOL WinHelp(HWND hwnd, LPCSTR helpFile, UINT command, ULONG_PTR data) {
  detail::trace("help", JsonObject()
                            .add("hwnd", detail::hv(hwnd))
                            .add("file", helpFile ? helpFile : "")
                            .add("command", static_cast<std::uint64_t>(command))
                            .add("data", static_cast<std::uint64_t>(data)));
  return TRUE;
}

BOOL sndPlaySound(LPCSTR soundName, UINT flags) {
  JsonObject f;
  if (soundName && !(flags & SND_MEMORY))
    f.add("file", soundName);
  else if (!soundName)
    f.add("stop", true);
  detail::trace("sound", f.add("flags", detail::hex32(flags)));
  return TRUE;
}

UINT waveOutGetNumDevs() { return machine().description().system.waveOutDevices; }
UINT midiOutGetNumDevs() { return machine().description().system.midiOutDevices; }

}  // namespace win
