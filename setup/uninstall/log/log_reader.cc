#include "log/log_reader.h"

#include <optional>
#include <vector>

#include "constants.h"
#include "log/admin_rights.h"
#include "log/line_reader.h"
#include "log/path_names.h"
#include "string_table.h"
#include "win/error.h"
#include "win/files.h"
#include "win/machine_description.h"
#include "win/message_box.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win/system.h"

namespace remvex {

namespace {

bool fits(const std::string& text, std::size_t field) { return text.size() < field; }

std::string withBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string directoryOf(const std::string& path) {
  auto at = path.rfind('\\');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::optional<std::uint32_t> smallNumber(const std::string& text, std::uint32_t last) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > last) return std::nullopt;
  return value;
}

bool madeDirShape(const std::string& path) {
  if (path.size() < 4) return false;
  if (path[0] == '\\' && path[1] == '\\') return true;
  unsigned char c = static_cast<unsigned char>(path[0]);
  return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
}

bool exists(const std::string& path) { return win::GetFileAttributes(path.c_str()) != win::INVALID_FILE_ATTRIBUTES; }

std::string systemDirectory(bool windows) {
  char buffer[kPathField] = {};
  win::UINT n = windows ? win::GetWindowsDirectory(buffer, sizeof buffer) : win::GetSystemDirectory(buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

class Reader {
 public:
  Reader(const ReaderSettings& settings, LogState& state) : settings_(settings), state_(state) {}

  int run(const std::string& logPath);

 private:
  bool read() { return readLine(current_); }
  bool readLine(LogLine& line) {
    if (!more_) return false;
    more_ = reader_->next(line);
    return more_ || !line.text.empty() || line.tooLong;
  }
  // The next line into current_, or the end; sets pending_ so the loop dispatches it.
  bool follow() {
    pending_ = read();
    return pending_;
  }
  bool is(const char* prefix) const { return !current_.tooLong && StartsWithNoCase(current_.text, prefix); }
  std::string rest(const char* prefix) const { return current_.text.substr(std::string(prefix).size()); }
  bool whole(const char* text) const { return !current_.tooLong && EqualNoCase(current_.text, text); }

  std::string fromOem(const std::string& text) const {
    if (state_.ansi || text.empty()) return text;
    std::string out(text.size(), '\0');
    win::OemToCharBuff(text.c_str(), out.data(), static_cast<win::DWORD>(text.size()));
    return out;
  }
  bool removable(const std::string& path) const {
    if (path.size() < 2 || path[1] != ':') return false;
    char d = path[0];
    if (d == 'a' || d == 'A') return aRemovable_;
    if (d == 'b' || d == 'B') return bRemovable_;
    return false;
  }
  void message(int text, int caption) {
    std::string t = LoadMessage(settings_.iniPath, text), c = LoadMessage(settings_.iniPath, caption);
    win::MessageBox(settings_.owner, t.c_str(), c.c_str(), win::MB_OK);
  }

  void prepare(const std::string& logPath);
  bool header();
  bool body();  // false when the run must stop (administrator rights)
  bool dispatch();
  void fileEntry(const std::string& prefix);
  void fileEdit();
  void madeDir();
  void fileTree();
  void selfRegister();
  void addDevice();
  void iniNew();
  void iniFile();
  void icon(bool withGroup);
  void registryKey();
  void registryTree();
  void execute(const char* prefix);
  void createService();
  void productLine(const char* prefix, std::string& field);
  bool sharedKnown(const std::string& path) const;

  const ReaderSettings& settings_;
  LogState& state_;
  std::optional<LogLineReader> reader_;
  LogLine current_;
  bool more_ = true;
  bool pending_ = false;
  bool aRemovable_ = false, bRemovable_ = false;
  std::string windowsDir_, systemDir_, win32sDir_;
  bool nonSystem_ = false, ignoreCount_ = false, adminChecked_ = false;
  bool groupSeen_ = false;
  std::string lastGroup_;
};

void Reader::prepare(const std::string& logPath) {
  state_.logDirectory = withBackslash(NormalizePath(directoryOf(logPath), false));
  aRemovable_ = win::GetDriveType("A:\\") == win::DRIVE_REMOVABLE;
  bRemovable_ = win::GetDriveType("B:\\") == win::DRIVE_REMOVABLE;
  windowsDir_ = systemDirectory(true);
  systemDir_ = systemDirectory(false);
  win32sDir_ = systemDir_ + "\\WIN32S";
  std::string own = NormalizePath(logPath, true);
  own = own.substr(0, own.rfind('\\') + 1);
  auto underStart = [&own](const std::string& dir) {
    return StartsWithNoCase(withBackslash(dir), own);
  };
  if (own.size() > 3 && fits(own, kPathField) && !underStart(systemDir_) && !underStart(windowsDir_))
    state_.lists.directories.add({own, 0, 0, kEveryInstallation});
}

bool Reader::header() {
  if (!read()) return false;
  state_.ansi = current_.text.size() > 4 && current_.text[4] == ' ';
  state_.installations = 1;
  if (current_.text.compare(0, 4, "*** ") != 0) return false;
  while (read()) {
    if (current_.text.compare(0, 6, "Title:") != 0) continue;
    std::string title = current_.text.size() >= 7 ? current_.text.substr(7) : std::string();
    if (current_.tooLong || !fits(title, kTitleField)) title.clear();
    std::string ending = LoadMessage(settings_.iniPath, 74);
    if (title.size() > 13 && !ending.empty() && EndsWithNoCase(title, ending)) title.resize(title.size() - ending.size());
    if (title.size() > 8 && EndsWithNoCase(title, " INSTALL")) title.resize(title.size() - 8);
    state_.title = title;
    if (!settings_.titleArgument)
      state_.windowTitle = LoadMessage(settings_.iniPath, 25) + " " + title;
    return true;
  }
  return false;
}

void Reader::productLine(const char* prefix, std::string& field) {
  field = rest(prefix).substr(0, kProductField - 1);
}

bool Reader::sharedKnown(const std::string& path) const {
  win::HKEY key = nullptr;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0,
                        win::KEY_ALL_ACCESS, &key) != win::ERROR_SUCCESS)
    return false;
  bool found = win::RegQueryValueEx(key, path.c_str(), nullptr, nullptr, nullptr, nullptr) == win::ERROR_SUCCESS;
  win::RegCloseKey(key);
  return found;
}

void Reader::fileEntry(const std::string& prefix) {
  const std::string path = fromOem(current_.text.substr(prefix.size()));
  bool overwritten = prefix == "File Overwrite: " && !(settings_.newShell && sharedKnown(path));
  std::string backup;
  bool hasBackup = false;
  if (follow() && is("Backup Copy: ")) {
    backup = fromOem(rest("Backup Copy: "));
    hasBackup = true;
    state_.rollbackOffered = 1;
    pending_ = false;
  }
  if (!fits(path, kPathField) || !fits(backup, kPathField) || path.empty()) return;
  if (removable(path) || (overwritten && !hasBackup) || !exists(path)) return;
  const std::string dir = directoryOf(path);
  const bool system = EqualNoCase(dir, windowsDir_) || EqualNoCase(dir, systemDir_) || EqualNoCase(dir, win32sDir_);
  auto& list = system ? state_.lists.systemFiles : state_.lists.privateFiles;
  const std::uint16_t now = state_.installations;
  for (auto& r : list.records()) {
    if (!EqualNoCase(r.path, path)) continue;
    r.installation = now;
    if (!ignoreCount_) r.sharedInstallation = now;
    if (hasBackup) {
      r.backup = backup;
      r.backupInstallation = now;
    }
    return;
  }
  FileRecord r;
  r.path = path;
  r.backup = backup;
  r.selected = system && nonSystem_ ? 1 : 0;
  r.installation = r.backupInstallation = now;
  r.sharedInstallation = ignoreCount_ ? 0 : now;
  r.deleteFlag = !overwritten && !hasBackup ? 1 : 0;
  list.add(std::move(r));
}

void Reader::fileEdit() {
  const std::string path = fromOem(rest("File Edit: "));
  if (!follow() || !is("Backup Copy: ")) return;
  pending_ = false;
  const std::string backup = fromOem(rest("Backup Copy: "));
  if (!fits(path, kPathField) || !fits(backup, kPathField) || removable(path) || !exists(path)) return;
  for (auto& r : state_.lists.editedFiles.records()) {
    if (!EqualNoCase(r.path, path)) continue;
    r.installation = state_.installations;
    r.backup = backup;
    return;
  }
  state_.lists.editedFiles.add({path, backup, state_.installations});
}

void Reader::madeDir() {
  const std::string raw = withBackslash(rest("Made Dir: "));
  const std::string shortForm = NormalizePath(raw, false);
  if (shortForm.size() <= state_.logDirectory.size() && !shortForm.empty() &&
      StartsWithNoCase(state_.logDirectory, shortForm))
    state_.logDirectory.resize(shortForm.size());
  const std::string path = fromOem(raw);
  if (!madeDirShape(path) || !fits(path, kPathField)) return;
  for (auto& r : state_.lists.directories.records()) {
    std::size_t n = std::min(r.path.size(), path.size());
    if (!EqualNoCase(r.path.substr(0, n), path.substr(0, n))) continue;
    r.path.resize(n);
    r.installation = r.madeDir = state_.installations;
    return;
  }
  state_.lists.directories.add({path, 0, 0, state_.installations, state_.installations});
}

void Reader::fileTree() {
  std::string path = rest("File Tree: ");
  if (path.size() >= 4 && path.compare(path.size() - 4, 4, "\\*.*") == 0) path.resize(path.size() - 4);
  path = withBackslash(path);
  if (!madeDirShape(path) || !fits(path, kPathField)) return;
  for (auto& r : state_.lists.directories.records()) {
    if (!EqualNoCase(r.path, path)) continue;
    r.tree = r.installation = state_.installations;
    return;
  }
  state_.lists.directories.add({path, 0, state_.installations, state_.installations});
}

void Reader::selfRegister() {
  const std::string path = NormalizePath(rest("Self-Register: "), true);
  for (auto* list : {&state_.lists.privateFiles, &state_.lists.systemFiles})
    for (auto& r : list->records())
      if (EqualNoCase(NormalizePath(r.path, true), path)) r.selfRegister = state_.installations;
}

void Reader::addDevice() {
  const std::string path = rest("Add Device: ");
  for (auto* list : {&state_.lists.privateFiles, &state_.lists.systemFiles})
    for (auto& r : list->records())
      if (EqualNoCase(r.path, path)) r.device = state_.installations;
}

void Reader::iniNew() {
  if (!follow() || !is("INI File: ")) return;
  const std::string name = fromOem(rest("INI File: "));
  if (fits(name, kPathField) && !removable(name) && exists(name)) {
    bool found = false;
    for (auto& r : state_.lists.iniFiles.records())
      if (EqualNoCase(r.name, name)) {
        r.installation = state_.installations;
        found = true;
        break;
      }
    if (!found) state_.lists.iniFiles.add({name, 0, state_.installations});
  }
  while (follow()) {
    if (current_.tooLong || !StartsWithNoCase(current_.text, "INI ") || current_.text.size() < 5) return;
    char fifth = current_.text[4];
    if (fifth == 'F' || fifth == 'N') return;
  }
}

void Reader::iniFile() {
  const std::string file = fromOem(rest("INI File: "));
  if (removable(file)) return;
  std::string section, item, value, old;
  if (!follow() || !is("INI Sect: ")) return;
  section = rest("INI Sect: ");
  if (!follow() || !is("INI Item: ")) return;
  item = rest("INI Item: ");
  if (!follow() || !is("INI Val: ")) return;
  pending_ = false;
  if (follow() && is("INI Old: ")) {
    old = rest("INI Old: ");
    pending_ = false;
  }
  if (!fits(file, kPathField) || !fits(section, kTextField) || !fits(item, kTextField) || !fits(old, kValueField))
    return;
  char now[kValueField] = {};
  win::GetPrivateProfileString(section.c_str(), item.c_str(), "", now, sizeof now, file.c_str());
  if (now[0] == '\0') return;
  for (auto& r : state_.lists.iniEntries.records()) {
    if (!EqualNoCase(r.file, file) || !EqualNoCase(r.section, section) || !EqualNoCase(r.item, item)) continue;
    r.rollbackOldValue = old;
    r.installation = state_.installations;
    return;
  }
  state_.lists.iniEntries.add({file, section, item, old, old, 0, state_.installations});
}

void Reader::icon(bool withGroup) {
  if (withGroup) {
    lastGroup_ = rest("Icon Group: ");
    groupSeen_ = true;
    if (!follow() || !is("Icon Name: ")) return;
  }
  const std::string group = groupSeen_ ? lastGroup_ : std::string();
  const std::string name = rest("Icon Name: ");
  if (!follow() || !is("Icon Cmd: ")) return;
  pending_ = false;
  const std::string command = rest("Icon Cmd: ");
  if (!fits(group, kTextField) || !fits(name, kTextField) || !fits(command, kTextField)) return;
  for (auto& r : state_.lists.icons.records()) {
    bool same = group.empty() ? r.group.empty() && EqualNoCase(r.command, command)
                              : EqualNoCase(r.group, group) && EqualNoCase(r.item, name);
    if (!same) continue;
    r.command = command;
    r.item = name;
    r.installation = state_.installations;
    return;
  }
  state_.lists.icons.add({group, name, command, 0, state_.installations});
}

void Reader::registryKey() {
  const std::string key = rest("RegDB Key: ");
  if (!follow() || !is("RegDB Val: ")) return;
  std::string name;
  std::uint32_t type = 0, root = 0;
  bool valid = true;
  bool more = follow();
  if (more && is("RegDB Name: ")) {
    name = rest("RegDB Name: ");
    more = follow();
  }
  if (more && is("RegDB Type: ")) {
    auto n = smallNumber(rest("RegDB Type: "), kLastRegistryType);
    valid = valid && n.has_value();
    type = n.value_or(0);
    more = follow();
  }
  if (more && is("RegDB Root: ")) {
    auto n = smallNumber(rest("RegDB Root: "), kLastRegistryRoot);
    valid = valid && n.has_value();
    root = n.value_or(0);
    more = follow();
  }
  std::vector<std::string> old;
  std::size_t oldBytes = 1;
  while (more && is("RegDB Old: ")) {
    old.push_back(rest("RegDB Old: "));
    oldBytes += old.back().size() + 1;
    more = follow();
  }
  if (!valid || !fits(key, kTextField) || !fits(name, kTextField) || oldBytes > kDataField) return;
  const std::uint16_t now = state_.installations;
  if (old.empty()) {
    for (auto& r : state_.lists.registryRemove.records())
      if (EqualNoCase(r.key, key) && EqualNoCase(r.name, name) && r.root == root) {
        r.installation = now;
        return;
      }
    state_.lists.registryRemove.add({key, name, root, 0, now});
    return;
  }
  for (auto& r : state_.lists.registryRestore.records())
    if (EqualNoCase(r.key, key) && EqualNoCase(r.name, name) && r.root == root && r.type == type) {
      r.rollbackOldData = old.front();
      r.rollbackOldTexts = old;
      r.installation = now;
      return;
    }
  RegistryRestoreRecord r{key, name, old, old.front(), old, root, type, 0, now};
  state_.lists.registryRestore.add(std::move(r));
}

void Reader::registryTree() {
  const std::string key = rest("RegDB Tree: ");
  std::uint32_t root = 0;
  bool valid = true;
  if (follow() && is("RegDB Root: ")) {
    pending_ = false;
    auto n = smallNumber(rest("RegDB Root: "), kLastRegistryRoot);
    valid = n.has_value();
    root = n.value_or(0);
  }
  if (!valid || !fits(key, kTextField)) return;
  for (auto& r : state_.lists.registryTrees.records())
    if (EqualNoCase(r.key, key) && r.root == root) {
      r.installation = state_.installations;
      return;
    }
  state_.lists.registryTrees.add({key, root, 0, state_.installations});
}

void Reader::execute(const char* prefix) {
  const std::string path = rest(prefix);
  if (!fits(path, kPathField)) return;
  for (auto& r : state_.lists.programs.records())
    if (EqualNoCase(r.path, path)) {
      r.installation = state_.installations;
      return;
    }
  std::string name;
  if (follow() && is("Execute Name: ")) {
    pending_ = false;
    name = rest("Execute Name: ");
  }
  if (!fits(name, kTextField)) return;
  state_.lists.programs.add({path, name, 0, state_.installations});
}

void Reader::createService() {
  const std::string name = rest("Create Service: ");
  if (!fits(name, kPathField)) return;
  for (auto& r : state_.lists.services.records())
    if (EqualNoCase(r.name, name)) {
      r.installation = state_.installations;
      return;
    }
  state_.lists.services.add({name, 0, state_.installations});
}

// One line (current_); false when the run must stop.
bool Reader::dispatch() {
  nonSystem_ = ignoreCount_ = false;
  if (current_.tooLong) return true;
  if (is("*** ")) {
    state_.lastOffset = current_.offset;
    if (state_.installations < 0xFFFF) ++state_.installations;
    state_.ansi = current_.text.size() > 4 && current_.text[4] == ' ';
    groupSeen_ = false;
    lastGroup_.clear();
    return true;
  }
  struct Product { const char* prefix; std::string* field; };
  const Product products[] = {{"Uninstall MIF: ", &state_.product.mif},
                              {"Manufacturer: ", &state_.product.manufacturer},
                              {"Product: ", &state_.product.product},
                              {"Version Number: ", &state_.product.version},
                              {"Serial Number: ", &state_.product.serial}};
  for (const auto& p : products)
    if (is(p.prefix)) {
      productLine(p.prefix, *p.field);
      return true;
    }
  if (whole("User Rights: Admin")) {
    if (adminChecked_ || settings_.platform != 1) return true;
    adminChecked_ = true;
    if (ServiceManagerOpens()) return true;
    message(67, 25);
    return false;
  }
  bool nonSystem = false, ignoreCount = false;
  if (whole("Non-System File:")) {
    nonSystem = true;
    if (!read()) return true;
  }
  if (whole("Shared DLL counter ignored:")) {
    ignoreCount = true;
    if (!read()) return true;
  }
  nonSystem_ = nonSystem;
  ignoreCount_ = ignoreCount;
  if (current_.tooLong) return true;
  if (is("File Copy: ")) fileEntry("File Copy: ");
  else if (is("Shell Link: ")) fileEntry("Shell Link: ");
  else if (is("File Overwrite: ")) fileEntry("File Overwrite: ");
  else if (is("File Edit: ")) fileEdit();
  else if (is("Create Service: ")) createService();
  else if (is("Add Device: ")) addDevice();
  else if (is("Self-Register: ")) selfRegister();
  else if (is("INI New: ")) iniNew();
  else if (is("INI File: ")) iniFile();
  else if (is("Execute Path: ")) execute("Execute Path: ");
  else if (is("Execute Program: ")) execute("Execute Program: ");
  else if (is("Icon Group: ")) icon(true);
  else if (is("Icon Name: ")) icon(false);
  else if (is("SubSystem: B")) {
    std::string name = current_.text.substr(std::string("SubSystem: ").size());
    if (fits(name, kTextField)) {
      state_.subSystem = name;
      state_.hasSubSystem = true;
      state_.subSystemSelected = 0;
      state_.subSystemInstallation = state_.installations;
    }
  } else if (is("Made Dir: ")) madeDir();
  else if (is("File Tree: ")) fileTree();
  else if (is("RegDB Tree: ")) registryTree();
  else if (is("RegDB Key: ")) registryKey();
  return true;
}

bool Reader::body() {
  for (;;) {
    if (!pending_ && !read()) return true;
    pending_ = false;
    if (!dispatch()) return false;
  }
}

int Reader::run(const std::string& logPath) {
  prepare(logPath);
  win::HFILE file = win::_lopen(logPath.c_str(), win::OF_READ);
  if (file == win::HFILE_ERROR) {
    message(76, 2);
    return 1;
  }
  reader_.emplace(file);
  bool ok = header();
  if (!ok) {
    message(4, 2);
    win::_lclose(file);
    return 1;
  }
  ok = body();
  win::_lclose(file);
  return ok ? 0 : 1;
}

}  // namespace

int ReadInstallLog(const std::string& logPath, const ReaderSettings& settings, LogState& state) {
  Reader reader(settings, state);
  return reader.run(NormalizePath(logPath, true));
}

}  // namespace remvex
