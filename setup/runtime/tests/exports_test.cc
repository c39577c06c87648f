// libMERL0132.so exports nothing but the interface's names (DllMain and the
// platform's resource table aside), and DllMain keeps the module handle.
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "entry/dll_main.h"
#include "merl/setup_interface.h"

namespace {

// Written out from the interface, not taken from exports.map.
std::set<std::string> allowedNames() {
  std::set<std::string> names = {"MerlMain",      "UpdateScreen", "HandleFtp",   "DiskPrompt",
                                 "FileWrite",     "DDECallback",  "MessageBoxDlg", "CopyDlg",
                                 "PathNameDlg",   "LanguageDlg",  "SearchDlg",   "CustomDlg",
                                 "WizardDlg",     "DisplayGraphics", "DllMain",  "ids_resource_table"};
  for (int n : {0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 15, 16, 17, 19, 20, 21, 22, 23, 25, 27, 28, 29, 30, 31, 33, 34, 35})
    names.insert("f" + std::to_string(n));
  return names;
}

// The names of `nm -D --defined-only`.
std::set<std::string> definedDynamicNames(const std::string& library) {
  std::set<std::string> names;
  std::string command = "nm -D --defined-only '" + library + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream fields(line);
    std::string value, kind, name;
    if (fields >> value >> kind >> name) names.insert(name);
  }
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return names;
}

TEST(Exports, LibraryDefinesOnlyTheInterfaceNames) {
  const std::set<std::string> allowed = allowedNames();
  const std::set<std::string> defined = definedDynamicNames(MERL0132_FILE);
  ASSERT_FALSE(defined.empty());
  for (const auto& name : defined) EXPECT_TRUE(allowed.count(name)) << "exports " << name;
  for (const char* name : {"DllMain", "FileWrite", "MerlMain", "ids_resource_table"}) EXPECT_TRUE(defined.count(name)) << name;
}

TEST(Exports, TheScreenServicesDiskPromptAndDdeCallbackAreExported) {
  const std::set<std::string> defined = definedDynamicNames(MERL0132_FILE);
  for (const char* name : {"UpdateScreen", "HandleFtp", "DiskPrompt", "DDECallback"})
    EXPECT_TRUE(defined.count(name)) << name;
}

TEST(Exports, TheStartupEditActionsAreExportedUndecorated) {
  const std::set<std::string> defined = definedDynamicNames(MERL0132_FILE);
  for (const char* name : {"f0", "f1", "f2", "f3", "f21", "f25", "f35"}) EXPECT_TRUE(defined.count(name)) << name;
}

TEST(Exports, DllMainKeepsTheModuleHandleForEveryReason) {
  win::HINSTANCE previous = merl::ownModule();
  for (win::DWORD reason : {1u, 2u, 3u, 0u}) {
    auto module = win::handleFromValue<win::HINSTANCE>(0x40 + reason);
    EXPECT_EQ(DllMain(module, reason, nullptr), win::TRUE);
    EXPECT_EQ(merl::ownModule(), module);
  }
  DllMain(previous, 0, nullptr);  // later cases find the dialogs in this program again
}

}  // namespace
