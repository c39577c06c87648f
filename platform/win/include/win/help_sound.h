// Help and sound requests: recorded in the transcript, never performed.
#pragma once

#include "win/types.h"

namespace win {

inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_INDEX = 0x0003;
inline constexpr UINT HELP_CONTENTS = 0x0003;
inline constexpr UINT HELP_HELPONHELP = 0x0004;
inline constexpr UINT HELP_KEY = 0x0101;
inline constexpr UINT HELP_FINDER = 0x000B;

inline constexpr UINT SND_SYNC = 0x0000;
inline constexpr UINT SND_ASYNC = 0x0001;
inline constexpr UINT SND_NODEFAULT = 0x0002;
inline constexpr UINT SND_MEMORY = 0x0004;
inline constexpr UINT SND_LOOP = 0x0008;
inline constexpr UINT SND_NOSTOP = 0x0010;

// Records the request; TRUE.
BOOL WinHelp(HWND hwnd, LPCSTR helpFile, UINT command, ULONG_PTR data);
// Records the request (null name: stop the sound); TRUE.
BOOL sndPlaySound(LPCSTR soundName, UINT flags);

// The output devices of [system] wave and midi.
UINT waveOutGetNumDevs();
UINT midiOutGetNumDevs();

}  // namespace win
