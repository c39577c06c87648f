// Double-byte text: the kind of the ANSI code page (cached for the run) and
// the lead/trail kind of a byte of a text, for the routines that step through
// paths that may hold double-byte characters.
#pragma once

#include <cstddef>
#include <string_view>

#include "win/types.h"

namespace merl {

// Kinds of code page: single-byte, and the three double-byte families handled.
inline constexpr int kSingleBytePage = 0;
inline constexpr int kJapanesePage = 1;  // 932
inline constexpr int kKoreanPage = 2;    // 949
inline constexpr int kChinesePage = 3;   // 950

// The kind of codePage; 0 asks for the ANSI code page's kind, computed once per run.
int AnsiCodePageKind(win::UINT codePage = 0);

// Byte kinds of DbcsByteKind.
inline constexpr int kPlainByte = 0;
inline constexpr int kLeadByte = 1;
inline constexpr int kTrailByte = 2;

// The kind of the byte at position of text (-1: the last byte), walking from the start:
// a lead byte, the trail byte after one, else plain. Always plain on a single-byte ANSI
// code page, and for a position outside the text.
int DbcsByteKind(std::string_view text, int position);

// The length of the character at text[at] (2 for a lead byte with its trail, else 1; 0 at the end).
std::size_t charLengthAt(std::string_view text, std::size_t at);

}  // namespace merl
