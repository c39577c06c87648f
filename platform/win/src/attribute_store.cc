// The attribute side store: one line per host path, "<8 hex digits><TAB><host
// path>". Lines that do not parse are kept as they are through every rewrite.
#include "attribute_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "win/constants.h"
#include "win/files.h"
#include "win/machine.h"

namespace win::attributes {

namespace {

struct Store {
  std::map<std::string, DWORD> entries;
  std::vector<std::string> unparsed;
};

std::string storePath() { return machine().stateDir() + "/" + kAttributesFileName; }

bool parseLine(const std::string& line, Store& store) {
  std::string digits = line.substr(0, 8);
  bool hex = std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); });
  if (!hex || line.size() <= 9 || line[8] != '\t') return false;
  store.entries[line.substr(9)] = static_cast<DWORD>(std::strtoul(digits.c_str(), nullptr, 16));
  return true;
}

Store read() {
  Store store;
  std::string text;
  if (!platform::readWholeFile(storePath(), text)) return store;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && !parseLine(line, store)) store.unparsed.push_back(line);
    start = end + 1;
  }
  return store;
}

std::string serialise(const Store& store) {
  std::string out;
  for (const auto& line : store.unparsed) out += line + "\n";
  char bits[16];
  for (const auto& [host, value] : store.entries) {
    std::snprintf(bits, sizeof bits, "%08X", static_cast<unsigned>(value));
    out += std::string(bits) + "\t" + host + "\n";
  }
  return out;
}

bool isAtOrBelow(const std::string& path, const std::string& dir) {
  return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/');
}

// Runs change on the store under its lock and writes it back when change says it changed it.
template <typename Change>
bool update(Change change) {
  platform::FileLock lock(storePath(), true);
  if (!lock.held()) return false;
  Store store = read();
  if (!change(store)) return true;
  return platform::writeFileAtomic(storePath(), serialise(store));
}

}  // namespace

DWORD storedMask(bool isDirectory) {
  DWORD mask = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  return isDirectory ? mask | FILE_ATTRIBUTE_READONLY : mask;
}

DWORD defaultBits(bool isDirectory) { return isDirectory ? 0 : FILE_ATTRIBUTE_ARCHIVE; }

std::optional<DWORD> stored(const std::string& host) {
  platform::FileLock lock(storePath(), false);
  Store store = read();
  auto it = store.entries.find(host);
  if (it == store.entries.end()) return std::nullopt;
  return it->second;
}

std::map<std::string, DWORD> all() {
  platform::FileLock lock(storePath(), false);
  return read().entries;
}

bool store(const std::string& host, DWORD bits, bool isDirectory) {
  bits &= storedMask(isDirectory);
  return update([&](Store& s) {
    auto it = s.entries.find(host);
    if (bits == defaultBits(isDirectory)) {
      if (it == s.entries.end()) return false;
      s.entries.erase(it);
      return true;
    }
    if (it != s.entries.end() && it->second == bits) return false;
    s.entries[host] = bits;
    return true;
  });
}

bool moveEntries(const std::string& from, const std::string& to) {
  return update([&](Store& s) {
    std::map<std::string, DWORD> moved;
    for (const auto& [host, bits] : s.entries)
      if (isAtOrBelow(host, from)) moved[to + host.substr(from.size())] = bits;
    // The entries of whatever the move replaced go.
    auto erased =
        std::erase_if(s.entries, [&](const auto& e) { return isAtOrBelow(e.first, from) || isAtOrBelow(e.first, to); });
    s.entries.merge(moved);
    return erased > 0;
  });
}

bool removeEntries(const std::string& host) {
  return update([&](Store& s) {
    return std::erase_if(s.entries, [&](const auto& e) { return isAtOrBelow(e.first, host); }) > 0;
  });
}

}  // namespace win::attributes
