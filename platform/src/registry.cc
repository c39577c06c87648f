// File-backed registry store. One line per key ("K<TAB>root<TAB>path") and
// one per value ("V<TAB>root<TAB>path<TAB>name<TAB>type<TAB>data"); strings
// are stored escaped, DWORDs in decimal, binary data in hex. The tables below
// name every root, value type and kind of line the store reads and writes.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/state_dir.h"
#include "platform/text.h"

namespace platform {

namespace {

struct StoredKey {
  RegRoot root;
  std::string path;
  std::vector<RegValue> values;
};

using Store = std::vector<StoredKey>;
using Fields = std::vector<std::string>;
using Data = std::vector<std::uint8_t>;

thread_local RegError lastError;

bool succeed() {
  lastError = RegError{};
  return true;
}

bool fail(long code, std::string text) {
  lastError = RegError{code, std::move(text)};
  return false;
}

std::string lower(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string trimSlashes(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.front() == '\\') p.erase(p.begin());
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return p;
}

bool samePath(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

// True when path lies at or below top.
bool within(const std::string& path, const std::string& top) {
  std::string lp = lower(path), lt = lower(top);
  return lp == lt || (lp.size() > lt.size() && lp.compare(0, lt.size(), lt) == 0 && lp[lt.size()] == '\\');
}

// Escapes of the text fields: the byte after the backslash and what it stands for.
constexpr char kEscapes[][2] = {{'\\', '\\'}, {'t', '\t'}, {'n', '\n'}, {'r', '\r'}, {'0', '\0'}};

std::string escape(const std::string& s) {
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
constexpr RegRoot kRoots[] = {RegRoot::LocalMachine, RegRoot::CurrentUser, RegRoot::ClassesRoot, RegRoot::Users};

bool parseRoot(const std::string& text, RegRoot& root) {
  std::uint64_t n;
  if (!parseNumber(text, std::size(kRoots) - 1, n)) return false;
  root = kRoots[n];
  return true;
}

std::string rootField(RegRoot root) {
  return std::to_string(std::find(std::begin(kRoots), std::end(kRoots), root) - std::begin(kRoots));
}

// Value types: how each keeps its data in the data field.
std::string encodeText(const Data& data) {
  std::string s(data.begin(), data.end());
  return escape(s.substr(0, s.find('\0')));
}

bool decodeText(const std::string& field, Data& data) {
  std::string s;
  if (!unescape(field, s)) return false;
  data.assign(s.begin(), s.end());
  data.push_back(0);
  return true;
}

std::string encodeDword(const Data& data) {
  RegValue v;
  v.data = data;
  return std::to_string(v.dword());
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
  const char* p = c ? std::strchr(kHexDigits, std::tolower(static_cast<unsigned char>(c))) : nullptr;
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

struct TypeCodec {
  RegType type;
  std::string (*encode)(const Data&);
  bool (*decode)(const std::string&, Data&);
};

constexpr TypeCodec kTypeCodecs[] = {
    {REG_SZ, encodeText, decodeText},
    {REG_EXPAND_SZ, encodeText, decodeText},
    {REG_BINARY, encodeHex, decodeHex},
    {REG_DWORD, encodeDword, decodeDword},
};

const TypeCodec* codecOf(std::uint64_t type) {
  for (const auto& c : kTypeCodecs)
    if (static_cast<std::uint64_t>(c.type) == type) return &c;
  return nullptr;
}

StoredKey* findKey(Store& store, RegRoot root, const std::string& path) {
  for (auto& k : store)
    if (k.root == root && samePath(k.path, path)) return &k;
  return nullptr;
}

StoredKey& keyOf(Store& store, RegRoot root, const std::string& path) {
  if (StoredKey* k = findKey(store, root, path)) return *k;
  store.push_back({root, path, {}});
  return store.back();
}

// Kinds of line: root and path in fields 1 and 2, then what the kind adds.
bool keyLine(const Fields& f, Store& store) {
  RegRoot root;
  std::string path;
  if (!parseRoot(f[1], root) || !unescape(f[2], path) || path.empty()) return false;
  keyOf(store, root, path);
  return true;
}

bool valueLine(const Fields& f, Store& store) {
  RegRoot root;
  std::string path;
  RegValue v;
  std::uint64_t type;
  const TypeCodec* codec = nullptr;
  if (!parseRoot(f[1], root) || !unescape(f[2], path) || path.empty() || !unescape(f[3], v.name) ||
      !parseNumber(f[4], 0xFFFFFFFFu, type) || !(codec = codecOf(type)) || !codec->decode(f[5], v.data))
    return false;
  v.type = codec->type;
  keyOf(store, root, path).values.push_back(std::move(v));
  return true;
}

struct LineKind {
  const char* tag;
  std::size_t fields;
  bool (*read)(const Fields&, Store&);
};

constexpr LineKind kLineKinds[] = {{"K", 3, keyLine}, {"V", 6, valueLine}};

bool parseLine(const std::string& line, Store& store) {
  Fields f = splitFields(line, '\t');
  for (const auto& kind : kLineKinds)
    if (f[0] == kind.tag) return f.size() == kind.fields && kind.read(f, store);
  return false;
}

// The store, or the number (from 1) of its first line that does not parse.
bool parse(const std::string& content, Store& store, std::size_t& badLine) {
  std::size_t start = 0;
  for (std::size_t number = 1; start < content.size(); ++number) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    if (!parseLine(content.substr(start, end - start), store)) {
      badLine = number;
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string serialise(const Store& store) {
  std::string out;
  for (const auto& k : store) {
    std::string head = rootField(k.root) + "\t" + escape(k.path);
    out += "K\t" + head + "\n";
    for (const auto& v : k.values)
      out += "V\t" + head + "\t" + escape(v.name) + "\t" + std::to_string(v.type) + "\t" +
             codecOf(v.type)->encode(v.data) + "\n";
  }
  return out;
}

// Closes the lock file (and so releases its lock) at the end of a call.
class StoreLock {
 public:
  StoreLock(const std::string& path, bool write) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    int r = 0;
    while (fd_ >= 0 && (r = ::flock(fd_, write ? LOCK_EX : LOCK_SH)) != 0 && errno == EINTR) {
    }
    if (fd_ >= 0 && r != 0) {
      int e = errno;
      ::close(fd_);
      fd_ = -1;
      errno = e;
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Runs fn on the store under the lock; saves when fn returns ERROR_SUCCESS
// and sets changed. False, with the reason as the last error, when the store
// cannot be read, does not parse, fn fails or the store cannot be written.
template <typename Fn>
bool withStore(bool write, Fn fn) {
  std::string path = registryStorePath();
  StoreLock lock(path + ".lock", write);
  if (!lock.held()) return fail(ERROR_REGISTRY_IO_FAILED, "cannot lock " + path + ": " + std::strerror(errno));
  std::string content;
  if (fileExists(path) && !readWholeFile(path, content))
    return fail(ERROR_REGISTRY_IO_FAILED, "cannot read " + path + ": " + std::strerror(errno));
  Store store;
  std::size_t badLine = 0;
  if (!parse(content, store, badLine))
    return fail(ERROR_REGISTRY_CORRUPT, path + " line " + std::to_string(badLine) + " does not parse");
  bool changed = false;
  long code = fn(store, changed);
  if (code == ERROR_FILE_NOT_FOUND) return fail(code, "no such key or value in " + path);
  if (code != ERROR_SUCCESS) return fail(code, path);
  if (write && changed && !writeFileAtomic(path, serialise(store)))
    return fail(ERROR_REGISTRY_IO_FAILED, "cannot write " + path + ": " + std::strerror(errno));
  return succeed();
}

}  // namespace

const RegError& registryLastError() { return lastError; }

std::string RegValue::text() const {
  std::string s(data.begin(), data.end());
  auto nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

std::uint32_t RegValue::dword() const {
  std::uint32_t d = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) d |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return d;
}

std::string registryStorePath() { return stateDirectory() + "/registry.txt"; }

std::optional<RegistryKey> RegistryKey::create(RegRoot root, const std::string& rawPath) {
  std::string path = trimSlashes(rawPath);
  bool ok = withStore(true, [&](Store& store, bool& changed) {
    // Create each missing level, keeping the case of the first writer.
    std::size_t pos = 0;
    for (;;) {
      pos = path.find('\\', pos);
      std::string level = path.substr(0, pos);
      if (!level.empty() && !findKey(store, root, level)) {
        store.push_back({root, level, {}});
        changed = true;
      }
      if (pos == std::string::npos) break;
      ++pos;
    }
    return ERROR_SUCCESS;
  });
  if (!ok) return std::nullopt;
  return RegistryKey(root, path);
}

std::optional<RegistryKey> RegistryKey::open(RegRoot root, const std::string& rawPath) {
  std::string path = trimSlashes(rawPath);
  std::string stored;
  bool ok = withStore(false, [&](Store& store, bool&) {
    StoredKey* k = findKey(store, root, path);
    if (!k) return ERROR_FILE_NOT_FOUND;
    stored = k->path;
    return ERROR_SUCCESS;
  });
  if (!ok) return std::nullopt;
  return RegistryKey(root, stored);
}

bool RegistryKey::setValue(const RegValue& value) {
  if (!codecOf(static_cast<std::uint64_t>(value.type)))
    return fail(ERROR_INVALID_PARAMETER, "value type " + std::to_string(value.type));
  return withStore(true, [&](Store& store, bool& changed) {
    StoredKey& k = keyOf(store, root_, path_);
    changed = true;
    for (auto& v : k.values)
      if (lower(v.name) == lower(value.name)) {
        v.type = value.type;
        v.data = value.data;
        return ERROR_SUCCESS;
      }
    k.values.push_back(value);
    return ERROR_SUCCESS;
  });
}

bool RegistryKey::setString(const std::string& name, const std::string& value, RegType type) {
  RegValue v;
  v.name = name;
  v.type = type;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  return setValue(v);
}

bool RegistryKey::setDword(const std::string& name, std::uint32_t value) {
  RegValue v;
  v.name = name;
  v.type = REG_DWORD;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return setValue(v);
}

std::optional<RegValue> RegistryKey::value(const std::string& name) const {
  std::optional<RegValue> found;
  bool ok = withStore(false, [&](Store& store, bool&) {
    if (auto* k = findKey(store, root_, path_))
      for (auto& v : k->values)
        if (lower(v.name) == lower(name)) found = v;
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (!ok) return std::nullopt;
  return found;
}

std::vector<RegValue> RegistryKey::values() const {
  std::vector<RegValue> all;
  withStore(false, [&](Store& store, bool&) {
    if (auto* k = findKey(store, root_, path_)) all = k->values;
    return ERROR_SUCCESS;
  });
  return all;
}

std::vector<std::string> RegistryKey::subkeys() const {
  std::vector<std::string> names;
  withStore(false, [&](Store& store, bool&) {
    for (auto& k : store) {
      if (k.root != root_ || !within(k.path, path_) || samePath(k.path, path_)) continue;
      std::string rest = k.path.substr(path_.size() + 1);
      if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return ERROR_SUCCESS;
  });
  return names;
}

bool RegistryKey::deleteValue(const std::string& name) {
  return withStore(true, [&](Store& store, bool& changed) {
    StoredKey* k = findKey(store, root_, path_);
    if (!k) return ERROR_FILE_NOT_FOUND;
    auto it = std::remove_if(k->values.begin(), k->values.end(),
                             [&](const RegValue& v) { return lower(v.name) == lower(name); });
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    k->values.erase(it, k->values.end());
    changed = true;
    return ERROR_SUCCESS;
  });
}

bool RegistryKey::deleteTree() {
  return withStore(true, [&](Store& store, bool& changed) {
    auto it = std::remove_if(store.begin(), store.end(),
                             [&](const StoredKey& k) { return k.root == root_ && within(k.path, path_); });
    changed = it != store.end();
    store.erase(it, store.end());
    return ERROR_SUCCESS;
  });
}

}  // namespace platform
