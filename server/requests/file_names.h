// Names of files the console uploads and downloads: read from the request's
// 64-byte field and confined to the working directory.
#pragma once

#include <cstddef>
#include <string>

namespace cvlm {

inline constexpr std::size_t kFileNameField = 64;

// The name in a 64-byte field; a field without a terminator is cut at 63 characters.
std::string transferFileName(const char (&field)[kFileNameField]);

// True when the name is a plain relative name: not empty, not absolute
// ("/x", "\x", "X:x"), without a ".." component (split on "/" and "\") and
// not ending in ".lck".
bool isConfinedFileName(const std::string& name);

}  // namespace cvlm
