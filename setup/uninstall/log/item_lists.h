// The uninstaller's item lists: what the installation log says was changed,
// one list per kind, each bounded to kListCapacity records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "constants.h"

namespace remvex {

template <typename Record>
class ItemList {
 public:
  // Adds a record; false (and nothing added) when the list is full.
  bool add(Record record) {
    if (records_.size() >= kListCapacity) return false;
    records_.push_back(std::move(record));
    return true;
  }
  std::vector<Record>& records() { return records_; }
  const std::vector<Record>& records() const { return records_; }
  std::size_t size() const { return records_.size(); }

 private:
  std::vector<Record> records_;
};

struct FileRecord {
  std::string path, backup;
  std::uint32_t selected = 0;
  std::uint32_t deleteFlag = 0;
  std::uint16_t selfRegister = 0, device = 0, installation = 0, backupInstallation = 0, sharedInstallation = 0;
};
struct EditedFileRecord {
  std::string path, backup;
  std::uint16_t installation = 0;
};
struct DirectoryRecord {
  std::string path;  // ends with a backslash
  std::uint32_t selected = 0;
  std::uint16_t tree = 0, installation = 0;
  std::uint16_t madeDir = 0;  // the last installation whose "Made Dir:" line names it
};
struct IniFileRecord {
  std::string name;
  std::uint32_t selected = 0;
  std::uint16_t installation = 0;
};
struct IniEntryRecord {
  std::string file, section, item, oldValue, rollbackOldValue;
  std::uint32_t selected = 0;
  std::uint16_t installation = 0;
};
struct RegistryRemoveRecord {
  std::string key, name;
  std::uint32_t root = 0, selected = 0;
  std::uint16_t installation = 0;
};
struct RegistryTreeRecord {
  std::string key;
  std::uint32_t root = 0, selected = 0;
  std::uint16_t installation = 0;
};
struct RegistryRestoreRecord {
  std::string key, name;
  std::vector<std::string> oldData;  // the texts; stored NUL-separated with an empty one last
  std::string rollbackOldData;
  std::vector<std::string> rollbackOldTexts;  // every text of the latest "RegDB Old:" group
  std::uint32_t root = 0, type = 0, selected = 0;
  std::uint16_t installation = 0;
};
struct IconRecord {
  std::string group, item, command;
  std::uint32_t selected = 0;
  std::uint16_t installation = 0;
};
struct ProgramRecord {
  std::string path, name;
  std::uint32_t selected = 0;
  std::uint16_t installation = 0;
};
struct ServiceRecord {
  std::string name;
  std::uint32_t selected = 0;
  std::uint16_t installation = 0;
};

struct ItemLists {
  ItemList<FileRecord> privateFiles, systemFiles;
  ItemList<EditedFileRecord> editedFiles;
  ItemList<DirectoryRecord> directories;
  ItemList<IniFileRecord> iniFiles;
  ItemList<IniEntryRecord> iniEntries;
  ItemList<RegistryRemoveRecord> registryRemove;
  ItemList<RegistryTreeRecord> registryTrees;
  ItemList<RegistryRestoreRecord> registryRestore;
  ItemList<IconRecord> icons;
  ItemList<ProgramRecord> programs;
  ItemList<ServiceRecord> services;
};

// Product data for the status report.
struct ProductData {
  std::string mif, manufacturer, product, version, serial;
};

// Everything the log reader fills.
struct LogState {
  std::uint16_t installations = 0;
  std::uint32_t lastOffset = 0;
  std::uint32_t ansi = 0;
  std::uint32_t rollbackOffered = 0;
  std::string title;
  std::string windowTitle;   // empty when a title argument was given
  std::string logDirectory;  // for the second stage: short names, ends with a backslash
  ProductData product;
  bool hasSubSystem = false;
  std::string subSystem;
  std::uint32_t subSystemSelected = 0;
  std::uint16_t subSystemInstallation = 0;  // the installation of the last "SubSystem: B" line
  ItemLists lists;
};

}  // namespace remvex
