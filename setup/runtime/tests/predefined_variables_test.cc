// The predefined variables: the slots in order with their values, the final
// backslash rule under single- and double-byte code pages, and where FONTS
// points by version, registry and probe file.
#include "script/predefined_variables.h"

#include <filesystem>
#include <string>
#include <vector>

#include "runtime_test.h"
#include "script/variables.h"
#include "system/platform_flags.h"
#include "text/copy_text.h"
#include "win/files.h"
#include "win/registry.h"

namespace {

namespace fs = std::filesystem;

class PredefinedVariablesTest : public merl_testing::RuntimeTest {
 protected:
  std::string get(const char* name) {
    char value[512];
    merl::GetVar(name, value, sizeof value);
    return value;
  }
  void setSharedDir(const std::string& dir) {
    win::UniqueKey key;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", 0,
                                  nullptr, 0, win::KEY_SET_VALUE, nullptr, key.put(), nullptr),
              win::ERROR_SUCCESS);
    ASSERT_EQ(win::RegSetValueEx(key.get(), "SharedDir", 0, win::REG_SZ,
                                 reinterpret_cast<const win::BYTE*>(dir.c_str()),
                                 static_cast<win::DWORD>(dir.size() + 1)),
              win::ERROR_SUCCESS);
  }
};

TEST_F(PredefinedVariablesTest, SlotsHoldThePredefinedVariablesInOrder) {
  merl::InitPlatformFlags();
  machine().machine().setModulePath("C:\\SETUP\\SETUP.EXE");
  merl::copyText(merl::FindVar("%CMDLINE%"), merl::kValueSlotSize, "/S");
  merl::SetPredefinedVariables();

  const std::vector<std::pair<std::string, std::string>> slots = {
      {"%CMDLINE%", "/S"},
      {"%LANGUAGES%", ""},
      {"%%", "%"},
      {"%WIN%", "C:\\WINDOWS"},
      {"%SYS%", "C:\\WINDOWS\\SYSTEM"},
      {"%SYS32%", "C:\\WINDOWS\\SYSTEM"},
      {"%TEMP%", "C:\\TEMP"},
      {"%INST%", "C:\\SETUP"},
      {"%FONTS%", "C:\\WINDOWS\\Fonts"},
      {"%DISK_NUMBER%", "1"},
  };
  merl::VariableStore& store = merl::variables();
  ASSERT_EQ(store.count, slots.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    EXPECT_EQ(store.nameOf(static_cast<int>(i)), slots[i].first) << i;
    EXPECT_EQ(store.valueOf(static_cast<int>(i)), slots[i].second) << slots[i].first;
  }
  EXPECT_EQ(entriesIn(machine().hostC("TEMP")), 0u);  // the temporary name was only a probe
}

struct BackslashCase {
  const char* codePage;
  const char* module;
  const char* inst;
};

TEST_F(PredefinedVariablesTest, FinalBackslashGoesUnlessItIsTheTrailByteOfADoubleByteCharacter) {
  const BackslashCase cases[] = {
      {"1252", "C:\\SETUP\\SETUP.EXE", "C:\\SETUP"},
      {"1252", "C:\\\x95\x5C\\SETUP.EXE", "C:\\\x95"},
      {"932", "C:\\\x95\x5C\\SETUP.EXE", "C:\\\x95\x5C"},
      {"932", "C:\\SETUP\\SETUP.EXE", "C:\\SETUP"},
      {"932", "C:\\SETUP.EXE", "C:"},
  };
  for (const auto& c : cases) {
    useMachine(std::string("[system]\ncodepage = ") + c.codePage + "\n");
    merl::InitPlatformFlags();
    machine().machine().setModulePath(c.module);
    merl::SetPredefinedVariables();
    EXPECT_EQ(get("INST"), c.inst) << c.codePage << " " << c.module;
    EXPECT_EQ(get("WIN"), "C:\\WINDOWS");
  }
}

struct FontsCase {
  const char* name;
  const char* ini;
  const char* sharedDir;  // null: no value
  bool makeFonts;         // C:\SHARED\Fonts exists
  const char* fonts;
};

TEST_F(PredefinedVariablesTest, FontsIsTheSharedFontsDirectoryOnlyWhenAProbeFileCanBeMadeThere) {
  const FontsCase cases[] = {
      {"shared", "", "C:\\SHARED", true, "C:\\SHARED\\Fonts"},
      {"shared with backslash", "", "C:\\SHARED\\", true, "C:\\SHARED\\Fonts"},
      {"no fonts directory", "", "C:\\SHARED", false, "C:\\WINDOWS\\Fonts"},
      {"probe refused", "[failures]\ncreate = C:\\SHARED\\Fonts\\QDTXINST.%$E\n", "C:\\SHARED", true,
       "C:\\WINDOWS\\Fonts"},
      {"no shared value", "", nullptr, true, "C:\\WINDOWS\\Fonts"},
      {"version 3", "[system]\nversion = 3.51\n", "C:\\SHARED", true, "C:\\WINDOWS\\SYSTEM"},
      {"9x", "[system]\nplatform = 9x\n", "C:\\SHARED", true, "C:\\SHARED\\Fonts"},
  };
  for (const auto& c : cases) {
    useMachine(c.ini);
    if (c.sharedDir) setSharedDir(c.sharedDir);
    if (c.makeFonts) fs::create_directories(machine().hostC("SHARED/Fonts"));
    merl::InitPlatformFlags();
    win::SetErrorMode(0);
    merl::SetPredefinedVariables();
    EXPECT_EQ(get("FONTS"), c.fonts) << c.name;
    EXPECT_EQ(get("DISK_NUMBER"), "1") << c.name;
    EXPECT_EQ(entriesIn(machine().hostC("SHARED/Fonts")), 0u) << c.name;
    EXPECT_EQ(win::SetErrorMode(0), 0u) << c.name;  // critical-error boxes are back as they were
  }
}

}  // namespace
