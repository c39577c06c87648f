#include "wizard/page_table.h"

#include "constants.h"

namespace remvex {

namespace {

std::string bounded(std::string line) {
  if (line.size() > kListLineLimit) line.resize(kListLineLimit);
  return line;
}

std::string withoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string registryRestoreLine(const RegistryRestoreRecord& r) {
  std::string old = r.oldData.empty() ? std::string() : r.oldData.front();
  if (old.size() > kOldTextLimit) old.resize(kOldTextLimit);
  if (r.name.empty()) return r.key + "=" + old;
  return r.key + " Value Name: " + r.name + "=" + old;
}

template <typename Record, typename Line>
void addLines(const ItemList<Record>& list, Line line, std::vector<std::string>& out) {
  for (const Record& r : list.records()) out.push_back(bounded(line(r)));
}

template <typename Record>
void addSelections(ItemList<Record>& list, std::vector<std::uint32_t*>& out) {
  for (Record& r : list.records()) out.push_back(&r.selected);
}

}  // namespace

PageTexts TextsOfPage(std::uint8_t page) {
  static const PageTexts table[] = {
      {16, 7, true, 10, 60, 61}, {78, 6}, {8, 9},  {11, 12}, {14, 15}, {17, 18}, {20, 21},
      {54, 55},                  {23, 24}, {26, 27}, {42, 41}, {19, 13, true, 22}, {64, 65, false, 66, 51, 52},
  };
  return page < std::size(table) ? table[page] : PageTexts{};
}

bool IsListPage(std::uint8_t page) { return page >= 1 && page <= 10; }

std::vector<std::string> PageLines(std::uint8_t page, const LogState& log) {
  const ItemLists& l = log.lists;
  std::vector<std::string> out;
  switch (page) {
    case 1: addLines(l.privateFiles, [](const FileRecord& r) { return r.path; }, out); break;
    case 2: addLines(l.systemFiles, [](const FileRecord& r) { return r.path; }, out); break;
    case 3:
      addLines(l.directories, [](const DirectoryRecord& r) { return withoutTrailingBackslash(r.path); }, out);
      break;
    case 4: addLines(l.iniFiles, [](const IniFileRecord& r) { return r.name; }, out); break;
    case 5:
      addLines(l.iniEntries,
               [](const IniEntryRecord& r) { return r.file + ": [" + r.section + "] " + r.item + "=" + r.oldValue; },
               out);
      break;
    case 6:
      addLines(l.registryRemove,
               [](const RegistryRemoveRecord& r) { return r.name.empty() ? r.key : r.key + " Value Name: " + r.name; },
               out);
      break;
    case 7: addLines(l.registryTrees, [](const RegistryTreeRecord& r) { return r.key; }, out); break;
    case 8: addLines(l.registryRestore, registryRestoreLine, out); break;
    case 9: addLines(l.icons, [](const IconRecord& r) { return r.item; }, out); break;
    case 10:
      if (log.hasSubSystem) out.push_back(bounded(log.subSystem));
      addLines(l.programs, [](const ProgramRecord& r) { return r.name.empty() ? r.path : r.name; }, out);
      addLines(l.services, [](const ServiceRecord& r) { return r.name; }, out);
      break;
    default: break;
  }
  return out;
}

std::vector<std::uint32_t*> PageSelections(std::uint8_t page, LogState& log) {
  ItemLists& l = log.lists;
  std::vector<std::uint32_t*> out;
  switch (page) {
    case 1: addSelections(l.privateFiles, out); break;
    case 2: addSelections(l.systemFiles, out); break;
    case 3: addSelections(l.directories, out); break;
    case 4: addSelections(l.iniFiles, out); break;
    case 5: addSelections(l.iniEntries, out); break;
    case 6: addSelections(l.registryRemove, out); break;
    case 7: addSelections(l.registryTrees, out); break;
    case 8: addSelections(l.registryRestore, out); break;
    case 9: addSelections(l.icons, out); break;
    case 10:
      if (log.hasSubSystem) out.push_back(&log.subSystemSelected);
      addSelections(l.programs, out);
      addSelections(l.services, out);
      break;
    default: break;
  }
  return out;
}

}  // namespace remvex
