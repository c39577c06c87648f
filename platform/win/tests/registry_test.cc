// Registry calls: a table per call family with the codes Windows gives, data
// byte-exact (also in a second process), writers in two processes, read-only
// keys, a store that does not parse, and the servers' event-source key beside
// the machine's own keys.
#include "win/registry.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform_testing/child_process.h"
#include "win/error.h"
#include "win_testing/test_machine.h"

namespace {

using namespace std::string_literals;
using win::DWORD;
using win::HKEY;
using win::LSTATUS;
using win::UniqueKey;
using win_testing::TestMachine;
using Bytes = std::vector<win::BYTE>;

constexpr LSTATUS code(DWORD error) { return static_cast<LSTATUS>(error); }

Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

LSTATUS create(HKEY base, const char* sub, UniqueKey& key, DWORD* disposition = nullptr,
               win::REGSAM sam = win::KEY_ALL_ACCESS) {
  return win::RegCreateKeyEx(base, sub, 0, nullptr, win::REG_OPTION_NON_VOLATILE, sam, nullptr, key.put(),
                             disposition);
}

LSTATUS open(HKEY base, const char* sub, UniqueKey& key, win::REGSAM sam = win::KEY_ALL_ACCESS) {
  return win::RegOpenKeyEx(base, sub, 0, sam, key.put());
}

LSTATUS set(HKEY key, const char* name, DWORD type, const Bytes& data) {
  return win::RegSetValueEx(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

struct Queried {
  LSTATUS rc = 0;
  DWORD type = 0;
  Bytes data;
};

Queried query(HKEY key, const char* name) {
  Queried q;
  DWORD size = 0;
  q.rc = win::RegQueryValueEx(key, name, nullptr, &q.type, nullptr, &size);
  if (q.rc) return q;
  q.data.resize(size);
  q.rc = win::RegQueryValueEx(key, name, nullptr, &q.type, q.data.data(), &size);
  q.data.resize(size);
  return q;
}

std::string storeText() {
  std::string text;
  platform::readWholeFile(platform::registryStorePath(), text);
  return text;
}

// Runs the probe program on the test's machine.
class Probe {
 public:
  Probe(const TestMachine& m, std::vector<std::string> args)
      : child_(WIN_REGISTRY_PROBE, m.stateDir(), {{"IDS_PLATFORM_DIR", m.stateDir()}}, std::move(args)) {}
  int wait() { return child_.waitExit(60000); }
  std::string out() const { return child_.stdoutText(); }
  std::string err() const { return child_.stderrText(); }

 private:
  platform_testing::ChildProcess child_;
};

const DWORD kNone = 0xFFFFFFFF;  // no disposition expected

TEST(RegistryTest, CreateSaysCreatedOrOpenedAndOpenFindsKeysWithoutRegardToCase) {
  TestMachine m;
  UniqueKey app;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App", app), 0);
  struct Case {
    HKEY base;
    const char* sub;
    bool isCreate;
    LSTATUS rc;
    DWORD disposition;
  };
  const Case cases[] = {
      {win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App", true, 0, win::REG_OPENED_EXISTING_KEY},
      {win::HKEY_LOCAL_MACHINE, "SOFTWARE\\vendor", true, 0, win::REG_OPENED_EXISTING_KEY},  // parents made too
      {win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\App\\", true, 0, win::REG_OPENED_EXISTING_KEY},
      {win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Other", true, 0, win::REG_CREATED_NEW_KEY},
      {app.get(), "Sub\\Deeper", true, 0, win::REG_CREATED_NEW_KEY},
      {app.get(), "", true, 0, win::REG_OPENED_EXISTING_KEY},
      {win::HKEY_CLASSES_ROOT, ".ids", true, 0, win::REG_CREATED_NEW_KEY},
      {win::HKEY_CURRENT_USER, "Software\\Vendor", true, 0, win::REG_CREATED_NEW_KEY},  // roots apart
      {win::HKEY_USERS, ".DEFAULT\\Ids", true, 0, win::REG_CREATED_NEW_KEY},
      {win::HKEY_CURRENT_CONFIG, "Ids", true, 0, win::REG_CREATED_NEW_KEY},
      {win::HKEY_LOCAL_MACHINE, "software\\VENDOR\\app\\sub\\DEEPER", false, 0, kNone},
      {win::HKEY_LOCAL_MACHINE, "Software\\Vendor\\Missing", false, code(win::ERROR_FILE_NOT_FOUND), kNone},
      {win::HKEY_USERS, "Software\\Vendor", false, code(win::ERROR_FILE_NOT_FOUND), kNone},
      {app.get(), nullptr, false, 0, kNone},  // a new handle to the same key
      {win::HKEY_LOCAL_MACHINE, "", false, 0, kNone},
      {win::HKEY_LOCAL_MACHINE, "\\Software", false, code(win::ERROR_BAD_PATHNAME), kNone},
      {win::HKEY_LOCAL_MACHINE, "\\Software", true, code(win::ERROR_BAD_PATHNAME), kNone},
      {win::HKEY_LOCAL_MACHINE, "Software\\\\x", true, code(win::ERROR_BAD_PATHNAME), kNone},
      {win::HKEY_LOCAL_MACHINE, nullptr, true, code(win::ERROR_INVALID_PARAMETER), kNone},
      {win::HKEY_PERFORMANCE_DATA, "x", true, code(win::ERROR_INVALID_HANDLE), kNone},
      {win::handleFromValue<HKEY>(0x1234), "x", false, code(win::ERROR_INVALID_HANDLE), kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sub ? c.sub : "(null)") + (c.isCreate ? " created" : " opened"));
    UniqueKey key;
    DWORD disposition = kNone;
    LSTATUS rc = c.isCreate ? create(c.base, c.sub, key, &disposition) : open(c.base, c.sub, key);
    EXPECT_EQ(rc, c.rc);
    EXPECT_EQ(disposition, c.rc ? kNone : c.disposition);
    EXPECT_EQ(static_cast<bool>(key), rc == 0);
  }
  std::string longName(256, 'n');
  UniqueKey key;
  EXPECT_EQ(create(win::HKEY_LOCAL_MACHINE, longName.c_str(), key), code(win::ERROR_INVALID_PARAMETER));
  EXPECT_EQ(create(win::HKEY_LOCAL_MACHINE, longName.substr(1).c_str(), key), 0);
}

TEST(RegistryTest, ValuesOfEveryTypeReadBackByteExact) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_CURRENT_USER, "Software\\Types", key), 0);
  struct Case {
    const char* name;
    DWORD type;
    Bytes data;
  };
  const Case cases[] = {
      {"", win::REG_SZ, bytes("default\0"s)},
      {"Path", win::REG_SZ, bytes("C:\\Program Files\\App\\a b.exe\0"s)},
      {"Expand", win::REG_EXPAND_SZ, bytes("%SystemRoot%\\x\tt\n\r\\\0"s)},
      {"Binary", win::REG_BINARY, {0x00, 0x0A, 0x0D, 0x5C, 0x09, 0xFF}},
      {"Dword", win::REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}},
      {"Multi", win::REG_MULTI_SZ, bytes("one\0two words\0\0"s)},
      {"MultiCut", win::REG_MULTI_SZ, bytes("a\0b\0"s)},          // as written, without the closing zero
      {"NoZero", win::REG_SZ, bytes("abc")},                        // a string set without its terminator
      {"Empty", win::REG_SZ, {}},
      {"ShortDword", win::REG_DWORD, {1, 2}},
      {"None", win::REG_NONE, {}},
      {"Qword", win::REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"Odd", 0x12345678, {0xCA, 0xFE}},
  };
  for (const auto& c : cases) ASSERT_EQ(set(key.get(), c.name, c.type, c.data), 0) << c.name;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Queried q = query(key.get(), c.name);
    ASSERT_EQ(q.rc, 0);
    EXPECT_EQ(q.type, c.type);
    EXPECT_EQ(q.data, c.data);
  }
  ASSERT_EQ(set(key.get(), "dword", win::REG_BINARY, {7}), 0);  // the same value, named in another case
  EXPECT_EQ(query(key.get(), "DWORD").data, Bytes{7});
  EXPECT_EQ(query(key.get(), nullptr).data, bytes("default\0"s));  // NULL names the default value
  EXPECT_EQ(query(key.get(), "Missing").rc, code(win::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(win::RegSetValueEx(key.get(), "x", 0, win::REG_BINARY, nullptr, 4), code(win::ERROR_INVALID_PARAMETER));
  EXPECT_EQ(set(win::HKEY_LOCAL_MACHINE, "OnTheRoot", win::REG_SZ, bytes("x\0"s)), code(win::ERROR_ACCESS_DENIED));
}

TEST(RegistryTest, ShortBufferGetsMoreDataAndTheSizeAndIsNeverWrittenPast) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Sizes", key), 0);
  ASSERT_EQ(set(key.get(), "Text", win::REG_SZ, bytes("0123456789\0"s)), 0);
  struct Case {
    DWORD offered;
    LSTATUS rc;
    DWORD sizeAfter;
    std::size_t written;
  };
  const Case cases[] = {{0, code(win::ERROR_MORE_DATA), 11, 0},
                        {10, code(win::ERROR_MORE_DATA), 11, 0},
                        {11, 0, 11, 11},
                        {64, 0, 11, 11}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offered);
    Bytes buffer(c.offered + 8, 0xAA);
    DWORD size = c.offered, type = 0;
    EXPECT_EQ(win::RegQueryValueEx(key.get(), "Text", nullptr, &type, buffer.data(), &size), c.rc);
    EXPECT_EQ(size, c.sizeAfter);
    EXPECT_EQ(type, win::REG_SZ);
    for (std::size_t i = c.written; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xAA) << "byte " << i;
  }
  DWORD size = 0;
  EXPECT_EQ(win::RegQueryValueEx(key.get(), "Text", nullptr, nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, 11u);
  Bytes buffer(16);
  EXPECT_EQ(win::RegQueryValueEx(key.get(), "Text", nullptr, nullptr, buffer.data(), nullptr),
            code(win::ERROR_INVALID_PARAMETER));

  char name[4] = {'#', '#', '#', '#'};
  DWORD nameSize = sizeof name;
  EXPECT_EQ(win::RegEnumValue(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            code(win::ERROR_MORE_DATA));
  EXPECT_EQ(std::string(name, 4), "####");
  char wide[8];
  DWORD wideSize = sizeof wide, dataSize = 4;
  Bytes data(4, 0xAA);
  EXPECT_EQ(win::RegEnumValue(key.get(), 0, wide, &wideSize, nullptr, nullptr, data.data(), &dataSize),
            code(win::ERROR_MORE_DATA));
  EXPECT_EQ(dataSize, 11u);
  EXPECT_EQ(data, Bytes(4, 0xAA));
}

TEST(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysAndTakesALeafWithItsValues) {
  TestMachine m;
  UniqueKey leaf, parent;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Gone\\Leaf", leaf), 0);
  ASSERT_EQ(set(leaf.get(), "v", win::REG_DWORD, {1, 0, 0, 0}), 0);
  ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Gone", parent), 0);
  struct Case {
    HKEY base;
    const char* sub;
    LSTATUS rc;
  };
  const Case cases[] = {
      {win::HKEY_LOCAL_MACHINE, "Software\\Gone", code(win::ERROR_ACCESS_DENIED)},  // has a subkey
      {win::HKEY_LOCAL_MACHINE, "", code(win::ERROR_ACCESS_DENIED)},                // a root
      {win::HKEY_LOCAL_MACHINE, "Software\\Gone\\Missing", code(win::ERROR_FILE_NOT_FOUND)},
      {win::HKEY_LOCAL_MACHINE, nullptr, code(win::ERROR_INVALID_PARAMETER)},
      {parent.get(), "LEAF", 0},
      {parent.get(), "Leaf", code(win::ERROR_FILE_NOT_FOUND)},
      {win::HKEY_LOCAL_MACHINE, "Software\\Gone", 0},  // empty now
  };
  for (const auto& c : cases) EXPECT_EQ(win::RegDeleteKey(c.base, c.sub), c.rc) << (c.sub ? c.sub : "(null)");
  // Handles of a deleted key say so.
  EXPECT_EQ(query(leaf.get(), "v").rc, code(win::ERROR_KEY_DELETED));
  EXPECT_EQ(set(leaf.get(), "v", win::REG_DWORD, {2, 0, 0, 0}), code(win::ERROR_KEY_DELETED));
  UniqueKey child;
  EXPECT_EQ(create(parent.get(), "New", child), code(win::ERROR_KEY_DELETED));
  EXPECT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Gone\\Leaf", child), code(win::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(storeText().find("Gone"), std::string::npos);

  UniqueKey values;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Values", values), 0);
  ASSERT_EQ(set(values.get(), "", win::REG_SZ, bytes("d\0"s)), 0);
  EXPECT_EQ(win::RegDeleteValue(values.get(), "x"), code(win::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(win::RegDeleteValue(values.get(), nullptr), 0);  // the default value
  EXPECT_EQ(query(values.get(), "").rc, code(win::ERROR_FILE_NOT_FOUND));
}

TEST(RegistryTest, EnumerationGoesByIndexUntilNoMoreItems) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\List", key), 0);
  for (const char* sub : {"beta", "Alpha", "gamma\\deep", "ALPHA2"}) {
    UniqueKey k;
    ASSERT_EQ(create(key.get(), sub, k), 0);
  }
  ASSERT_EQ(set(key.get(), "zeta", win::REG_SZ, bytes("1\0"s)), 0);
  ASSERT_EQ(set(key.get(), "LongerName", win::REG_BINARY, Bytes(40, 1)), 0);
  ASSERT_EQ(set(key.get(), "a", win::REG_DWORD, {1, 0, 0, 0}), 0);

  std::vector<std::string> keys;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    LSTATUS rc = win::RegEnumKeyEx(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == code(win::ERROR_NO_MORE_ITEMS)) break;
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(size, std::strlen(name));
    keys.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "gamma"}));

  std::vector<std::string> values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name, type = 0;
    LSTATUS rc = win::RegEnumValue(key.get(), i, name, &size, nullptr, &type, nullptr, nullptr);
    if (rc == code(win::ERROR_NO_MORE_ITEMS)) break;
    ASSERT_EQ(rc, 0);
    values.push_back(std::string(name) + ":" + std::to_string(type));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"zeta:1", "LongerName:3", "a:4"}));

  DWORD subkeys = 0, maxSubkey = 0, count = 0, maxName = 0, maxData = 0;
  ASSERT_EQ(win::RegQueryInfoKey(key.get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &count,
                                 &maxName, &maxData, nullptr, nullptr),
            0);
  EXPECT_EQ(subkeys, 4u);
  EXPECT_EQ(maxSubkey, 6u);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(maxName, 10u);
  EXPECT_EQ(maxData, 40u);

  char small[5];
  DWORD smallSize = sizeof small;
  EXPECT_EQ(win::RegEnumKeyEx(key.get(), 1, small, &smallSize, nullptr, nullptr, nullptr, nullptr),
            code(win::ERROR_MORE_DATA));
  UniqueKey root;
  ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, "", root), 0);
  char top[256];
  DWORD topSize = sizeof top;
  ASSERT_EQ(win::RegEnumKeyEx(root.get(), 0, top, &topSize, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(top, "Software");
}

TEST(RegistryTest, RightsOfAHandleLimitWhatItsCallsMayDo) {
  TestMachine m;
  {
    UniqueKey key;
    ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Rights\\Sub", key), 0);
  }
  struct Case {
    win::REGSAM access;
    LSTATUS set, query, enumKeys, deleteValue;
  };
  const LSTATUS denied = code(win::ERROR_ACCESS_DENIED), none = code(win::ERROR_FILE_NOT_FOUND);
  const Case cases[] = {
      {win::KEY_QUERY_VALUE, denied, none, denied, denied},
      {win::KEY_SET_VALUE, 0, denied, denied, 0},
      {win::KEY_READ, denied, none, 0, denied},
      {win::KEY_WRITE, 0, denied, denied, 0},
      {win::KEY_ALL_ACCESS, 0, 0, 0, 0},
      {0x3F, 0, 0, 0, 0},
      {0x80000000, denied, none, 0, denied},  // GENERIC_READ
      {0x02000000, 0, 0, 0, 0},               // MAXIMUM_ALLOWED
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.access);
    UniqueKey key;
    ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Rights", key, c.access), 0);
    EXPECT_EQ(set(key.get(), "v", win::REG_DWORD, {1, 0, 0, 0}), c.set);
    EXPECT_EQ(query(key.get(), "v").rc, c.query);
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(win::RegEnumKeyEx(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), c.enumKeys);
    EXPECT_EQ(win::RegDeleteValue(key.get(), "v"), c.deleteValue);
  }
}

TEST(RegistryTest, ReadOnlyKeysRefuseEveryWriteAndStillRead) {
  TestMachine m("[registry]\nreadonly = HKLM\\Software\\Locked\n[failures]\nregistry-readonly = hkcu\\Software\\Frozen*\n");
  // What was there before the machine came up.
  for (auto [root, path] : {std::pair{platform::RegRoot::LocalMachine, "Software\\Locked\\Sub"},
                            std::pair{platform::RegRoot::CurrentUser, "Software\\Frozen2"}}) {
    auto k = platform::RegistryKey::create(root, path);
    ASSERT_TRUE(k);
    ASSERT_TRUE(k->setString("v", "old"));
  }
  const std::string before = storeText();
  UniqueKey locked, sub, frozen;
  ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, "software\\locked", locked), 0);
  ASSERT_EQ(open(locked.get(), "Sub", sub), 0);
  ASSERT_EQ(open(win::HKEY_CURRENT_USER, "Software\\Frozen2", frozen), 0);
  const LSTATUS denied = code(win::ERROR_ACCESS_DENIED);
  UniqueKey made;
  EXPECT_EQ(set(locked.get(), "v", win::REG_SZ, bytes("new\0"s)), denied);
  EXPECT_EQ(set(sub.get(), "v", win::REG_SZ, bytes("new\0"s)), denied);  // below a read-only key
  EXPECT_EQ(set(frozen.get(), "v", win::REG_SZ, bytes("new\0"s)), denied);
  EXPECT_EQ(win::RegDeleteValue(sub.get(), "v"), denied);
  EXPECT_EQ(win::RegDeleteKey(locked.get(), "Sub"), denied);
  EXPECT_EQ(create(locked.get(), "New", made), denied);
  EXPECT_EQ(create(win::HKEY_CURRENT_USER, "Software\\FrozenToo\\x", made), denied);
  EXPECT_EQ(storeText(), before);
  EXPECT_EQ(query(sub.get(), "v").data, bytes("old\0"s));
  EXPECT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Locked\\Sub", made), 0);  // opening is no write
  EXPECT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\LockedNot", made), 0);
  EXPECT_EQ(set(made.get(), "v", win::REG_SZ, bytes("new\0"s)), 0);
}

TEST(RegistryTest, StoreLineThatDoesNotParseFailsEveryCallAndStaysAsItIs) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Kept", key), 0);
  const std::string bytesOnDisk = storeText() + "V\t0\tSoftware\\\\Kept\tbad\t4\tnot a number\n";
  ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), bytesOnDisk));
  const LSTATUS corrupt = code(win::ERROR_REGISTRY_CORRUPT);
  UniqueKey other;
  EXPECT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\New", other), corrupt);
  EXPECT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Kept", other), corrupt);
  EXPECT_EQ(set(key.get(), "v", win::REG_DWORD, {1, 0, 0, 0}), corrupt);
  EXPECT_EQ(query(key.get(), "bad").rc, corrupt);
  EXPECT_EQ(win::RegDeleteValue(key.get(), "bad"), corrupt);
  EXPECT_EQ(win::RegDeleteKey(win::HKEY_LOCAL_MACHINE, "Software\\Kept"), corrupt);
  char name[16];
  DWORD size = sizeof name;
  EXPECT_EQ(win::RegEnumKeyEx(win::HKEY_LOCAL_MACHINE, 0, name, &size, nullptr, nullptr, nullptr, nullptr), corrupt);
  EXPECT_EQ(storeText(), bytesOnDisk);
}

TEST(RegistryTest, EventSourceKeyOfTheManagementServerSurvivesTheMachinesWrites) {
  TestMachine m;
  const std::string source = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel";
  auto server = platform::RegistryKey::create(platform::RegRoot::LocalMachine, source);
  ASSERT_TRUE(server);
  ASSERT_TRUE(server->setString("EventMessageFile", "/srv/ids/cvlm.exe", platform::REG_EXPAND_SZ));
  ASSERT_TRUE(server->setDword("TypesSupported", 7));

  UniqueKey app, other;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Setup",
                   other),
            0);
  ASSERT_EQ(set(other.get(), "List", win::REG_MULTI_SZ, bytes("a\0b\0\0"s)), 0);
  ASSERT_EQ(win::RegDeleteKey(win::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application"),
            code(win::ERROR_ACCESS_DENIED));
  ASSERT_EQ(win::RegDeleteKey(win::HKEY_LOCAL_MACHINE,
                              "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Setup"),
            0);
  ASSERT_EQ(create(win::HKEY_CURRENT_CONFIG, "System\\Setup", app), 0);
  ASSERT_EQ(set(app.get(), "Odd", win::REG_SZ, bytes("no terminator")), 0);

  auto again = platform::RegistryKey::open(platform::RegRoot::LocalMachine, source);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->value("EventMessageFile")->text(), "/srv/ids/cvlm.exe");
  EXPECT_EQ(again->value("TypesSupported")->dword(), 7u);
  UniqueKey key;
  ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, source.c_str(), key, win::KEY_READ), 0);
  Queried file = query(key.get(), "EventMessageFile");
  EXPECT_EQ(file.type, win::REG_EXPAND_SZ);
  EXPECT_EQ(file.data, bytes("/srv/ids/cvlm.exe\0"s));
  Queried types = query(key.get(), "TypesSupported");
  EXPECT_EQ(types.type, win::REG_DWORD);
  EXPECT_EQ(types.data, (Bytes{7, 0, 0, 0}));
  EXPECT_NE(storeText().find("V\t0\t" + std::string("SYSTEM\\\\CurrentControlSet\\\\Services\\\\EventLog\\\\"
                                                    "Application\\\\IDSLumarel\tTypesSupported\t4\t7\n")),
            std::string::npos);
}

TEST(RegistryTest, FiveTypesReadBackByteExactInASecondProcess) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Exact", key), 0);
  ASSERT_EQ(set(key.get(), "sz", win::REG_SZ, bytes("C:\\App\\a b.exe\0"s)), 0);
  ASSERT_EQ(set(key.get(), "expand", win::REG_EXPAND_SZ, bytes("%WINDIR%\\x\0"s)), 0);
  ASSERT_EQ(set(key.get(), "binary", win::REG_BINARY, {0x00, 0x0A, 0xFF, 0x5C}), 0);
  ASSERT_EQ(set(key.get(), "dword", win::REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}), 0);
  ASSERT_EQ(set(key.get(), "multi", win::REG_MULTI_SZ, bytes("a\0b c\0\0"s)), 0);
  Probe probe(m, {"dump", "Software\\Exact"});
  ASSERT_EQ(probe.wait(), 0) << probe.err();
  EXPECT_EQ(probe.out(),
            "sz\t1\t433a5c4170705c6120622e65786500\n"
            "expand\t2\t2557494e444952255c7800\n"
            "binary\t3\t000aff5c\n"
            "dword\t4\tefbeadde\n"
            "multi\t7\t61006220630000\n");
}

TEST(RegistryTest, TwoProcessesAddingAHundredValuesEachLoseNone) {
  TestMachine m;
  Probe first(m, {"add", "Software\\Race", "first", "100"});
  Probe second(m, {"add", "Software\\Race", "second", "100"});
  ASSERT_EQ(first.wait(), 0) << first.err();
  ASSERT_EQ(second.wait(), 0) << second.err();
  UniqueKey key;
  ASSERT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Race", key, win::KEY_READ), 0);
  DWORD count = 0;
  ASSERT_EQ(win::RegQueryInfoKey(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                                 nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(count, 200u);
  for (const char* prefix : {"first", "second"})
    for (int i = 0; i < 100; ++i) {
      std::string name = prefix + std::to_string(i);
      Queried q = query(key.get(), name.c_str());
      ASSERT_EQ(q.rc, 0) << name;
      EXPECT_EQ(q.data, (Bytes{static_cast<win::BYTE>(i), 0, 0, 0})) << name;
    }
}

TEST(RegistryTest, ClosedAndUnknownHandlesAreRefused) {
  TestMachine m;
  UniqueKey key;
  ASSERT_EQ(create(win::HKEY_LOCAL_MACHINE, "Software\\Close", key), 0);
  HKEY raw = key.release();
  EXPECT_EQ(win::RegFlushKey(raw), 0);
  EXPECT_EQ(win::RegCloseKey(raw), 0);
  EXPECT_EQ(win::RegCloseKey(raw), code(win::ERROR_INVALID_HANDLE));
  EXPECT_EQ(win::RegFlushKey(raw), code(win::ERROR_INVALID_HANDLE));
  EXPECT_EQ(query(raw, "v").rc, code(win::ERROR_INVALID_HANDLE));
  EXPECT_EQ(win::RegCloseKey(win::HKEY_LOCAL_MACHINE), 0);  // predefined keys stay usable
  EXPECT_EQ(open(win::HKEY_LOCAL_MACHINE, "Software\\Close", key), 0);
  EXPECT_EQ(win::RegCloseKey(win::HKEY_DYN_DATA), code(win::ERROR_INVALID_HANDLE));
}

}  // namespace
