// Typed and shown destination paths: CleanPathText normalises what the user
// typed, SetShortenedPathText fits a path into a control by putting "..." for
// directory names and, last, cutting from the right.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace merl {

// Path texts these routines work in (characters with the NUL).
inline constexpr std::size_t kPathTextBuffer = 256;

// Drops leading blanks and trailing blanks and backslashes, ensures "X:\" in front (the
// current drive when none is typed) and keeps only "X:" of a result shorter than 4. A UNC
// path is left as trimmed. text holds size bytes.
void CleanPathText(char* text, std::size_t size = kPathTextBuffer);

// Sets control's text to text shortened until its width in the control's font is below the
// control's width: each directory name after the first backslash longer than 3 characters
// becomes its own "...", then the end is cut, never below "...". text gets the result.
void SetShortenedPathText(win::HWND control, char* text, std::size_t size = kPathTextBuffer);

}  // namespace merl
