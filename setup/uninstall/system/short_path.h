// Shortening paths and keys for the progress texts.
#pragma once

#include <string>

namespace remvex {

// Appends path to text: up to 48 characters unchanged; a longer one with the part after its
// first '\' replaced by "..." up to the earliest '\' that leaves at most 32 characters, then cut
// to 45 characters and "..." when still over 48.
void AppendShortPath(std::string& text, const std::string& path);

// A registry key as the progress shows it: over 48 characters, its first 45 and "...".
std::string ShortKey(const std::string& key);

}  // namespace remvex
