// The machine context: refused descriptions end the process with status 2,
// scopes nest, services keep their state on the machine, handle numbers are
// deterministic, the failure rules and the inherited process state are loaded.
#include "win/machine.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/faults.h"
#include "platform/files.h"
#include "platform/state_dir.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

TEST(MachineTest, RefusedDescriptionEndsTheProcessWithStatusTwo) {
  EXPECT_EXIT({ TestMachine m("[system]\nplatform = os2\n"); }, ::testing::ExitedWithCode(2),
              "machine.ini:2: unknown platform \"os2\"");
  platform_testing::TempDir dir;
  TestMachine::writeText(dir.file("machine.ini"), "[drives]\nC = /a\nc = /b\n");
  EXPECT_EXIT(
      {
        ::setenv(platform::kStateDirVariable, dir.path().c_str(), 1);
        win::machine();
      },
      ::testing::ExitedWithCode(2), "machine.ini:3: drive C mapped twice");
}

TEST(MachineTest, ScopesNestAndRestoreTheStateDirectory) {
  platform_testing::ScopedEnv env(platform::kStateDirVariable, "/nowhere");
  TestMachine outer("[system]\nuser = outer\n");
  EXPECT_EQ(platform::stateDirectory(), outer.stateDir());
  {
    TestMachine inner("[system]\nuser = inner\n");
    EXPECT_EQ(win::machine().description().system.user, "inner");
    EXPECT_EQ(std::getenv(platform::kStateDirVariable), inner.stateDir());
  }
  EXPECT_EQ(&win::machine(), &outer.machine());
  EXPECT_EQ(std::getenv(platform::kStateDirVariable), outer.stateDir());
}

std::vector<std::string> stateLog;

struct FirstState : win::MachineState {
  explicit FirstState(win::Machine&) { stateLog.push_back("first made"); }
  ~FirstState() override { stateLog.push_back("first gone"); }
  int uses = 0;
};

struct SecondState : win::MachineState {
  explicit SecondState(win::Machine& m) : first(m.state<FirstState>()) { stateLog.push_back("second made"); }
  ~SecondState() override { stateLog.push_back("second gone (first still there)"); }
  FirstState& first;
};

TEST(MachineTest, ServiceStateIsMadeOnceAndGoesInReverseOrder) {
  stateLog.clear();
  {
    TestMachine m;
    m.machine().state<SecondState>().first.uses++;
    m.machine().state<FirstState>().uses++;
    EXPECT_EQ(m.machine().state<FirstState>().uses, 2);
  }
  EXPECT_EQ(stateLog, (std::vector<std::string>{"first made", "second made", "second gone (first still there)",
                                                "first gone"}));
  TestMachine fresh;
  EXPECT_EQ(fresh.machine().state<FirstState>().uses, 0);
}

struct FileObject : win::HandleObject {};
struct OtherObject : win::HandleObject {};

TEST(MachineTest, HandleNumbersComeInOrderAndAreNeverReused) {
  TestMachine m;
  auto& handles = m.machine().kernelHandles();
  auto a = handles.add(std::make_shared<FileObject>());
  auto b = handles.add(std::make_shared<OtherObject>());
  EXPECT_EQ(a, 4u);
  EXPECT_EQ(b, 8u);
  EXPECT_TRUE(handles.find<FileObject>(a));
  EXPECT_FALSE(handles.find<FileObject>(b));  // another kind of object
  EXPECT_TRUE(handles.remove(a));
  EXPECT_FALSE(handles.remove(a));
  EXPECT_FALSE(handles.findObject(a));
  EXPECT_EQ(handles.add(std::make_shared<FileObject>()), 12u);
  EXPECT_EQ(handles.size(), 2u);
}

TEST(MachineTest, LoadsTheFailureRulesForItsLifetime) {
  {
    TestMachine m("[failures]\nbusy = C:\\App\\*.EXE\n[registry]\nreadonly = hkcu\\Software\\Locked\n");
    EXPECT_TRUE(platform::shouldFail(platform::FaultOp::Busy, "c:\\app\\setup.exe"));
    EXPECT_TRUE(platform::shouldFail(platform::FaultOp::Busy, "c:\\app\\setup.exe"));
    EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Busy, "c:\\other\\setup.exe"));
    EXPECT_TRUE(platform::shouldFail(platform::FaultOp::RegistryReadOnly, "HKEY_CURRENT_USER\\software\\locked"));
  }
  EXPECT_FALSE(platform::shouldFail(platform::FaultOp::Busy, "c:\\app\\setup.exe"));
}

TEST(MachineTest, TakesTheCurrentDirectoryAndModulePathItWasStartedWith) {
  {
    platform_testing::ScopedEnv cwd(win::kCurrentDirVariable, "c:\\app\\work");
    platform_testing::ScopedEnv module(win::kModulePathVariable, "C:\\APP\\SETUP.EXE");
    TestMachine m;
    EXPECT_EQ(m.machine().currentDirectory().text(), "C:\\app\\work");
    EXPECT_EQ(m.machine().modulePath(), "C:\\APP\\SETUP.EXE");
    EXPECT_EQ(m.machine().programName(), "SETUP.EXE");
  }
  platform_testing::TempDir state;
  std::string inside = state.path() + "/drives/C/Work";
  TestMachine::writeText(inside + "/x", "");
  {
    platform_testing::ScopedCwd cwd(inside);
    win::MachineScope scope(state.path());
    EXPECT_EQ(scope.machine().currentDirectory().text(), "C:\\Work");
    EXPECT_EQ(scope.machine().modulePath(), "");  // the test program lies outside every drive
    EXPECT_EQ(scope.machine().programName(), "WIN_TESTS");
  }
  TestMachine outside;
  EXPECT_EQ(outside.machine().currentDirectory().text(), "C:\\");
}

TEST(MachineTest, StuckWaitEndsWithStatusThreeAfterSayingWhy) {
  TestMachine m("[ui]\ntranscript = $STATE/t.jsonl\n");
  m.machine().setModulePath("C:\\SETUP.EXE");
  EXPECT_EXIT(m.machine().exitStuck("GetMessage with nothing that can end the wait"),
              ::testing::ExitedWithCode(3), "SETUP.EXE: GetMessage with nothing");
  std::string text;
  ASSERT_TRUE(platform::readWholeFile(m.stateDir() + "/t.jsonl", text));
  EXPECT_EQ(text,
            "{\"t\":0,\"prog\":\"SETUP.EXE\",\"ev\":\"stuck\",\"why\":\"GetMessage with nothing that can end the "
            "wait\"}\n");
}

}  // namespace
