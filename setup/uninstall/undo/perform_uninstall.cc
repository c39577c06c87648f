#include "undo/perform_uninstall.h"

#include <cstdint>
#include <map>

#include "constants.h"
#include "log/path_names.h"
#include "run_state.h"
#include "string_table.h"
#include "system/database_engine.h"
#include "system/dll_registration.h"
#include "system/file_removal.h"
#include "system/progman_undo.h"
#include "system/registry_undo.h"
#include "system/services.h"
#include "system/shared_dlls.h"
#include "system/short_path.h"
#include "system/vxd_device.h"
#include "undo/progress_text.h"
#include "win/access_rights.h"
#include "win/files.h"
#include "win/process.h"
#include "win/profile.h"

namespace remvex {

namespace {

constexpr int kActionMessages[] = {29, 30, 31, 32, 33, 34, 35, 36, 37, 40, 44, 56, 57, 58};

class Undo {
 public:
  Undo(const std::string& logPath, LogState& state) : logPath_(logPath), state_(state), lists_(state.lists) {}
  void run();

 private:
  bool wanted(std::uint32_t selected) const { return automatic_ || selected; }
  bool inRange(std::uint16_t installation) const { return installation >= first_; }
  bool cancelled() const { return Run().cancel; }
  void counted() { ++Progress().done; }
  const std::string& text(int n) { return texts_[n]; }
  void show(int n, const std::string& rest) { SetProgressText(text(n) + rest); }
  void showPath(int n, const std::string& path) {
    std::string line = text(n);
    AppendShortPath(line, path);
    SetProgressText(line);
  }
  bool restoredHere(const FileRecord& r) const {
    return rollback_ && !r.backup.empty() && r.backupInstallation == first_;
  }

  void prepare();
  void programs();
  void services();
  bool subSystem();  // false when the user aborted
  void iniFiles();
  void iniEntries();
  void editedFiles();
  void sharedAndRegistration(ItemList<FileRecord>& list, bool system);
  void deleteFiles(ItemList<FileRecord>& list, bool system);
  void reregister(ItemList<FileRecord>& list, bool system);
  void theLog();
  void directories();
  void registryValues();
  void registryKeys();
  void registryTrees();
  void icons();

  const std::string& logPath_;
  LogState& state_;
  ItemLists& lists_;
  bool automatic_ = true, rollback_ = false;
  std::uint16_t first_ = 1;
  std::map<int, std::string> texts_;
};

void Undo::prepare() {
  RunState& run = Run();
  automatic_ = run.uninstallMode == kAutomaticMode;
  if (!automatic_) run.rollback = false;
  rollback_ = run.rollback;
  first_ = rollback_ ? state_.installations : 1;
  for (int n : kActionMessages) texts_[n] = LoadMessage(run.iniPath, n).substr(0, kActionTextSize - 1);
  const std::size_t sum = lists_.privateFiles.size() + lists_.systemFiles.size() + lists_.directories.size() +
                          lists_.iniFiles.size() + lists_.iniEntries.size() + lists_.registryRemove.size() +
                          lists_.registryTrees.size() + lists_.registryRestore.size() + lists_.icons.size() +
                          lists_.services.size();
  Progress().done = 0;
  Progress().total = sum == 0 ? 1 : static_cast<std::uint32_t>(sum);
  if (!Progress().shown) ShowProgressPage(state_.title);
}

void Undo::programs() {
  for (auto& r : lists_.programs.records()) {
    if (cancelled()) return;
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    if (r.path.find('\\') != std::string::npos) r.path = NormalizePath(r.path, false);
    show(57, r.name.empty() ? r.path : r.name);
    std::string command = r.path;
    win::STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    win::PROCESS_INFORMATION info{};
    if (!win::CreateProcess(nullptr, command.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr, &startup,
                            &info))
      continue;
    win::WaitForSingleObject(info.hProcess, win::INFINITE);
    win::CloseHandle(info.hProcess);
    win::CloseHandle(info.hThread);
  }
}

void Undo::services() {
  for (auto& r : lists_.services.records()) {
    if (cancelled()) return;
    counted();
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    show(58, r.name);
    DeleteNtService(r.name);
    WaitWithMessages(kServiceDeleteWaitMs);
  }
}

bool Undo::subSystem() {
  if (!state_.hasSubSystem || !(automatic_ || state_.subSystemSelected)) return true;
  if (rollback_ && state_.subSystemInstallation != first_) return true;
  show(44, state_.subSystem);
  return RemoveDatabaseEngine() != 1;
}

void Undo::iniFiles() {
  for (auto& r : lists_.iniFiles.records()) {
    if (cancelled()) return;
    counted();
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    showPath(33, r.name);
    SetFileAttrs(r.name, 0);
    DeleteOneFile(r.name);
  }
}

void Undo::iniEntries() {
  for (auto& r : lists_.iniEntries.records()) {
    if (cancelled()) return;
    counted();
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    if (win::GetFileAttributes(r.file.c_str()) == win::INVALID_FILE_ATTRIBUTES) continue;
    showPath(34, r.file);
    const std::string& value = rollback_ ? r.rollbackOldValue : r.oldValue;
    win::WritePrivateProfileString(r.section.c_str(), r.item.c_str(), value.empty() ? nullptr : value.c_str(),
                                   r.file.c_str());
  }
}

void Undo::editedFiles() {
  if (!rollback_) return;
  for (auto& r : lists_.editedFiles.records())
    if (inRange(r.installation) && win::GetFileAttributes(r.backup.c_str()) != win::INVALID_FILE_ATTRIBUTES)
      RemoveOrRestoreFile(r.path, r.backup, true);
}

void Undo::sharedAndRegistration(ItemList<FileRecord>& list, bool system) {
  auto& records = list.records();
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    FileRecord& r = *it;
    const bool takesPart = system ? (r.selected || Run().newShell)
                                  : ((automatic_ && (r.deleteFlag || rollback_)) || r.selected);
    if (!takesPart || !inRange(r.installation)) continue;
    int result = 0;
    if (r.sharedInstallation >= first_) result = DecrementSharedDllCount(r.path);
    if (result == 1) {
      if (!restoredHere(r)) r.path.clear();
      continue;
    }
    if (system && result == 2) r.selected = 1;
    if (system && (!r.selected || r.path.empty())) continue;
    if (!((r.backupInstallation == r.installation && r.backup.empty()) || !rollback_)) continue;
    if (r.selfRegister >= first_) UnregisterServer(text(40), r.path, false);
    if (r.device >= first_) RemoveVxdDevice(r.path);
  }
}

void Undo::deleteFiles(ItemList<FileRecord>& list, bool system) {
  for (auto& r : list.records()) {
    if (cancelled()) return;
    counted();
    if (r.path.empty() || !inRange(r.installation)) continue;
    const bool takesPart = system ? (r.selected || restoredHere(r))
                                  : ((automatic_ && (r.deleteFlag || restoredHere(r))) || r.selected);
    if (!takesPart) continue;
    if (RemoveOrRestoreFile(r.path, r.backup, restoredHere(r))) showPath(system ? 30 : 29, r.path);
  }
}

void Undo::reregister(ItemList<FileRecord>& list, bool system) {
  for (auto& r : list.records()) {
    if (cancelled()) return;
    if (r.path.empty() || !inRange(r.installation) || !restoredHere(r) || r.selfRegister < first_) continue;
    const bool takesPart = system || automatic_ || r.selected;
    if (takesPart) UnregisterServer(text(40), r.path, true);
  }
}

void Undo::theLog() {
  if (cancelled() || !automatic_) return;
  if (!rollback_ || state_.lastOffset == 0) {
    DeleteOneFile(logPath_);
    return;
  }
  win::HANDLE file = win::CreateFile(logPath_.c_str(), win::GENERIC_WRITE, 0, nullptr, win::OPEN_EXISTING,
                                     win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return;
  win::SetFilePointer(file, static_cast<win::LONG>(state_.lastOffset), nullptr, win::FILE_BEGIN);
  win::SetEndOfFile(file);
  win::CloseHandle(file);
}

void Undo::directories() {
  for (auto& r : lists_.directories.records()) {
    if (cancelled()) return;
    counted();
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    std::string path = r.path;
    if (EndsWithBackslash(path)) path.pop_back();
    // A custom choice empties only directories the undone installations made.
    const bool withFiles = r.tree >= first_ || (!automatic_ && r.madeDir >= first_);
    showPath(withFiles ? 31 : 32, path);
    RemoveDirectoryTree(path, withFiles);
  }
}

void Undo::registryValues() {
  for (auto& r : lists_.registryRestore.records()) {
    if (cancelled()) return;
    counted();
    if (!wanted(r.selected) || !inRange(r.installation)) continue;
    show(36, ShortKey(r.key));
    RestoreRegistryValue(r.root, r.key, r.name, r.type, rollback_ ? r.rollbackOldTexts : r.oldData);
  }
}

void Undo::registryKeys() {
  auto& records = lists_.registryRemove.records();
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (cancelled()) return;
    counted();
    if (!wanted(it->selected) || !inRange(it->installation)) continue;
    show(35, ShortKey(it->key));
    RemoveRegistryValue(it->root, it->key, it->name);
  }
}

void Undo::registryTrees() {
  auto& records = lists_.registryTrees.records();
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (cancelled()) return;
    counted();
    if (!wanted(it->selected) || !inRange(it->installation)) continue;
    show(56, ShortKey(it->key));
    DeleteRegistryTree(it->key, it->root);
  }
}

void Undo::icons() {
  ProgmanSession session;
  bool opened = false;
  for (auto& r : lists_.icons.records()) {
    if (cancelled()) break;
    counted();
    if (!wanted(r.selected) || (rollback_ && r.installation != first_)) continue;
    if (!opened) ReadProgmanGroups(session);
    opened = true;
    show(37, r.item);
    DeleteProgmanItem(session, r);
  }
  if (!opened) return;
  SetProgressText(std::nullopt);
  EndProgmanSession(session);
}

void Undo::run() {
  prepare();
  programs();
  services();
  if (!subSystem()) return;
  iniFiles();
  iniEntries();
  editedFiles();
  sharedAndRegistration(lists_.privateFiles, false);
  sharedAndRegistration(lists_.systemFiles, true);
  deleteFiles(lists_.privateFiles, false);
  deleteFiles(lists_.systemFiles, true);
  if (rollback_) {
    reregister(lists_.privateFiles, false);
    reregister(lists_.systemFiles, true);
  }
  theLog();
  directories();
  registryValues();
  registryKeys();
  registryTrees();
  icons();
}

}  // namespace

void PerformUninstall(const std::string& logPath, LogState& state) { Undo(logPath, state).run(); }

}  // namespace remvex
