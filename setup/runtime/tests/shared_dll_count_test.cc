// The shared-file counters in the machine's registry, and the log line an
// unshared file with a counter gets.
#include "files/shared_dll_count.h"

#include <optional>
#include <string>

#include "script_run.h"
#include "win/registry.h"

namespace {

class SharedDllCountTest : public merl_testing::ScriptRunTest {
 protected:
  std::optional<win::DWORD> counter(const char* name) {
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, merl::kSharedDllsKey, 0, win::KEY_QUERY_VALUE, &key) != 0)
      return std::nullopt;
    win::DWORD value = 0, type = 0, size = sizeof value;
    bool found = win::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<win::BYTE*>(&value), &size) == 0;
    win::RegCloseKey(key);
    if (!found) return std::nullopt;
    EXPECT_EQ(type, win::REG_DWORD);
    return value;
  }
  void setCounter(const char* name, win::DWORD value) {
    win::HKEY key = nullptr;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, merl::kSharedDllsKey, 0, nullptr, 0, win::KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
              0);
    win::RegSetValueEx(key, name, 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&value), sizeof value);
    win::RegCloseKey(key);
  }
};

TEST_F(SharedDllCountTest, CountsSharedFilesAndOnlyLogsUnsharedOnes) {
  struct Case {
    const char* name;
    bool existed, notShared;
    std::optional<win::DWORD> before, after;
    const char* line;
  } cases[] = {
      {"shared new file", false, false, std::nullopt, 1, ""},
      {"shared, existed without counter", true, false, std::nullopt, 2, ""},
      {"shared with 4", true, false, 4, 5, ""},
      {"unshared with 3", true, true, 3, 3, "Shared DLL counter ignored:\r\n"},
      {"unshared without counter", true, true, std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    useScriptMachine();
    load("log text=\"\"\n");
    machine().makeFile("APP/X.DLL", "x");
    if (c.before) setCounter("C:\\APP\\X.DLL", *c.before);
    merl::SharedDllCount("C:\\APP\\X.DLL", c.existed, c.notShared);
    EXPECT_EQ(counter("C:\\APP\\X.DLL"), c.after);
    EXPECT_EQ(logged(), c.line);
  }
}

TEST_F(SharedDllCountTest, TheCounterIsNamedByTheFilesOnDiskSpelling) {
  load("log text=\"\"\n");
  machine().makeFile("App/X.dll", "x");
  merl::SharedDllCount("c:\\app\\x.dll", false, false);
  win::HKEY key = nullptr;
  ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, merl::kSharedDllsKey, 0, win::KEY_QUERY_VALUE, &key), 0);
  char name[256] = {};
  win::DWORD length = sizeof name;
  ASSERT_EQ(win::RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), 0);
  win::RegCloseKey(key);
  EXPECT_STREQ(name, "C:\\App\\X.dll");
}

}  // namespace
