// The attribute side store <state>/attributes.txt: the HIDDEN, SYSTEM and
// ARCHIVE bits (and a directory's READONLY) of host files whose bits differ
// from the default. Read and rewritten whole under the store's lock.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "win/types.h"

namespace win::attributes {

// The bits kept here for a file or a directory.
DWORD storedMask(bool isDirectory);
// The bits of an entry-less file (ARCHIVE) or directory (none).
DWORD defaultBits(bool isDirectory);

// The stored bits of a host path; nullopt when it has the default.
std::optional<DWORD> stored(const std::string& host);
// Every entry, host path to bits (one read for a whole listing).
std::map<std::string, DWORD> all();
// Gives a host path its bits; the default removes its entry. Writes only on a change.
bool store(const std::string& host, DWORD bits, bool isDirectory);
// Carries the entries of host path from and of everything below it over to to.
bool moveEntries(const std::string& from, const std::string& to);
// Removes the entries of host path and of everything below it.
bool removeEntries(const std::string& host);

}  // namespace win::attributes
