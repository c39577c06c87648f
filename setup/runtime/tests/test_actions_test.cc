// The test actions f12 (system properties) and f19 (files, directories,
// writability, loaded modules): their answers, their message and the abort
// flag an answer of 2 sets.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "interp/action_params.h"
#include "merl/setup_interface.h"
#include "script/variables.h"
#include "script_run.h"
#include "system/platform_flags.h"
#include "win/library.h"

namespace {

constexpr char kNt640[] = "[system]\nplatform = nt\nscreen = 640x480\nbpp = 8\nmemory = 8M\n";

class TestActionTest : public merl_testing::ScriptRunTest {
 protected:
  void use(const std::string& machineIni = kNt640) {
    useScriptMachine(machineIni);
    load("log text=\"\"\n");
    merl::InitPlatformFlags();
  }
  int call(merl::NumberedAction action, const std::string& params) {
    text_ = params;
    text_.push_back('\0');
    return action(&merl::RefreshInternalParams(text_.data()));
  }
  void putAdminDouble() {
    machine().makeFile("TEMP/ADMIN.DLL");
    std::filesystem::copy_file(MERL_ADMIN_DOUBLE, machine().hostC("TEMP/ADMIN.DLL"),
                               std::filesystem::copy_options::overwrite_existing);
    merl::SetVar("TEMP", "C:\\TEMP");
    merl::SetVar("W32INST_PATH_", "ADMIN.DLL");
  }

 private:
  std::string text_;
};

TEST_F(TestActionTest, SystemCodesFollowTheMachineAndBit32TheirSense) {
  struct Case {
    const char* machine;
    int code;
    int answer;
  } cases[] = {
      {kNt640, 2, 0},   {kNt640, 34, 1},  {kNt640, 4, 1},   {kNt640, 36, 0},  {kNt640, 32, 1},
      {kNt640, 57, 0},  {kNt640, 33, 1},  {kNt640, 43, 0},  {kNt640, 44, 0},  {kNt640, 35, 1},
      {kNt640, 52, 1},  {kNt640, 53, 0},  {kNt640, 20, 0},  {kNt640, 21, 1},  {kNt640, 58, 1},
      {kNt640, 59, 1},  {kNt640, 60, 1},  {kNt640, 62, 1},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 2, 1},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 33, 0},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 32, 0},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 57, 1},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 60, 0},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 61, 1},
      {"[system]\nplatform = 9x\nscreen = 600x400\nbpp = 4\nwave = 0\nmidi = 2\n", 62, 0},
      {"[system]\nplatform = 9x\n", 63, 1},
      {"[system]\nscreen = 1024x768\nbpp = 32\nmemory = 2G\n", 44, 1},
      {"[system]\nscreen = 1024x768\nbpp = 32\nmemory = 2G\n", 56, 1},
  };
  for (const Case& c : cases) {
    use(c.machine);
    EXPECT_EQ(call(f12, std::to_string(c.code)), c.answer) << c.machine << " code " << c.code;
    EXPECT_TRUE(boxes().empty());
  }
}

TEST_F(TestActionTest, AdministratorTestAsksTheOutsideLibraryOnNt) {
  use();
  EXPECT_EQ(call(f12, "63"), 0);  // no library
  putAdminDouble();
  EXPECT_EQ(call(f12, "63"), 1);
  EXPECT_EQ(call(f12, "31"), 0);
}

TEST_F(TestActionTest, AHoldingSystemTestShowsItsMessage) {
  use();
  EXPECT_EQ(call(f12, "34\x7FHello\x7FT"), 1);
  EXPECT_EQ(boxes(), std::vector<std::string>{"T|Hello"});
  EXPECT_EQ(call(f12, "2\x7FHello\x7FT"), 0);
  EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(TestActionTest, FileModesTestExistenceKindWritabilityAndModules) {
  struct Case {
    int mode;
    const char* path;
    int answer;
  } cases[] = {
      {0x00, "C:\\APP\\A.TXT", 1},   {0x00, "C:\\APP\\NO.TXT", 0}, {0x01, "C:\\APP\\NO.TXT", 1},
      {0x01, "C:\\APP", 0},          {0x40, "C:\\APP\\A.TXT", 1},  {0x40, "C:\\APP", 0},
      {0x41, "C:\\APP", 1},          {0x41, "C:\\APP\\A.TXT", 0},  {0x41, "C:\\NONE", 0},
      {0x80, "C:\\APP", 0},          {0x80, "C:\\APP\\", 0},       {0x80, "C:\\NONE", 1},
      {0x80, "C:\\RO", 1},           {0x81, "ADMIN.DLL", 1},       {0x81, "OTHER.DLL", 0},
      {0xC0, "C:\\APP", 0},          {0xC1, "C:\\APP", 0},         {0x02, "C:\\APP", 1},
  };
  use(std::string(kNt640) + "[failures]\ncreate = C:\\RO\\*\n");
  machine().makeFile("APP/A.TXT", "a");
  std::filesystem::create_directories(machine().hostC("RO"));
  putAdminDouble();
  win::HMODULE loaded = win::LoadLibrary("C:\\TEMP\\ADMIN.DLL");
  ASSERT_NE(loaded, nullptr);
  for (const Case& c : cases) {
    EXPECT_EQ(call(f19, std::to_string(c.mode) + "\x7F" + c.path), c.answer) << c.mode << " " << c.path;
    EXPECT_FALSE(std::filesystem::exists(machine().hostC("APP/QDTXINST.%$D")));
  }
  win::FreeLibrary(loaded);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestActionTest, AHoldingFileTestShowsItsMessageAndAnswer2Aborts) {
  struct Case {
    int mode;
    const char* answer;
    int abortFlag;
  } cases[] = {
      {0x06, "114 2\n", 1},
      {0x06, "114 1\n", 0},
      {0x02, "114 1\n", 0},
  };
  for (const Case& c : cases) {
    use();
    answers(c.answer);
    machine().makeFile("APP/A.TXT", "a");
    EXPECT_EQ(call(f19, std::to_string(c.mode) + "\x7F" "C:\\APP\\A.TXT\x7FThere\x7FT"), 1);
    ASSERT_FALSE(boxes().empty());
    EXPECT_EQ(boxes().front(), "T|There");
    std::size_t shown = boxes().size();
    EXPECT_EQ(setup_.abortFlag, static_cast<merl::DWORD>(c.abortFlag)) << c.mode << c.answer;
    EXPECT_EQ(call(f19, std::to_string(c.mode) + "\x7F" "C:\\APP\\NO.TXT\x7FThere\x7FT"), 0);
    EXPECT_EQ(boxes().size(), shown);
  }
}

}  // namespace
