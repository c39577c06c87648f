// The system-information record on a configured machine: each query code's
// answer, and the variable emptied for a code without one.
#include <string>

#include <gtest/gtest.h>

#include "files/file_utils.h"
#include "script/variables.h"
#include "script_run.h"
#include "system/platform_flags.h"
#include "win/registry.h"
#include "win_testing/pe_image.h"

namespace {

using merl_testing::ScriptRunTest;

constexpr const char* kMachine =
    "[system]\nplatform = nt\nversion = 4.0\nbuild = 1381\nservice-pack = Service Pack 6\nuser = jane\n"
    "[drives]\nR = $STATE\nN = $STATE\nE = $STATE\n\\\\srv\\share = $STATE\n"
    "[drive-types]\nR = ramdisk\nE = cdrom\nN = remote\n"
    "[volumes]\nC = SYSTEM, 1A2B-3C4D, 4096\n";

class SystemInfoRecordTest : public ScriptRunTest {
 protected:
  // The answer of code for parameter (assembler form), the variable holding "old" before.
  std::string query(int code, const std::string& parameter) {
    load("sysinfo code=" + std::to_string(code) + " variable=\"ANSWER\" parameter=\"" + parameter + "\"\n");
    merl::InitPlatformFlags();
    merl::SetVar("ANSWER", "old");
    EXPECT_EQ(runAll(), merl::kExit);
    char value[merl::kValueSlotSize] = {};
    merl::GetVar("ANSWER", value, sizeof value);
    return value;
  }
};

TEST_F(SystemInfoRecordTest, CodesAnswerFromTheMachineDescription) {
  useScriptMachine(kMachine);
  machine().makeFile("F.TXT", "12345");
  {
    win::HANDLE f = merl::OpenFileHandle("C:\\F.TXT", merl::kOpenReadWrite, false);
    ASSERT_NE(f, win::INVALID_HANDLE_VALUE);
    ASSERT_TRUE(merl::SetFileDosDateTime(f, (18 << 9) | (4 << 5) | 23, (10 << 11) | (5 << 5)));
    win::CloseHandle(f);
  }
  win_testing::PeVersion version;
  version.versionHigh = 0x00050001;
  version.versionLow = 0x00020003;
  machine().makeFile("V.DLL", win_testing::peImage(version));
  struct Case {
    int code;
    std::string parameter;
    std::string answer;
  };
  const Case cases[] = {
      {0, "", "2/25/2003 14:05:09"},
      {1, "", "4.0.1381"},
      {2, "", "5.101"},
      {4, "C:\\\\F.TXT", "04/23/98 10:05:00"},
      {4, "C:\\\\NONE.TXT", ""},
      {5, "C:\\\\V.DLL", "5.1.2.3"},
      {5, "C:\\\\F.TXT", ""},
      {8, "R:\\\\", "R"},
      {8, "c", "H"},
      {8, "E", "C"},
      {8, "Q:", ""},
      {9, "", "N:"},
      {10, "", "E:"},
      {11, "C:", ""},
      {12, "N:\\\\DIR\\\\A.TXT", "\\\\srv\\share\\DIR\\A.TXT"},
      {12, "C:\\\\A.TXT", "C:\\A.TXT"},
      {14, "C:\\\\F.TXT", "5"},
      {15, "C:\\\\", "1a2b-3c4d"},
      {16, "C", "SYSTEM"},
      {17, "", "jane"},
      {18, "", "6"},
      {19, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SCOPED_TRACE(c.parameter);
    EXPECT_EQ(query(c.code, c.parameter), c.answer);
  }
}

TEST_F(SystemInfoRecordTest, ServicePackNumberIsZeroWithoutOne) {
  useScriptMachine("[system]\nplatform = nt\n");
  EXPECT_EQ(query(18, ""), "0");
}

TEST_F(SystemInfoRecordTest, OwnerComesFromTheRegistryOnNtAndFromUserStringsOn9x) {
  useScriptMachine("[system]\nplatform = nt\nowner = Not used\n");
  {
    win::UniqueKey k;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                                  nullptr, 0, win::KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              0);
    const char owner[] = "Jane Doe";
    ASSERT_EQ(win::RegSetValueEx(k.get(), "RegisteredOwner", 0, win::REG_SZ,
                                 reinterpret_cast<const win::BYTE*>(owner), sizeof owner),
              0);
  }
  EXPECT_EQ(query(6, ""), "Jane Doe");
  EXPECT_EQ(query(7, ""), "");

  useScriptMachine("[system]\nplatform = 9x\nowner = Jane Doe\norganization = Acme\n");
  EXPECT_EQ(query(6, ""), "Jane Doe");
  EXPECT_EQ(query(7, ""), "Acme");
}

}  // namespace
