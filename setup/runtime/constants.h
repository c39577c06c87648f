// Values of the installer runtime: limits of its own buffers and loops, and the
// fixed sizes its texts and boxes keep. Each is listed in README.md
// ("Installation script runtime").
#pragma once

#include <cstddef>

namespace merl {

// Bytes of a script message formatted by the runtime (file errors, abort messages).
inline constexpr std::size_t kMessageBufferSize = 1024;

// Bytes CopyFileTo reads and writes at a time.
inline constexpr std::size_t kCopyBlockSize = 30720;

// Characters of the run's last error kept for the final log line.
inline constexpr std::size_t kLastErrorLength = 255;

// Message box layout in pixels: the text moves right by kIconShift when an icon is shown,
// the icon is drawn at kIconX, kIconY, and with three buttons the outer two move out by
// kOuterButtonShift. The icon area has no size of its own beyond the shift.
inline constexpr int kIconShift = 24;
inline constexpr int kIconX = 8;
inline constexpr int kIconY = 12;
inline constexpr int kOuterButtonShift = 20;

// Bytes of one log line built by the runtime (a 255-character path and its prefix fit).
inline constexpr std::size_t kLogLineSize = 1024;

// Side names MakeSideFileName tries (every value of its 16-bit counter) before it gives up.
inline constexpr unsigned kSideNameLimit = 0x10000;

// Networks GetNetUserName asks in turn on a multi-network driver before it gives up.
inline constexpr int kNetworkTargetLimit = 64;

// Virtual milliseconds PumpUntilTimer keeps waiting past its time for a main window that never
// clears the wait flag.
inline constexpr unsigned kTimerWaitGraceMs = 10000;

// Times the disk prompt opens the disk file again after its dialog before it gives up.
inline constexpr int kDiskPromptRounds = 100;

// Messages pumped at most while the main window goes and WM_QUIT is awaited.
inline constexpr int kMaxQuitMessages = 100000;
// The wait at the end of the run, in milliseconds.
inline constexpr unsigned kEndWaitMs = 250;
// Characters %CMDLINE% keeps of the command line (one value slot).
inline constexpr std::size_t kCommandLineValueLength = 255;
// Characters of the /M= file name, of restart texts and of the program and argument buffers.
inline constexpr std::size_t kPathTextLength = 255;
// Entries extract mode lists at most, and characters of an extracted file's name.
inline constexpr std::size_t kMaxExtractEntries = 1024;
inline constexpr std::size_t kMaxExtractNameLength = 259;
// Bytes of a work text (INI and registry values read whole).
inline constexpr std::size_t kWorkBufferSize = 30720;

// Bytes of a start-up file the edits read at most (a larger file is a read error).
inline constexpr std::size_t kStartupFileLimit = 1 << 20;
// Characters a directory search pattern or found path may have; longer ones are skipped.
inline constexpr std::size_t kSearchPathLength = 259;
// Directory levels below the pattern's own that DeleteFiles goes down at most.
inline constexpr int kDeleteDepthLimit = 32;
// Characters of a key path DeleteRegKeyTree builds while it walks down a tree; a deeper
// subkey is left in place.
inline constexpr std::size_t kRegTreePathLimit = 4096;
// Names a size list of a custom dialog reads at most (later ones are skipped), and
// characters kept of each.
inline constexpr int kMaxSizeListNames = 64;
inline constexpr int kMaxSizeListNameLength = 31;

}  // namespace merl
