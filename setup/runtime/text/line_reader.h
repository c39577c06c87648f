// The buffered line reader over a file handle (the start-up edits read
// AUTOEXEC.BAT and CONFIG.SYS with it). It has its own 30720-byte buffer.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace merl {

inline constexpr std::size_t kLineBufferSize = 30720;

// Seeks file to its start and empties the buffer.
void RewindLines(win::HANDLE file);

// Reads the next line of file into line (length bytes): its bytes up to the line end (CR LF,
// a lone CR or a lone LF), at most length - 2 of them (the rest of a longer line is skipped),
// then "\n" and NUL. A last line without a line end keeps no "\n"; at the end of the file the
// line is empty. Lines of another handle than the buffered one start from an empty buffer.
void FetchLine(char* line, std::size_t length, win::HANDLE file);

// FetchLine; true while the line is not empty or buffered data remains.
bool ReadLine(win::HANDLE file, char* line, std::size_t length);

}  // namespace merl
