// The registry undo: the bytes written from logged texts, removed keys taking
// their emptied parents along, and keys that are never removed.
#include "system/registry_undo.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win/error.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

void makeKey(win::HKEY hive, const std::string& key) {
  win::HKEY k = nullptr;
  ASSERT_EQ(win::RegCreateKeyEx(hive, key.c_str(), 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &k, nullptr),
            win::ERROR_SUCCESS);
  win::RegCloseKey(k);
}

void setText(win::HKEY hive, const std::string& key, const char* name, const char* text) {
  win::HKEY k = nullptr;
  ASSERT_EQ(win::RegCreateKeyEx(hive, key.c_str(), 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &k, nullptr),
            win::ERROR_SUCCESS);
  win::RegSetValueEx(k, name, 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(text),
                     static_cast<win::DWORD>(std::string(text).size() + 1));
  win::RegCloseKey(k);
}

bool keyExists(win::HKEY hive, const std::string& key) {
  win::HKEY k = nullptr;
  if (win::RegOpenKeyEx(hive, key.c_str(), 0, win::KEY_READ, &k) != win::ERROR_SUCCESS) return false;
  win::RegCloseKey(k);
  return true;
}

TEST(RegistryUndoTest, LoggedTextsBecomeTheValueBytes) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::string> texts;
    win::DWORD regType;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"largest DWORD", 3, {"4294967295"}, win::REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"DWORD", 3, {"258"}, win::REG_DWORD, {0x02, 0x01, 0, 0}},
      {"hexadecimal in either case", 4, {"0a1B"}, win::REG_BINARY, {0x0A, 0x1B}},
      {"hexadecimal with separators and an odd nibble", 4, {"0a 1b-c"}, win::REG_BINARY, {0x0A, 0x1B}},
      {"three texts", 2, {"a", "b", "c"}, win::REG_MULTI_SZ, {'a', 0, 'b', 0, 'c', 0, 0}},
      {"one empty text", 2, {""}, win::REG_MULTI_SZ, {0, 0}},
      {"text", 0, {"v", "ignored"}, win::REG_SZ, {'v', 0}},
      {"expandable text", 1, {"%WINDIR%"}, win::REG_EXPAND_SZ, {'%', 'W', 'I', 'N', 'D', 'I', 'R', '%', 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    makeKey(win::HKEY_CURRENT_USER, "Software\\Demo");
    ASSERT_TRUE(remvex::RestoreRegistryValue(1, "Software\\Demo", "V", c.type, c.texts));
    win::HKEY k = nullptr;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_CURRENT_USER, "Software\\Demo", 0, win::KEY_READ, &k), win::ERROR_SUCCESS);
    std::uint8_t bytes[64] = {};
    win::DWORD type = 0, size = sizeof bytes;
    EXPECT_EQ(win::RegQueryValueEx(k, "V", nullptr, &type, bytes, &size), win::ERROR_SUCCESS);
    win::RegCloseKey(k);
    EXPECT_EQ(type, c.regType);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + size), c.bytes);
  }
}

TEST(RegistryUndoTest, DwordTextThatIsNoUnsignedNumberWritesNothing) {
  for (const char* text : {"4294967296", "-1", "12x", ""}) {
    SCOPED_TRACE(text);
    TestMachine m;
    makeKey(win::HKEY_CURRENT_USER, "Software\\Demo");
    EXPECT_FALSE(remvex::RestoreRegistryValue(1, "Software\\Demo", "V", 3, {text}));
  }
}

TEST(RegistryUndoTest, RemovedValueTakesEmptiedKeysUpward) {
  struct Case {
    const char* name;
    void (*seed)();
    std::vector<const char*> gone, kept;  // keys under HKEY_LOCAL_MACHINE
  };
  const Case cases[] = {
      {"emptied parent goes", [] {}, {"Software\\Vendor\\App", "Software\\Vendor"}, {"Software"}},
      {"parent with another sub-key stays",
       [] { makeKey(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Other"); },
       {"Software\\Vendor\\App"},
       {"Software\\Vendor", "Software\\Vendor\\Other"}},
      {"parent with a value stays",
       [] { setText(win::HKEY_LOCAL_MACHINE, "Software\\Vendor", "Keep", "1"); },
       {"Software\\Vendor\\App"},
       {"Software\\Vendor"}},
      {"key with another value stays",
       [] { setText(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App", "Other", "1"); },
       {},
       {"Software\\Vendor\\App"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    makeKey(win::HKEY_LOCAL_MACHINE, "Software\\Sibling");
    setText(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App", "Path", "C:\\APP");
    c.seed();
    remvex::RemoveRegistryValue(2, "Software\\Vendor\\App", "Path");
    for (const char* k : c.gone) EXPECT_FALSE(keyExists(win::HKEY_LOCAL_MACHINE, k)) << k;
    for (const char* k : c.kept) EXPECT_TRUE(keyExists(win::HKEY_LOCAL_MACHINE, k)) << k;
  }
}

TEST(RegistryUndoTest, HivesAndTopLevelTreesAreNeverRemoved) {
  struct Case {
    const char* name;
    const char* key;
    std::uint32_t root;
    bool tree;
    const char* survivor;  // a key under the root that must stay
  };
  const Case cases[] = {
      {"empty key tree", "", 2, true, "Software\\Vendor\\App"},
      {"backslashes only, tree", "\\\\", 2, true, "Software\\Vendor\\App"},
      {"empty key value removal", "", 2, false, "Software\\Vendor\\App"},
      {"one-component tree", "Software", 2, true, "Software\\Vendor\\App"},
      {"one-component tree with a backslash", "\\Software\\", 1, true, "Software\\Vendor\\App"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    setText(remvex::RegistryRoot(c.root), "Software\\Vendor\\App", "Path", "x");
    if (c.tree) remvex::DeleteRegistryTree(c.key, c.root);
    else remvex::RemoveRegistryValue(c.root, c.key, "");
    EXPECT_TRUE(keyExists(remvex::RegistryRoot(c.root), c.survivor));
  }
}

TEST(RegistryUndoTest, TreeGoesWithEverySubKey) {
  TestMachine m;
  setText(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App\\A\\B", "x", "1");
  setText(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App\\C", "y", "2");
  makeKey(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Other");
  remvex::DeleteRegistryTree("Software\\Vendor\\App", 2);
  EXPECT_FALSE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App"));
  EXPECT_TRUE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Other"));
  // One component under the classes root is a file type of its own.
  makeKey(win::HKEY_CLASSES_ROOT, ".dem\\ShellNew");
  remvex::DeleteRegistryTree(".dem", 0);
  EXPECT_FALSE(keyExists(win::HKEY_CLASSES_ROOT, ".dem"));
}

}  // namespace
