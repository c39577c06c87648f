// The registry record run in place: values written with their log group, old
// values of each type, removals, test state, refused writes, and the read and
// tree routines the other records share.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/faults.h"
#include "script/variables.h"
#include "script_run.h"
#include "system/reg_values.h"
#include "win/error.h"
#include "win/registry.h"

namespace {

using Bytes = std::vector<win::BYTE>;
using merl_testing::ScriptRunTest;

constexpr const char* kAppKey = "Software\\Test\\App";

// text with its backslashes escaped for the assembler.
std::string quoted(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// A registry record in the assembler's form (data already in its escaped form).
std::string registryRecord(int flags, int type, const std::string& key, const std::string& data,
                           const std::string& name) {
  return "registry flags=" + std::to_string(flags) + " type=" + std::to_string(type) + " key=\"" + quoted(key) +
         "\" data=\"" + data + "\" value_name=\"" + quoted(name) + "\"\n";
}

class RegistryRecordTest : public ScriptRunTest {
 protected:
  void setValue(win::HKEY root, const char* key, const char* name, win::DWORD type, const Bytes& data) {
    win::UniqueKey k;
    ASSERT_EQ(win::RegCreateKeyEx(root, key, 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, k.put(), nullptr), 0);
    ASSERT_EQ(win::RegSetValueEx(k.get(), name, 0, type, data.data(), static_cast<win::DWORD>(data.size())), 0);
  }
  // The value's type and bytes; type REG_NONE and no bytes when missing.
  std::pair<win::DWORD, Bytes> value(win::HKEY root, const char* key, const char* name) {
    win::UniqueKey k;
    if (win::RegOpenKeyEx(root, key, 0, win::KEY_QUERY_VALUE, k.put()) != 0) return {win::REG_NONE, {}};
    Bytes data(4096);
    win::DWORD type = 0, size = static_cast<win::DWORD>(data.size());
    if (win::RegQueryValueEx(k.get(), name, nullptr, &type, data.data(), &size) != 0) return {win::REG_NONE, {}};
    data.resize(size);
    return {type, data};
  }
  bool keyExists(win::HKEY root, const char* key) {
    win::UniqueKey k;
    return win::RegOpenKeyEx(root, key, 0, win::KEY_QUERY_VALUE, k.put()) == 0;
  }
  std::string store() { return machine().readText(machine().stateDir() + "/registry.txt"); }
};

TEST_F(RegistryRecordTest, DwordWriteStoresTheNumberAndLogsTheGroupWithoutTypeOrOld) {
  load(registryRecord(2, 3, kAppKey, "4096", "Count"));
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, kAppKey, "Count"), std::make_pair(win::REG_DWORD, Bytes{0, 0x10, 0, 0}));
  EXPECT_EQ(logged(), "RegDB Key: Software\\Test\\App\r\nRegDB Val: 4096\r\nRegDB Name: Count\r\nRegDB Root: 2\r\n");
  EXPECT_TRUE(merl::cursor().settingsChanged);
}

TEST_F(RegistryRecordTest, OldValuesAreLoggedWithTheirTypeSoTheyCanBeRestored) {
  struct Case {
    int flags;
    win::HKEY root;
    win::DWORD oldType;
    Bytes old;
    std::string tail;  // the log after "RegDB Name: N"
  };
  const Case cases[] = {
      {2, win::HKEY_LOCAL_MACHINE, win::REG_SZ, Bytes{'a', 'b', 'c', 0}, "\r\nRegDB Root: 2\r\nRegDB Old: abc\r\n"},
      {2, win::HKEY_LOCAL_MACHINE, win::REG_DWORD, Bytes{7, 0, 0, 0},
       "\r\nRegDB Type: 3\r\nRegDB Root: 2\r\nRegDB Old: 7\r\n"},
      {2, win::HKEY_LOCAL_MACHINE, win::REG_MULTI_SZ, Bytes{'a', 0, 'b', 0, 'c', 0, 0},
       "\r\nRegDB Type: 2\r\nRegDB Root: 2\r\nRegDB Old: a\r\nRegDB Old: b\r\nRegDB Old: c\r\n"},
      {0, win::HKEY_CLASSES_ROOT, win::REG_SZ, Bytes{'o', 0}, "\r\nRegDB Old: o\r\n"},
      {1, win::HKEY_CURRENT_USER, win::REG_BINARY, Bytes{0x0a, 0xff}, "\r\nRegDB Type: 4\r\nRegDB Root: 1\r\nRegDB Old: 0AFF\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    load(registryRecord(c.flags, 0, kAppKey, "new", "N"));
    setValue(c.root, kAppKey, "N", c.oldType, c.old);
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(logged(), "RegDB Key: Software\\Test\\App\r\nRegDB Val: new\r\nRegDB Name: N" + c.tail);
    EXPECT_EQ(value(c.root, kAppKey, "N"), std::make_pair(win::REG_SZ, Bytes{'n', 'e', 'w', 0}));
  }
}

TEST_F(RegistryRecordTest, OldValueThatCannotBeShownWholeWritesNoGroup) {
  struct Case {
    const char* what;
    win::DWORD type;
    Bytes old;
  };
  const Case cases[] = {
      {"string past the read buffer", win::REG_SZ, Bytes(1500, 'x')},
      {"binary past 127 bytes", win::REG_BINARY, Bytes(128, 1)},
      {"REG_NONE", win::REG_NONE, Bytes{1, 2}},
      {"REG_QWORD", win::REG_QWORD, Bytes(8, 1)},
      {"string filling the buffer without its NUL", win::REG_SZ, Bytes(1024, 'y')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    load(registryRecord(2, 0, kAppKey, "new", "N"));
    setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "N", c.type, c.old);
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(logged(), "");
    EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, kAppKey, "N").second, (Bytes{'n', 'e', 'w', 0}));
  }
}

TEST_F(RegistryRecordTest, DataTextBecomesTheBytesOfItsType) {
  struct Case {
    int type;
    std::string data;
    win::DWORD stored;
    Bytes bytes;
    std::string logged;
  };
  const Case cases[] = {
      {4, "0a 1B-2", win::REG_BINARY, Bytes{0x0a, 0x1b}, "0a 1B-2"},
      {2, "x\\x7fy", win::REG_MULTI_SZ, Bytes{'x', 0, 'y', 0, 0}, "x\x7fy"},
      {2, "x\\x7fy\\x7f", win::REG_MULTI_SZ, Bytes{'x', 0, 'y', 0, 0}, "x\x7fy\x7f"},
      {1, "%WINDIR%", win::REG_EXPAND_SZ, Bytes{'C', ':', 0}, "C:"},
      {3, "4294967297", win::REG_DWORD, Bytes{0xff, 0xff, 0xff, 0xff}, "4294967295"},
      {3, "12abc", win::REG_DWORD, Bytes{12, 0, 0, 0}, "12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    load(registryRecord(2, c.type, kAppKey, c.data, "V"));
    merl::SetVar("WINDIR", "C:");
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, kAppKey, "V"), std::make_pair(c.stored, c.bytes));
    EXPECT_NE(logged().find("RegDB Val: " + c.logged + "\r\n"), std::string::npos) << logged();
  }
}

TEST_F(RegistryRecordTest, ValuesReadBackAsTextWithTheirTypeDigit) {
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "D", win::REG_DWORD, Bytes{0, 0x10, 0, 0});
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "B", win::REG_BINARY, Bytes{0x0a, 0x1b});
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "S", win::REG_SZ, Bytes{'a', 'b'});  // stored without its NUL
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "M", win::REG_MULTI_SZ, Bytes{'a', 0, 'b'});
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "Q", win::REG_QWORD, Bytes(8, 0));
  struct Case {
    const char* name;
    int result;
    std::string text;  // with the NULs that end it
    char digit;
  };
  const Case cases[] = {
      {"D", 0, std::string("4096\0", 5), '3'},  {"B", 0, std::string("0A1B\0", 5), '4'},
      {"S", 0, std::string("ab\0", 3), '0'},    {"M", 0, std::string("a\0b\0\0", 5), '2'},
      {"Q", 1, std::string("\0", 1), '?'},      {"missing", 1, std::string("\0", 1), '?'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char text[16];
    std::fill(std::begin(text), std::end(text), '#');
    char digit = '?';
    EXPECT_EQ(merl::ReadRegValue(2, kAppKey, text, c.name, &digit, sizeof text, true), c.result);
    EXPECT_EQ(std::string(text, c.text.size()), c.text);
    EXPECT_EQ(digit, c.digit);
  }
  char small[4];
  char digit = '?';
  EXPECT_EQ(merl::ReadRegValue(2, kAppKey, small, "D", &digit, sizeof small, true), 1);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(merl::HexDigitChar(9), '9');
  EXPECT_EQ(merl::HexDigitChar(12), 'C');
}

TEST_F(RegistryRecordTest, RemoveRecordsDeleteTreesOrValuesAndAreNeverLogged) {
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\Gone\\A\\B", "x", win::REG_SZ, Bytes{'1', 0});
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\Gone\\C", "y", win::REG_SZ, Bytes{'2', 0});
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "Keep", win::REG_SZ, Bytes{'k', 0});
  setValue(win::HKEY_LOCAL_MACHINE, kAppKey, "Drop", win::REG_SZ, Bytes{'d', 0});
  load(registryRecord(0x82, 0, "Software\\Gone", "", "") + registryRecord(0xC2, 0, kAppKey, "", "Drop"));
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_FALSE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Gone"));
  EXPECT_TRUE(keyExists(win::HKEY_LOCAL_MACHINE, "Software"));
  EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, kAppKey, "Drop").first, win::REG_NONE);
  EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, kAppKey, "Keep").first, win::REG_SZ);
  EXPECT_EQ(logged(), "");
}

TEST_F(RegistryRecordTest, RemoveOfAKeyWithAnEmptyComponentDeletesNothing) {
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\A\\B", "x", win::REG_SZ, Bytes{'1', 0});
  const char* keys[] = {"%UNSET%", "", "Software\\\\A", "Software\\", "\\Software"};
  for (const char* key : keys) {
    SCOPED_TRACE(key);
    load(registryRecord(0x82, 0, key, "", "") + registryRecord(0xC2, 0, key, "", "x"));
    std::string before = store();
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(store(), before);
  }
}

TEST_F(RegistryRecordTest, KeyOnlyFlagCreatesTheKeyAndSetsNoValue) {
  load(registryRecord(0x42, 0, "Software\\Only", "data", "V"));
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_TRUE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Only"));
  EXPECT_EQ(value(win::HKEY_LOCAL_MACHINE, "Software\\Only", "V").first, win::REG_NONE);
}

TEST_F(RegistryRecordTest, TestStateChangesNothingAndLogsNothing) {
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\Gone", "x", win::REG_SZ, Bytes{'1', 0});
  load(registryRecord(2, 3, kAppKey, "4096", "Count") + registryRecord(0x82, 0, "Software\\Gone", "", ""));
  run_().runState = merl::kStateTest;
  std::string before = store();
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(store(), before);
  EXPECT_EQ(logged(), "");
}

TEST_F(RegistryRecordTest, RefusedWritesShowMessage44AndAbortWithNothingWritten) {
  useScriptMachine("[registry]\nreadonly = HKEY_LOCAL_MACHINE\\Software\\Locked*\n");
  struct Case {
    const char* what;
    std::string record;
    std::string shown;
  };
  const std::string longKey = "Software\\" + std::string(510, 'k');
  const Case cases[] = {
      {"read-only key", registryRecord(2, 0, "Software\\Locked", "v", "N"), "M44: Software\\Locked"},
      {"type code 5", registryRecord(2, 5, kAppKey, "v", "N"), std::string("M44: ") + kAppKey},
      {"key over 512 bytes", registryRecord(2, 0, longKey, "v", "N"), "M44: "},
      {"empty key", registryRecord(0x42, 0, "%UNSET%", "v", "N"), "M44: "},
      {"key with an empty component", registryRecord(2, 0, "Software\\", "v", "N"), "M44: Software\\"},
      {"value name over 256 bytes", registryRecord(2, 0, kAppKey, "v", std::string(256, 'n')),
       std::string("M44: ") + kAppKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    load(c.record + "log text=\"after\"\n");
    std::string before = store();
    std::size_t shown = aborts().size();
    EXPECT_EQ(runAll(), merl::kAbort);
    EXPECT_EQ(store(), before);
    ASSERT_EQ(aborts().size(), shown + 1);
    EXPECT_EQ(aborts().back(), c.shown);
    EXPECT_EQ(logged(), "");
  }
}

TEST_F(RegistryRecordTest, CorruptStoreIsReportedAndLeftAsItWas) {
  machine().writeText(machine().stateDir() + "/registry.txt", "this line does not parse\n");
  load(registryRecord(2, 0, kAppKey, "v", "N"));
  EXPECT_EQ(runAll(), merl::kAbort);
  EXPECT_EQ(aborts().size(), 1u);
  EXPECT_EQ(store(), "this line does not parse\n");
}

TEST_F(RegistryRecordTest, TreeDeletionStopsAtASubkeyThatCannotGo) {
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\Tree\\Fixed", "x", win::REG_SZ, Bytes{'1', 0});
  setValue(win::HKEY_LOCAL_MACHINE, "Software\\Tree\\Other\\Deep", "x", win::REG_SZ, Bytes{'1', 0});
  platform::FaultRule readOnly;
  readOnly.op = platform::FaultOp::RegistryReadOnly;
  readOnly.pattern = "HKEY_LOCAL_MACHINE\\Software\\Tree\\Fixed";
  readOnly.caseBlind = true;
  platform::addFault(readOnly);
  merl::DeleteRegKeyTree("Software\\Tree", 2);
  EXPECT_TRUE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Tree\\Fixed"));
  merl::DeleteRegKeyTree("Software\\Tree\\Other", 2);
  EXPECT_FALSE(keyExists(win::HKEY_LOCAL_MACHINE, "Software\\Tree\\Other"));
}

}  // namespace
