// The registry store file. One line per key ("K<TAB>root<TAB>path") and one per
// value ("V<TAB>root<TAB>path<TAB>name<TAB>type<TAB>data", the data written as
// its type reads best), or "B..." with the same fields and the data in hex when
// the V form of its type cannot carry the bytes exactly. The tables below name
// every root, value type and kind of line the store reads and writes.
#include "platform/registry_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/state_dir.h"
#include "platform/text.h"

namespace platform {

namespace {

using Fields = std::vector<std::string>;
using Data = std::vector<std::uint8_t>;

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// True when path lies strictly below top ("" = the root).
bool below(std::string_view path, std::string_view top) {
  if (top.empty()) return !path.empty();
  return path.size() > top.size() && path[top.size()] == '\\' && sameRegistryName(path.substr(0, top.size()), top);
}

// Escapes of the text fields: the byte after the backslash and what it stands for.
constexpr char kEscapes[][2] = {{'\\', '\\'}, {'t', '\t'}, {'n', '\n'}, {'r', '\r'}, {'0', '\0'}};

std::string escape(std::string_view s) {
  std::string r;
  for (char c : s) {
    const auto* e = std::find_if(std::begin(kEscapes), std::end(kEscapes), [c](const char* e) { return e[1] == c; });
    if (e == std::end(kEscapes)) {
      r += c;
    } else {
      r += '\\';
      r += (*e)[0];
    }
  }
  return r;
}

// False for an unknown or cut escape, and for a raw CR or NUL, which the
// store never writes (a file saved with CR LF line ends does not parse).
bool unescape(const std::string& s, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\0') return false;
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) return false;
    char c = s[i];
    const auto* e = std::find_if(std::begin(kEscapes), std::end(kEscapes), [c](const char* e) { return e[0] == c; });
    if (e == std::end(kEscapes)) return false;
    out += (*e)[1];
  }
  return true;
}

// A decimal number of at most max, digits only.
bool parseNumber(const std::string& text, std::uint64_t max, std::uint64_t& value) {
  if (text.empty() || text.size() > 20) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > max) return false;
  }
  return true;
}

// Roots, stored as their index in this table.
constexpr RegRoot kRoots[] = {RegRoot::LocalMachine, RegRoot::CurrentUser, RegRoot::ClassesRoot, RegRoot::Users,
                              RegRoot::CurrentConfig};

bool parseRoot(const std::string& text, RegRoot& root) {
  std::uint64_t n;
  if (!parseNumber(text, std::size(kRoots) - 1, n)) return false;
  root = kRoots[n];
  return true;
}

std::string rootField(RegRoot root) {
  return std::to_string(std::find(std::begin(kRoots), std::end(kRoots), root) - std::begin(kRoots));
}

// Data forms. A text form writes a string without its one final zero, which reading adds back.
bool fitsText(const Data& data) { return !data.empty() && data.back() == 0; }

std::string encodeText(const Data& data) { return escape(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1)); }

bool decodeText(const std::string& field, Data& data) {
  std::string s;
  if (!unescape(field, s)) return false;
  data.assign(s.begin(), s.end());
  data.push_back(0);
  return true;
}

// Every byte, zeros included (string lists).
bool fitsAny(const Data&) { return true; }

std::string encodeBytes(const Data& data) { return escape(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())); }

bool decodeBytes(const std::string& field, Data& data) {
  std::string s;
  if (!unescape(field, s)) return false;
  data.assign(s.begin(), s.end());
  return true;
}

bool fitsDword(const Data& data) { return data.size() == 4; }

std::string encodeDword(const Data& data) {
  std::uint32_t d = 0;
  for (std::size_t i = 0; i < 4; ++i) d |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return std::to_string(d);
}

bool decodeDword(const std::string& field, Data& data) {
  std::uint64_t d;
  if (!parseNumber(field, 0xFFFFFFFFu, d)) return false;
  data.clear();
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(d >> (8 * i)));
  return true;
}

constexpr char kHexDigits[] = "0123456789abcdef";

std::string encodeHex(const Data& data) {
  std::string r;
  for (auto b : data) {
    r += kHexDigits[b >> 4];
    r += kHexDigits[b & 15];
  }
  return r;
}

// 0 to 15, or -1 for a byte that is no hex digit.
int hexValue(char c) {
  const char* p = c ? std::strchr(kHexDigits, lowerAscii(c)) : nullptr;
  return p ? static_cast<int>(p - kHexDigits) : -1;
}

bool decodeHex(const std::string& field, Data& data) {
  if (field.size() % 2) return false;
  data.clear();
  for (std::size_t i = 0; i < field.size(); i += 2) {
    int high = hexValue(field[i]), low = hexValue(field[i + 1]);
    if (high < 0 || low < 0) return false;
    data.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return true;
}

struct DataForm {
  bool (*fits)(const Data&);
  std::string (*encode)(const Data&);
  bool (*decode)(const std::string&, Data&);
};

constexpr DataForm kHexForm{fitsAny, encodeHex, decodeHex};

// The V form of each type; types not listed use hex.
constexpr std::pair<std::uint32_t, DataForm> kTypeForms[] = {
    {1, {fitsText, encodeText, decodeText}},      // REG_SZ
    {2, {fitsText, encodeText, decodeText}},      // REG_EXPAND_SZ
    {3, kHexForm},                                // REG_BINARY
    {4, {fitsDword, encodeDword, decodeDword}},   // REG_DWORD
    {7, {fitsAny, encodeBytes, decodeBytes}},     // REG_MULTI_SZ
};

const DataForm& formOf(std::uint32_t type) {
  for (const auto& [t, form] : kTypeForms)
    if (t == type) return form;
  return kHexForm;
}

// Kinds of line: root and path in fields 1 and 2, then what the kind adds.
bool readHead(const Fields& f, RegRoot& root, std::string& path) {
  return parseRoot(f[1], root) && unescape(f[2], path) && !path.empty();
}

bool keyLine(const Fields& f, RegistryStore& store) {
  RegRoot root;
  std::string path;
  if (!readHead(f, root, path)) return false;
  store.create(root, path);
  return true;
}

bool valueLineIn(const Fields& f, RegistryStore& store, const DataForm& (*formFor)(std::uint32_t)) {
  RegRoot root;
  std::string path;
  StoredValue v;
  std::uint64_t type;
  if (!readHead(f, root, path) || !unescape(f[3], v.name) || !parseNumber(f[4], 0xFFFFFFFFu, type)) return false;
  v.type = static_cast<std::uint32_t>(type);
  if (!formFor(v.type).decode(f[5], v.data)) return false;
  RegistryStore::setValue(*store.create(root, path), std::move(v));
  return true;
}

const DataForm& hexFor(std::uint32_t) { return kHexForm; }

bool valueLine(const Fields& f, RegistryStore& store) { return valueLineIn(f, store, formOf); }
bool bytesLine(const Fields& f, RegistryStore& store) { return valueLineIn(f, store, hexFor); }

struct LineKind {
  const char* tag;
  std::size_t fields;
  bool (*read)(const Fields&, RegistryStore&);
};

constexpr LineKind kLineKinds[] = {{"K", 3, keyLine}, {"V", 6, valueLine}, {"B", 6, bytesLine}};

bool parseLine(std::string_view line, RegistryStore& store) {
  Fields f = splitFields(line, '\t');
  for (const auto& kind : kLineKinds)
    if (f[0] == kind.tag) return f.size() == kind.fields && kind.read(f, store);
  return false;
}

std::string valueLineText(const std::string& head, const StoredValue& v) {
  const DataForm& form = formOf(v.type);
  bool fits = form.fits(v.data);
  return std::string(fits ? "V" : "B") + "\t" + head + "\t" + escape(v.name) + "\t" + std::to_string(v.type) + "\t" +
         (fits ? form.encode(v.data) : encodeHex(v.data)) + "\n";
}

StoreStatus failed(StoreFailure failure, std::string text) { return {failure, std::move(text)}; }

// Locks, reads and parses the store, then runs use(store); writes it back when use returns true.
StoreStatus withStore(bool exclusive, const std::function<bool(RegistryStore&)>& use) {
  std::string path = registryStorePath();
  FileLock lock(path, exclusive);
  if (!lock.held()) return failed(StoreFailure::IoFailed, "cannot lock " + path + ": " + std::strerror(errno));
  std::string content;
  if (fileExists(path) && !readWholeFile(path, content))
    return failed(StoreFailure::IoFailed, "cannot read " + path + ": " + std::strerror(errno));
  RegistryStore store;
  std::size_t badLine = 0;
  if (!parseRegistryStore(content, store, &badLine))
    return failed(StoreFailure::Corrupt, path + " line " + std::to_string(badLine) + " does not parse");
  if (use(store) && exclusive && !writeFileAtomic(path, formatRegistryStore(store)))
    return failed(StoreFailure::IoFailed, "cannot write " + path + ": " + std::strerror(errno));
  return {};
}

}  // namespace

bool sameRegistryName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

StoredKey* RegistryStore::find(RegRoot root, std::string_view path) {
  for (auto& k : keys)
    if (k.root == root && sameRegistryName(k.path, path)) return &k;
  return nullptr;
}

const StoredKey* RegistryStore::find(RegRoot root, std::string_view path) const {
  return const_cast<RegistryStore*>(this)->find(root, path);
}

StoredKey* RegistryStore::create(RegRoot root, std::string_view path, bool* created) {
  if (created) *created = false;
  if (path.empty()) return nullptr;
  // Each missing level, keeping the case of the first writer.
  for (std::size_t pos = path.find('\\');; pos = path.find('\\', pos + 1)) {
    std::string_view level = path.substr(0, pos);
    if (!level.empty() && !find(root, level)) {
      keys.push_back({root, std::string(level), {}});
      if (created && pos == std::string_view::npos) *created = true;
    }
    if (pos == std::string_view::npos) break;
  }
  return find(root, path);
}

std::vector<std::string> RegistryStore::subkeys(RegRoot root, std::string_view path) const {
  std::vector<std::string> names;
  std::size_t skip = path.empty() ? 0 : path.size() + 1;
  for (const auto& k : keys)
    if (k.root == root && below(k.path, path) && k.path.find('\\', skip) == std::string::npos)
      names.push_back(k.path.substr(skip));
  return names;
}

bool RegistryStore::eraseTree(RegRoot root, std::string_view path) {
  if (path.empty()) return false;
  auto gone = std::remove_if(keys.begin(), keys.end(), [&](const StoredKey& k) {
    return k.root == root && (sameRegistryName(k.path, path) || below(k.path, path));
  });
  bool any = gone != keys.end();
  keys.erase(gone, keys.end());
  return any;
}

StoredValue* RegistryStore::findValue(StoredKey& key, std::string_view name) {
  for (auto& v : key.values)
    if (sameRegistryName(v.name, name)) return &v;
  return nullptr;
}

const StoredValue* RegistryStore::findValue(const StoredKey& key, std::string_view name) {
  return findValue(const_cast<StoredKey&>(key), name);
}

void RegistryStore::setValue(StoredKey& key, StoredValue value) {
  if (StoredValue* old = findValue(key, value.name)) {
    old->type = value.type;
    old->data = std::move(value.data);
  } else {
    key.values.push_back(std::move(value));
  }
}

bool RegistryStore::eraseValue(StoredKey& key, std::string_view name) {
  auto gone = std::remove_if(key.values.begin(), key.values.end(),
                             [&](const StoredValue& v) { return sameRegistryName(v.name, name); });
  bool any = gone != key.values.end();
  key.values.erase(gone, key.values.end());
  return any;
}

bool parseRegistryStore(std::string_view text, RegistryStore& store, std::size_t* badLine) {
  std::size_t start = 0;
  for (std::size_t number = 1; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (!parseLine(text.substr(start, end - start), store)) {
      if (badLine) *badLine = number;
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string formatRegistryStore(const RegistryStore& store) {
  std::string out;
  for (const auto& k : store.keys) {
    std::string head = rootField(k.root) + "\t" + escape(k.path);
    out += "K\t" + head + "\n";
    for (const auto& v : k.values) out += valueLineText(head, v);
  }
  return out;
}

StoreStatus readRegistryStore(const std::function<void(const RegistryStore&)>& read) {
  return withStore(false, [&](RegistryStore& store) {
    read(store);
    return false;
  });
}

StoreStatus changeRegistryStore(const std::function<bool(RegistryStore&)>& change) { return withStore(true, change); }

std::string registryStorePath() { return stateDirectory() + "/registry.txt"; }

}  // namespace platform
