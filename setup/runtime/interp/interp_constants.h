// Sizes and limits of the script interpreter.
#pragma once

#include <cstddef>

namespace merl {

inline constexpr int kLoopStackSize = 32;      // loop levels
inline constexpr int kTempFileLimit = 127;     // files on the temporary file list

// Script messages the interpreter shows.
inline constexpr int kMessageCannotRun = 5;
inline constexpr int kMessageNoLibrary = 6;
inline constexpr int kMessageInvalidRecord = 7;

// Expansion buffers by record kind.
inline constexpr std::size_t kTitleSize = 256;
inline constexpr std::size_t kMessageTextSize = 1024;
inline constexpr std::size_t kLongTextSize = 30720;
// Program Manager commands are expanded in this many bytes: ",d)]" and the terminator
// still fit the 1024 bytes of the command.
inline constexpr std::size_t kProgmanLimit = 1020;
// Command line of a started program: the quoted program, a blank and the arguments.
inline constexpr std::size_t kCommandLineSize = 2 * 256 + 4;
// Characters of a variable's value the ordered comparison looks at.
inline constexpr std::size_t kOrderedValueLength = 255;
// The video record: its library, the window styles (no menu, no play bar), the message
// that starts the video, and the grid its coordinates are given on.
inline constexpr const char* kVideoLibrary = "MSVFW32.DLL";
inline constexpr unsigned kVideoNoPlayBar = 0x0002;
inline constexpr unsigned kVideoNoMenu = 0x0008;
inline constexpr unsigned kMciPlay = 0x0806;
inline constexpr int kGridWidth = 640;
inline constexpr int kGridHeight = 480;
// Count of variables an outside library may report back.
inline constexpr int kReportedCountLimit = 250;

}  // namespace merl
