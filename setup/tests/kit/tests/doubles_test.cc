// The test doubles loaded through the machine's loader, wherever they lie:
// each logs its load (module path and size) and its calls, and answers as its
// config scripts it. The action double edits the variable tables it is given;
// the probe reports its start and exits with its scripted code.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "kit_machine.h"
#include "merl/outside_libraries.h"
#include "win/clock.h"
#include "win/files.h"
#include "win/library.h"
#include "win/process.h"
#include "win/window.h"

namespace {

using merl_kit::Double;
using merl_kit::KitMachine;

struct DoubleCase {
  Double which;
  const char* path;  // where it is placed on the machine
  const char* name;  // its name in the log
  const char* call;
  std::function<void(win::HMODULE)> invoke;
  const char* field;     // a logged field of the call
  std::string expected;  // and its value
};

TEST(DoublesTest, EachDoubleLoadsThroughTheMachineAndLogsItsCalls) {
  KitMachine kit;
  kit.setConfig("[hook]\nresult = 3\nerror = refused\n");
  char errorText[256] = {};
  const DoubleCase cases[] = {
      {Double::Hook, "C:\\TEMP\\QDH1234.TMP", "hook", "f1",
       [&](win::HMODULE m) {
         char work[] = "C:\\APP\\A.DLL";
         char second[] = "C:\\APP\\A.DL_";
         auto f1 = win::procAddress<merl::HookProc>(m, "f1");
         EXPECT_EQ(f1(work, "param", second, nullptr, errorText), 3);
         EXPECT_STREQ(errorText, "refused");
       },
       "parameter", "param"},
      {Double::Progress, "C:\\TEMP\\QDK1.TMP", "progress", "Update",
       [](win::HMODULE m) { win::procAddress<merl::ProgressUpdateProc>(m, "Update")(1, 2, nullptr, "Copying", 500, 250); },
       "text", "Copying"},
      {Double::Internet, "C:\\TEMP\\QDM1.TMP", "internet", "t2",
       [](win::HMODULE m) { win::procAddress<merl::TransferControlProc>(m, "t2")(1, 2, 3); }, "third", "3"},
      {Double::Ismif, "C:\\WINDOWS\\ISMIF32.DLL", "ismif", "InstallStatusMIF",
       [](win::HMODULE m) {
         win::procAddress<merl::InstallStatusMifProc>(m, "InstallStatusMIF")("STATUS", "Acme", "Demo", "1.0", "", "S1",
                                                                              "", 1);
       },
       "serial", "S1"},
      {Double::Ctl3d, "C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL", "ctl3d", "Ctl3dSubclassDlgEx",
       [](win::HMODULE m) {
         for (const char* f : {"Ctl3dRegister", "Ctl3dAutoSubclass", "Ctl3dUnregister"})
           win::procAddress<merl::Ctl3dInstanceProc>(m, f)(win::GetModuleHandle(nullptr));
         win::procAddress<merl::Ctl3dDlgFramePaintProc>(m, "Ctl3dDlgFramePaint")(nullptr, win::WM_NCPAINT, 0, 0);
         win::procAddress<merl::Ctl3dSubclassDlgExProc>(m, "Ctl3dSubclassDlgEx")(nullptr, 0x38);
       },
       "flags", "56"},
      {Double::Video, "C:\\WINDOWS\\SYSTEM\\MSVFW32.DLL", "video", "MCIWndCreateA",
       [](win::HMODULE m) { win::procAddress<merl::VideoWindowCreateProc>(m, "MCIWndCreateA")(nullptr, nullptr, 0, "C:\\A.AVI"); },
       "file", "C:\\A.AVI"},
      {Double::Admin, "C:\\TEMP\\ADMIN.DLL", "admin", "IsAdmin",
       [](win::HMODULE m) { EXPECT_EQ(win::procAddress<merl::AdminTestProc>(m, "IsAdmin")(), 1); }, nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    kit.install(c.which, c.path);
    win::HMODULE module = win::LoadLibrary(c.path);
    ASSERT_NE(module, nullptr);
    c.invoke(module);
    win::FreeLibrary(module);
    auto loads = kit.doubleLog(c.name, "load");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0]["module"].text(), c.path);
    EXPECT_EQ(loads[0]["size"].integer(), static_cast<std::int64_t>(std::filesystem::file_size(merl_kit::doubleFile(c.which))));
    auto calls = kit.doubleLog(c.name, c.call);
    ASSERT_EQ(calls.size(), 1u);
    if (c.field) {
      const auto& v = calls[0][c.field];
      EXPECT_EQ(v.isString() ? v.text() : std::to_string(v.integer()), c.expected);
    }
  }
  EXPECT_EQ(kit.doubleLog("ctl3d").size(), 6u);  // the load and the five calls
}

TEST(DoublesTest, InternetTransferServesALocalFileAndPumpsForItsVirtualDuration) {
  KitMachine kit;
  kit.machine().writeText(kit.stateDir() + "/served/srv/pkg/a.bin", "payload");
  kit.setConfig("[internet]\nroot = " + kit.stateDir() + "/served\nduration_ms = 600,0\ndetail = ,host down\n");
  kit.install(Double::Internet, "C:\\TEMP\\QDM1.TMP");
  win::HMODULE module = win::LoadLibrary("C:\\TEMP\\QDM1.TMP");
  ASSERT_NE(module, nullptr);
  auto t1 = win::procAddress<merl::TransferProc>(module, "t1");
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = win::DefWindowProc;
  wc.lpszClassName = "Main";
  win::RegisterClass(&wc);
  win::HWND main = win::CreateWindowEx(0, "Main", "", win::WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  win::SetTimer(main, 1234, 250, nullptr);
  win::DWORD abortFlag = 0, bytesDone = 0;
  char detail[256] = {};
  win::DWORD start = win::GetTickCount();
  EXPECT_EQ(t1(&abortFlag, "http://srv/pkg/a.bin", "C:\\A.BIN", main, &bytesDone, 7, 7, 0, 0, detail), 0);
  EXPECT_GE(win::GetTickCount() - start, 600u);
  EXPECT_EQ(kit.fileText("C:\\A.BIN"), "payload");
  EXPECT_EQ(t1(&abortFlag, "http://srv/../escape.bin", "C:\\B.BIN", main, &bytesDone, 7, 7, 0, 0, detail), -2);
  EXPECT_STREQ(detail, "host down");
  win::KillTimer(main, 1234);
  win::FreeLibrary(module);
  auto calls = kit.doubleLog("internet", "t1");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_GE(calls[0]["timer_messages"].integer(), 2);
  EXPECT_TRUE(calls[0]["written"].boolean());
  EXPECT_FALSE(calls[1]["written"].boolean());
  EXPECT_TRUE(kit.fileText("C:\\B.BIN").empty());
}

// Variable tables of the runtime's shape, with two variables in them.
struct Tables {
  char names[250 * 17] = {};
  char values[250 * 256] = {};
  Tables() {
    std::strcpy(names, "%CMDLINE%");
    std::strcpy(names + 17, "%A%");
    std::strcpy(values + 256, "old");
  }
};

TEST(DoublesTest, ActionDoubleWritesVariablesIntoTheTablesAndRaisesTheCount) {
  KitMachine kit;
  kit.setConfig("[action]\nresults = 1,0\nreport_count = ,300\n");
  kit.install(Double::Action, "C:\\APP\\ACTIONS.DLL");
  win::HMODULE module = win::LoadLibrary("C:\\APP\\ACTIONS.DLL");
  ASSERT_NE(module, nullptr);
  auto setVars = win::procAddress<merl::ExternalActionProc>(module, "SetVars");

  Tables t;
  char text[] = "A=new\x7F" "B=two\x7F" "N+=1\x7F" "N+=2";
  merl::ActionParams internal{};
  internal.size = merl::kActionParamsSize;
  internal.slotLimit = 250;
  internal.nameSlotSize = 17;
  internal.valueSlotSize = 256;
  internal.variableCount = 2;
  internal.names = t.names;
  internal.values = t.values;
  internal.runState = 1;
  internal.parameterText = text;
  EXPECT_EQ(setVars(&internal), 1);
  EXPECT_EQ(internal.variableCount, 4);
  EXPECT_STREQ(t.values + 256, "new");
  EXPECT_STREQ(t.names + 2 * 17, "%B%");
  EXPECT_STREQ(t.values + 2 * 256, "two");
  EXPECT_STREQ(t.names + 3 * 17, "%N%");
  EXPECT_STREQ(t.values + 3 * 256, "3");

  merl::ExternalActionParams external{};
  external.size = merl::kExternalActionParamsSize;
  external.slotLimit = 250;
  external.nameSlotSize = 17;
  external.valueSlotSize = 256;
  external.variableCount = 4;
  external.names = t.names;
  external.values = t.values;
  char more[] = "N+=1";
  external.parameterText = more;
  EXPECT_EQ(setVars(&external), 0);
  EXPECT_STREQ(t.values + 3 * 256, "4");
  EXPECT_EQ(external.variableCount, 300u);  // the scripted count, whatever the tables hold
  win::FreeLibrary(module);

  auto calls = kit.doubleLog("action", "SetVars");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0]["form"].text(), "internal");
  EXPECT_EQ(calls[0]["size"].integer(), merl::kActionParamsSize);
  EXPECT_EQ(calls[0]["variable_count"].integer(), 2);
  EXPECT_EQ(calls[0]["run_state"].integer(), 1);
  EXPECT_EQ(calls[1]["form"].text(), "external");
  EXPECT_EQ(calls[1]["size"].integer(), merl::kExternalActionParamsSize);
  EXPECT_EQ(calls[1]["parameter_text"].text(), "N+=1");
}

TEST(DoublesTest, ProbeReportsItsArgumentsAndDirectoryAndExitsWithItsCode) {
  KitMachine kit;
  std::string out = kit.machine().hostC("probe.txt");
  kit.setConfig("[probe]\nexit = 7\nout = " + out + "\n");
  kit.install(Double::Probe, "C:\\APP\\PROBE.EXE");
  char commandLine[] = "C:\\APP\\PROBE.EXE one \"two words\"";
  win::STARTUPINFOA si{};
  si.cb = sizeof si;
  win::PROCESS_INFORMATION pi{};
  ASSERT_TRUE(win::CreateProcess(nullptr, commandLine, nullptr, nullptr, 0, 0, nullptr, "C:\\APP", &si, &pi));
  ASSERT_EQ(win::WaitForSingleObject(pi.hProcess, 20000), win::WAIT_OBJECT_0);
  win::DWORD code = 0;
  win::GetExitCodeProcess(pi.hProcess, &code);
  win::CloseHandle(pi.hProcess);
  win::CloseHandle(pi.hThread);
  EXPECT_EQ(code, 7u);
  auto starts = kit.doubleLog("probe", "start");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0]["argv"].size(), 3u);
  EXPECT_EQ(starts[0]["argv"][2].text(), "two words");
  EXPECT_EQ(starts[0]["cwd"].text(), "C:\\APP");
  EXPECT_EQ(kit.doubleLog("probe", "load").at(0)["module"].text(), "C:\\APP\\PROBE.EXE");
  std::string report = win_testing::TestMachine::readText(out);
  EXPECT_NE(report.find("argv=one\n"), std::string::npos) << report;
  EXPECT_NE(report.find("cwd=C:\\APP\n"), std::string::npos) << report;
  EXPECT_NE(report.find("env:COMSPEC="), std::string::npos) << report;
}

}  // namespace
