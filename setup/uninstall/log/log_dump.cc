#include "log/log_dump.h"

#include <cstdio>
#include <sstream>

namespace remvex {

namespace {

std::string text(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

template <typename List, typename Line>
void list(std::ostringstream& out, const char* name, const List& l, Line line) {
  out << name << ": " << l.size() << "\n";
  for (const auto& r : l.records()) out << "  " << line(r) << "\n";
}

std::string joined(const std::vector<std::string>& texts) {
  std::string out;
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? "|" : "") + text(texts[i]);
  return out;
}

}  // namespace

std::string DumpLogState(const LogState& s) {
  std::ostringstream out;
  out << "installations: " << s.installations << "\n"
      << "last offset: " << s.lastOffset << "\n"
      << "ansi: " << s.ansi << "\n"
      << "rollback offered: " << s.rollbackOffered << "\n"
      << "title: " << text(s.title) << "\n"
      << "window title: " << text(s.windowTitle) << "\n"
      << "log directory: " << text(s.logDirectory) << "\n"
      << "product: " << text(s.product.mif) << "|" << text(s.product.manufacturer) << "|" << text(s.product.product)
      << "|" << text(s.product.version) << "|" << text(s.product.serial) << "\n"
      << "sub-system: " << (s.hasSubSystem ? text(s.subSystem) : "-") << "\n";
  auto file = [](const FileRecord& r) {
    std::ostringstream l;
    l << text(r.path) << " backup=" << text(r.backup) << " sel=" << r.selected << " delete=" << r.deleteFlag
      << " selfreg=" << r.selfRegister << " device=" << r.device << " inst=" << r.installation
      << " backup-inst=" << r.backupInstallation << " shared-inst=" << r.sharedInstallation;
    return l.str();
  };
  const ItemLists& L = s.lists;
  list(out, "private files", L.privateFiles, file);
  list(out, "system files", L.systemFiles, file);
  list(out, "edited files", L.editedFiles, [](const EditedFileRecord& r) {
    return text(r.path) + " backup=" + text(r.backup) + " inst=" + std::to_string(r.installation);
  });
  list(out, "directories", L.directories, [](const DirectoryRecord& r) {
    return text(r.path) + " tree=" + std::to_string(r.tree) + " inst=" + std::to_string(r.installation);
  });
  list(out, "ini files", L.iniFiles, [](const IniFileRecord& r) {
    return text(r.name) + " inst=" + std::to_string(r.installation);
  });
  list(out, "ini entries", L.iniEntries, [](const IniEntryRecord& r) {
    return text(r.file) + " [" + text(r.section) + "] " + text(r.item) + " old=" + text(r.oldValue) +
           " rollback=" + text(r.rollbackOldValue) + " inst=" + std::to_string(r.installation);
  });
  list(out, "registry remove", L.registryRemove, [](const RegistryRemoveRecord& r) {
    return std::to_string(r.root) + " " + text(r.key) + " name=" + text(r.name) +
           " inst=" + std::to_string(r.installation);
  });
  list(out, "registry trees", L.registryTrees, [](const RegistryTreeRecord& r) {
    return std::to_string(r.root) + " " + text(r.key) + " inst=" + std::to_string(r.installation);
  });
  list(out, "registry restore", L.registryRestore, [](const RegistryRestoreRecord& r) {
    return std::to_string(r.root) + " " + text(r.key) + " name=" + text(r.name) + " type=" + std::to_string(r.type) +
           " old=" + joined(r.oldData) + " rollback=" + text(r.rollbackOldData) +
           " inst=" + std::to_string(r.installation);
  });
  list(out, "icons", L.icons, [](const IconRecord& r) {
    return text(r.group) + " / " + text(r.item) + " cmd=" + text(r.command) +
           " inst=" + std::to_string(r.installation);
  });
  list(out, "programs", L.programs, [](const ProgramRecord& r) {
    return text(r.path) + " name=" + text(r.name) + " inst=" + std::to_string(r.installation);
  });
  list(out, "services", L.services, [](const ServiceRecord& r) {
    return text(r.name) + " inst=" + std::to_string(r.installation);
  });
  return out.str();
}

}  // namespace remvex
