// Windows paths onto host paths and back. Each existing component is found
// case-blind (the exact name first, then the first visible match in byte
// order); a link is followed only while its target stays inside the drive.
#include "host_map.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "win/error.h"

namespace win {

namespace {

constexpr int kMaxLinkHops = 40;

std::optional<std::string> realPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (!::realpath(path.c_str(), buffer)) return std::nullopt;
  return std::string(buffer);
}

// True when real lies at or below root (both resolved).
bool within(const std::string& real, const std::string& root) {
  if (root == "/") return true;
  return real == root || (real.size() > root.size() && real.compare(0, root.size(), root) == 0 && real[root.size()] == '/');
}

std::string joinHost(const std::string& dir, std::string_view name) {
  return dir == "/" ? "/" + std::string(name) : dir + "/" + std::string(name);
}

std::string dirName(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// True when the link at path, followed to its end, stays inside root (a missing final
// target counts by the directory that would hold it).
bool linkStaysInside(std::string path, const std::string& root) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return false;
    std::string target(buffer, static_cast<std::size_t>(n));
    if (target[0] != '/') target = joinHost(dirName(path), target);
    struct stat st{};
    if (::lstat(target.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode)) {
        path = target;
        continue;
      }
      auto real = realPath(target);
      return real && within(*real, root);
    }
    std::string base = target.substr(target.rfind('/') + 1);
    if (base.empty() || base == "." || base == "..") return false;
    auto parent = realPath(dirName(target));
    return parent && within(*parent, root);
  }
  return false;
}

// The host entry of dir matching name: the exact name, else the first visible case-blind match.
std::optional<std::string> findEntry(const std::string& dir, const std::string& name) {
  if (!isValidWindowsName(name)) return std::nullopt;
  struct stat st{};
  if (::lstat(joinHost(dir, name).c_str(), &st) == 0) return name;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* e = ::readdir(d)) {
    std::string_view n = e->d_name;
    if (!isValidWindowsName(n) || !namesEqual(n, name)) continue;
    if (!best || n < *best) best = std::string(n);
  }
  ::closedir(d);
  return best;
}

struct Walk {
  std::string rootReal;  // the drive root, resolved
  std::string rel;       // the directory reached so far, relative to rootReal ("" or "/a/b")
};

// Steps into an existing directory entry (a link inside the drive is resolved).
bool enterDirectory(Walk& w, const std::string& entry, DWORD* error) {
  std::string candidate = joinHost(w.rootReal + w.rel, entry);
  auto real = realPath(candidate);
  if (!real) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (!within(*real, w.rootReal)) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  struct stat st{};
  if (::stat(real->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  w.rel = w.rootReal == "/" ? *real : real->substr(w.rootReal.size());
  if (w.rel == "/") w.rel.clear();
  return true;
}

// The mapping itself, without creating the standard directories first.
std::optional<HostPath> walk(Machine& m, const WinPath& path, DWORD* error) {
  const DriveMapping* drive = m.findDrive(path);
  if (!drive) {
    *error = path.isUnc() ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  auto rootReal = realPath(drive->hostRoot);
  struct stat st{};
  if (!rootReal || ::stat(rootReal->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  Walk w{*rootReal, ""};
  HostPath r;
  std::string tail;  // the last component and missing ones, as host text
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    const std::string& part = path.parts[i];
    bool last = i + 1 == path.parts.size();
    auto entry = r.found == i ? findEntry(w.rootReal + w.rel, part) : std::nullopt;
    if (!entry) {
      r.names.push_back(part);
      tail += "/" + part;
      continue;
    }
    std::string candidate = joinHost(w.rootReal + w.rel, *entry);
    bool isLink = ::lstat(candidate.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (isLink && !linkStaysInside(candidate, w.rootReal)) {
      *error = ERROR_ACCESS_DENIED;
      return std::nullopt;
    }
    if (!last && !enterDirectory(w, *entry, error)) return std::nullopt;
    if (last) tail += "/" + *entry;
    r.names.push_back(*entry);
    ++r.found;
  }
  std::string base = drive->hostRoot == "/" ? "" : drive->hostRoot;
  r.host = base + w.rel + tail;
  if (r.host.empty()) r.host = "/";
  return r;
}

WinPath driveRoot(const DriveMapping& drive) {
  WinPath root;
  if (drive.name.size() == 1) {
    root.drive = drive.name[0];
    return root;
  }
  auto sep = drive.name.find('\\', 2);
  root.server = drive.name.substr(2, sep - 2);
  root.share = drive.name.substr(sep + 1);
  return root;
}

std::vector<std::string> hostComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    auto end = path.find('/', i);
    if (end == std::string_view::npos) end = path.size();
    std::string_view c = path.substr(i, end - i);
    if (c == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!c.empty() && c != ".") {
      parts.emplace_back(c);
    }
    i = end + 1;
  }
  return parts;
}

// The components of path below root when it lies inside; nullopt otherwise.
std::optional<std::vector<std::string>> below(const std::vector<std::string>& path,
                                              const std::vector<std::string>& root) {
  if (path.size() < root.size()) return std::nullopt;
  for (std::size_t i = 0; i < root.size(); ++i)
    if (path[i] != root[i]) return std::nullopt;
  return std::vector<std::string>(path.begin() + static_cast<long>(root.size()), path.end());
}

// The deepest drive root holding host (lexically, then resolved); its root and the rest.
std::optional<WinPath> reverse(const Machine& m, const std::vector<std::string>& host, bool resolved) {
  std::optional<WinPath> best;
  std::size_t bestDepth = 0;
  for (const auto& drive : m.description().drives) {
    auto root = resolved ? realPath(drive.hostRoot) : std::optional<std::string>(drive.hostRoot);
    if (!root) continue;
    auto rootParts = hostComponents(*root);
    auto rest = below(host, rootParts);
    if (!rest || (best && rootParts.size() <= bestDepth)) continue;
    best = driveRoot(drive);
    best->parts = *rest;
    bestDepth = rootParts.size();
  }
  return best;
}

}  // namespace

std::optional<HostPath> mapToHostOn(Machine& m, const WinPath& path, DWORD* error) {
  m.ensureStandardDirectories();
  return walk(m, path, error);
}

std::optional<std::string> hostToWindowsOn(const Machine& m, std::string_view hostPath) {
  if (hostPath.empty() || hostPath.front() != '/') return std::nullopt;
  auto found = reverse(m, hostComponents(hostPath), false);
  if (!found) {
    auto real = realPath(std::string(hostPath));
    if (real) found = reverse(m, hostComponents(*real), true);
  }
  if (!found) return std::nullopt;
  for (const auto& p : found->parts)
    if (!isValidWindowsName(p)) return std::nullopt;
  std::string text = found->text();
  if (text.size() >= MAX_PATH) return std::nullopt;
  return text;
}

void Machine::ensureStandardDirectories() {
  std::call_once(directoriesOnce_, [this] {
    std::error_code ec;
    if (description_.defaultDriveC) std::filesystem::create_directories(description_.drives.front().hostRoot, ec);
    for (const std::string* dir : {&description_.windowsDir, &description_.systemDir, &description_.tempDir}) {
      DWORD error = 0;
      auto path = parsePathFrom(*dir, nullptr, 0, &error);
      auto mapped = path ? walk(*this, *path, &error) : std::nullopt;
      if (!mapped) continue;
      std::string host = mapped->host;
      for (std::size_t k = mapped->found; k < mapped->names.size(); ++k) host.resize(host.size() - mapped->names[k].size() - 1);
      for (std::size_t k = mapped->found; k < mapped->names.size(); ++k) {
        host = joinHost(host, mapped->names[k]);
        ::mkdir(host.c_str(), 0755);
      }
    }
  });
}

std::optional<HostPath> mapToHost(const WinPath& path) {
  DWORD error = ERROR_SUCCESS;
  auto r = mapToHostOn(machine(), path, &error);
  if (!r) SetLastError(error);
  return r;
}

std::optional<HostPath> mapToHost(std::string_view text, unsigned flags) {
  auto path = parsePath(text, flags);
  if (!path) return std::nullopt;
  return mapToHost(*path);
}

std::optional<std::string> hostToWindows(std::string_view hostPath) {
  auto r = hostToWindowsOn(machine(), hostPath);
  if (!r) SetLastError(ERROR_PATH_NOT_FOUND);
  return r;
}

std::optional<std::string> longPathName(std::string_view text) {
  auto path = parsePath(text);
  if (!path) return std::nullopt;
  DWORD error = ERROR_SUCCESS;
  auto mapped = mapToHostOn(machine(), *path, &error);
  if (mapped) path->parts = mapped->names;
  return path->text();
}

}  // namespace win
