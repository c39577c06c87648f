// File-backed registry store. One line per key ("K<TAB>root<TAB>path") and
// one per value ("V<TAB>root<TAB>path<TAB>name<TAB>type<TAB>data"); strings
// are stored escaped, DWORDs in decimal, binary data in hex.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <sstream>

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

std::string escape(const std::string& s) {
  std::string r;
  for (char c : s) {
    switch (c) {
      case '\\': r += "\\\\"; break;
      case '\t': r += "\\t"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\0': r += "\\0"; break;
      default: r += c;
    }
  }
  return r;
}

std::string unescape(const std::string& s) {
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      r += s[i];
      continue;
    }
    char n = s[++i];
    r += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n == '0' ? '\0' : n;
  }
  return r;
}

std::string encodeData(const RegValue& v) {
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) return escape(v.text());
  if (v.type == REG_DWORD) return std::to_string(v.dword());
  static const char* hex = "0123456789abcdef";
  std::string r;
  for (auto b : v.data) {
    r += hex[b >> 4];
    r += hex[b & 15];
  }
  return r;
}

std::vector<std::uint8_t> decodeData(RegType type, const std::string& text) {
  std::vector<std::uint8_t> data;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string s = unescape(text);
    data.assign(s.begin(), s.end());
    data.push_back(0);
  } else if (type == REG_DWORD) {
    std::uint32_t d = static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(d >> (8 * i)));
  } else {
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
      data.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return data;
}

Store parse(const std::string& content) {
  Store store;
  std::istringstream in(content);
  std::string line;
  while (std::getline(in, line)) {
    auto f = splitFields(line, '\t');
    if (f.size() < 3) continue;
    RegRoot root = static_cast<RegRoot>(std::atoi(f[1].c_str()));
    std::string path = unescape(f[2]);
    auto it = std::find_if(store.begin(), store.end(),
                           [&](const StoredKey& k) { return k.root == root && samePath(k.path, path); });
    if (it == store.end()) {
      store.push_back({root, path, {}});
      it = store.end() - 1;
    }
    if (f[0] == "V" && f.size() >= 6) {
      RegValue v;
      v.name = unescape(f[3]);
      v.type = static_cast<RegType>(std::atoi(f[4].c_str()));
      v.data = decodeData(v.type, f[5]);
      it->values.push_back(std::move(v));
    }
  }
  return store;
}

std::string serialise(const Store& store) {
  std::string out;
  for (const auto& k : store) {
    std::string head = std::to_string(static_cast<int>(k.root)) + "\t" + escape(k.path);
    out += "K\t" + head + "\n";
    for (const auto& v : k.values)
      out += "V\t" + head + "\t" + escape(v.name) + "\t" + std::to_string(v.type) + "\t" + encodeData(v) + "\n";
  }
  return out;
}

// Runs fn on the store under an exclusive lock; saves when fn returns true
// and changed is set. Returns false when the store cannot be read or written.
template <typename Fn>
bool withStore(bool write, Fn fn) {
  std::string path = registryStorePath();
  std::string lockPath = path + ".lock";
  int lfd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lfd < 0) return false;
  ::flock(lfd, write ? LOCK_EX : LOCK_SH);
  std::string content;
  if (fileExists(path) && !readWholeFile(path, content)) {
    ::close(lfd);
    return false;
  }
  Store store = parse(content);
  bool changed = false;
  bool ok = fn(store, changed);
  if (ok && write && changed) ok = writeFileAtomic(path, serialise(store));
  ::close(lfd);
  return ok;
}

StoredKey* findKey(Store& store, RegRoot root, const std::string& path) {
  for (auto& k : store)
    if (k.root == root && samePath(k.path, path)) return &k;
  return nullptr;
}

}  // namespace

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
    return true;
  });
  if (!ok) return std::nullopt;
  return RegistryKey(root, path);
}

std::optional<RegistryKey> RegistryKey::open(RegRoot root, const std::string& rawPath) {
  std::string path = trimSlashes(rawPath);
  bool found = false;
  std::string stored;
  withStore(false, [&](Store& store, bool&) {
    if (auto* k = findKey(store, root, path)) {
      found = true;
      stored = k->path;
    }
    return true;
  });
  if (!found) return std::nullopt;
  return RegistryKey(root, stored);
}

bool RegistryKey::setValue(const RegValue& value) {
  return withStore(true, [&](Store& store, bool& changed) {
    StoredKey* k = findKey(store, root_, path_);
    if (!k) {
      store.push_back({root_, path_, {}});
      k = &store.back();
    }
    changed = true;
    for (auto& v : k->values)
      if (lower(v.name) == lower(value.name)) {
        v.type = value.type;
        v.data = value.data;
        return true;
      }
    k->values.push_back(value);
    return true;
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
  withStore(false, [&](Store& store, bool&) {
    if (auto* k = findKey(store, root_, path_))
      for (auto& v : k->values)
        if (lower(v.name) == lower(name)) found = v;
    return true;
  });
  return found;
}

std::vector<RegValue> RegistryKey::values() const {
  std::vector<RegValue> all;
  withStore(false, [&](Store& store, bool&) {
    if (auto* k = findKey(store, root_, path_)) all = k->values;
    return true;
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
    return true;
  });
  return names;
}

bool RegistryKey::deleteValue(const std::string& name) {
  return withStore(true, [&](Store& store, bool& changed) {
    StoredKey* k = findKey(store, root_, path_);
    if (!k) return false;
    auto it = std::remove_if(k->values.begin(), k->values.end(),
                             [&](const RegValue& v) { return lower(v.name) == lower(name); });
    if (it == k->values.end()) return false;
    k->values.erase(it, k->values.end());
    changed = true;
    return true;
  });
}

bool RegistryKey::deleteTree() {
  return withStore(true, [&](Store& store, bool& changed) {
    auto it = std::remove_if(store.begin(), store.end(),
                             [&](const StoredKey& k) { return k.root == root_ && within(k.path, path_); });
    changed = it != store.end();
    store.erase(it, store.end());
    return true;
  });
}

}  // namespace platform
