// DDE: handles, a server's callback reached from its own thread, another
// thread and another process (dde_request) only while it pumps, pokes refused
// by the flags, and the Program Manager stand-in over groups.txt.
#include "win/dde.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/wait.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "win/clock.h"
#include "win/message.h"
#include "win_testing/test_machine.h"

extern char** environ;

namespace {

using namespace win;
using win_testing::TestMachine;

const std::string kAnswer = std::string("C:\\APP") + '\0';
std::atomic<int> pokesSeen{0};
std::atomic<DWORD> callbackThread{0};

HDDEDATA serverCallback(UINT type, UINT format, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR);
DWORD serverInstance = 0;

HDDEDATA serverCallback(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  callbackThread = GetCurrentThreadId();
  if (type == XTYP_CONNECT) return handleFromValue<HDDEDATA>(1);
  if (type == XTYP_POKE) {
    ++pokesSeen;
    return handleFromValue<HDDEDATA>(DDE_FACK);
  }
  if (type == XTYP_REQUEST) {
    char name[64] = {};
    DdeQueryString(serverInstance, topic, name, sizeof name, CP_WINANSI);
    if (std::string(name) != "MAINDIR") return nullptr;
    return DdeCreateDataHandle(serverInstance, reinterpret_cast<LPBYTE>(const_cast<char*>(kAnswer.data())),
                               static_cast<DWORD>(kAnswer.size()), 0, item, CF_TEXT, 0);
  }
  return nullptr;
}

// A server "MerlInst" on the calling thread with the given flags.
void startServer(DWORD flags) {
  serverInstance = 0;
  pokesSeen = 0;
  ASSERT_EQ(DdeInitialize(&serverInstance, serverCallback, flags, 0), DMLERR_NO_ERROR);
  HSZ name = DdeCreateStringHandle(serverInstance, "MerlInst", CP_WINANSI);
  ASSERT_TRUE(DdeNameService(serverInstance, name, nullptr, DNS_REGISTER));
}

struct Client {
  DWORD inst = 0;
  HCONV conv = nullptr;
  explicit Client(const char* service, const char* topic) {
    DdeInitialize(&inst, nullptr, APPCMD_CLIENTONLY, 0);
    conv = DdeConnect(inst, DdeCreateStringHandle(inst, service, CP_WINANSI),
                      DdeCreateStringHandle(inst, topic, CP_WINANSI), nullptr);
  }
  ~Client() { DdeUninitialize(inst); }
  // The request's bytes, or "<none>".
  std::string request(const char* item, DWORD timeout = 5000) {
    HDDEDATA h = DdeClientTransaction(nullptr, 0, conv, DdeCreateStringHandle(inst, item, CP_WINANSI), CF_TEXT,
                                      XTYP_REQUEST, timeout, nullptr);
    if (!h) return "<none>";
    std::string bytes(DdeGetData(h, nullptr, 0, 0), '\0');
    DdeGetData(h, reinterpret_cast<LPBYTE>(bytes.data()), static_cast<DWORD>(bytes.size()), 0);
    DdeFreeDataHandle(h);
    return bytes;
  }
  HDDEDATA send(UINT type, const std::string& text, DWORD* result) {
    std::string bytes = text + '\0';
    return DdeClientTransaction(reinterpret_cast<LPBYTE>(bytes.data()), static_cast<DWORD>(bytes.size()), conv,
                                type == XTYP_POKE ? DdeCreateStringHandle(inst, "x", CP_WINANSI) : nullptr, CF_TEXT,
                                type, 1000, result);
  }
};

// Pumps the calling thread until WM_APP arrives.
void pumpUntilApp() {
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0 && msg.message != WM_APP) DispatchMessage(&msg);
}

// Runs dde_request with args, the calling thread pumping meanwhile when pump; its exit status.
int runTool(std::vector<std::string> args, bool pump) {
  args.insert(args.begin(), IDS_DDE_REQUEST);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    execve(argv[0], argv.data(), environ);
    _exit(127);
  }
  if (pid < 0) return -1;
  int status = -1;
  if (!pump) {
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  DWORD owner = GetCurrentThreadId();
  std::thread waiter([&] {
    waitpid(pid, &status, 0);
    PostThreadMessage(owner, WM_APP, 0, 0);
  });
  pumpUntilApp();
  waiter.join();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DdeHandles, StringsAndData) {
  TestMachine m;
  DWORD inst = 0;
  ASSERT_EQ(DdeInitialize(&inst, nullptr, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
  HSZ a = DdeCreateStringHandle(inst, "Progman", CP_WINANSI);
  EXPECT_EQ(DdeCreateStringHandle(inst, "PROGMAN", CP_WINANSI), a);
  char buf[5];
  EXPECT_EQ(DdeQueryString(inst, a, nullptr, 0, CP_WINANSI), 7u);
  EXPECT_EQ(DdeQueryString(inst, a, buf, sizeof buf, CP_WINANSI), 4u);
  EXPECT_STREQ(buf, "Prog");
  BYTE src[] = {1, 2, 3, 4};
  HDDEDATA d = DdeCreateDataHandle(inst, src, 3, 1, a, CF_TEXT, 0);
  BYTE out[8] = {};
  EXPECT_EQ(DdeGetData(d, nullptr, 0, 0), 3u);
  EXPECT_EQ(DdeGetData(d, out, 8, 1), 2u);
  EXPECT_EQ(out[0], 3);
  EXPECT_TRUE(DdeFreeDataHandle(d));
  EXPECT_FALSE(DdeFreeDataHandle(d));
  EXPECT_TRUE(DdeUninitialize(inst));
  EXPECT_EQ(DdeGetLastError(inst), DMLERR_DLL_NOT_INITIALIZED);
}

TEST(DdeServer, SameThreadAndSecondThreadGetTheCallbacksBytes) {
  TestMachine m;
  startServer(CBF_FAIL_POKES | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS);
  {
    Client same("MerlInst", "MAINDIR");
    ASSERT_TRUE(same.conv);
    EXPECT_EQ(same.request("MAINDIR"), kAnswer);
  }
  DWORD owner = GetCurrentThreadId();
  std::string fromThread;
  std::thread client([&] {
    {
      Client c("merlinst", "MAINDIR");
      fromThread = c.conv ? c.request("MAINDIR") : "<no conversation>";
    }
    PostThreadMessage(owner, WM_APP, 0, 0);
  });
  pumpUntilApp();
  client.join();
  EXPECT_EQ(fromThread, kAnswer);
  EXPECT_EQ(callbackThread.load(), owner);
}

TEST(DdeServer, PokesReachOnlyAServerThatAcceptsThem) {
  struct Case {
    DWORD flags;
    bool acked;
  };
  for (auto c : {Case{CBF_FAIL_POKES, false}, Case{0, true}}) {
    TestMachine m;
    startServer(c.flags);
    Client client("MerlInst", "CANCEL");
    DWORD result = 0xFFFF;
    HDDEDATA r = client.send(XTYP_POKE, "1", &result);
    EXPECT_EQ(r != nullptr, c.acked);
    EXPECT_EQ(result, c.acked ? DDE_FACK : DDE_FNOTPROCESSED);
    EXPECT_EQ(pokesSeen.load(), c.acked ? 1 : 0);
    if (!c.acked) {
      EXPECT_EQ(DdeGetLastError(client.inst), DMLERR_NOTPROCESSED);
    }
  }
}

TEST(DdeServer, AnotherThreadTimesOutOnTheVirtualClockWhenTheOwnerNeverPumps) {
  TestMachine m;
  startServer(0);
  Client owned("MerlInst", "MAINDIR");  // connected on the owner thread
  ASSERT_TRUE(owned.conv);
  DWORD before = GetTickCount();
  std::string got;
  UINT error = 0;
  std::thread client([&] {
    got = owned.request("MAINDIR", 200);
    error = DdeGetLastError(owned.inst);
  });
  client.join();  // the owner does not pump meanwhile
  EXPECT_EQ(got, "<none>");
  EXPECT_EQ(error, DMLERR_DATAACKTIMEOUT);
  EXPECT_EQ(GetTickCount() - before, 200u);
}

TEST(DdeBridge, AnotherProcessReadsAVariableWhileTheOwnerPumps) {
  TestMachine m;
  startServer(CBF_FAIL_POKES);
  std::string out = m.stateDir() + "/reply.bin";
  EXPECT_EQ(runTool({"--out", out, "MerlInst", "MAINDIR", "x"}, true), 0);
  EXPECT_EQ(TestMachine::readText(out), kAnswer);
  EXPECT_EQ(runTool({"MerlInst", "NOSUCH", "x"}, true), 1);
}

TEST(Progman, CommandsChangeTheGroupsAnotherProcessReads) {
  TestMachine m;
  Client pm("PROGMAN", "PROGMAN");
  ASSERT_TRUE(pm.conv);
  struct Case {
    const char* command;
    bool acked;
  };
  const Case cases[] = {
      {"[CreateGroup(Demo,0)]", true},
      {"[AddItem(C:\\APP\\DEMO.EXE,Demo App)]", true},
      {"[CreateGroup(Old)][AddItem(C:\\OLD.EXE)][ShowGroup(Old,1)][DeleteItem(OLD)]", true},
      {"[DeleteGroup(Old)]", true},
      {"[CreateGroup(Demo,0)", false},
      {"CreateGroup(Demo)", false},
      {"[NoSuchCommand(x)]", false},
      {"[DeleteItem(Missing)]", false},
      {"[ShowGroup(Missing,1)]", false},
  };
  for (const auto& c : cases) {
    DWORD result = 0xFFFF;
    EXPECT_EQ(pm.send(XTYP_EXECUTE, c.command, &result) != nullptr, c.acked) << c.command;
    EXPECT_EQ(result, c.acked ? DDE_FACK : DDE_FNOTPROCESSED) << c.command;
  }
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/groups.txt"), "[Demo]\nDemo App\tC:\\APP\\DEMO.EXE\n");
  std::string groups = m.stateDir() + "/groups.out", demo = m.stateDir() + "/demo.out";
  EXPECT_EQ(runTool({"--out", groups, "PROGMAN", "PROGMAN", "GROUPS"}, false), 0);
  EXPECT_EQ(TestMachine::readText(groups), std::string("Demo\r\n") + '\0');
  EXPECT_EQ(runTool({"--out", demo, "PROGMAN", "PROGMAN", "demo"}, false), 0);
  EXPECT_EQ(TestMachine::readText(demo),
            std::string("\"Demo\",Demo.GRP,1\r\n\"Demo App\",\"C:\\APP\\DEMO.EXE\",,C:\\APP\\DEMO.EXE,0,0,0,0,0\r\n") +
                '\0');
}

TEST(Progman, SwitchedOffByTheMachine) {
  TestMachine m("[progman]\nenabled = 0\n");
  Client pm("PROGMAN", "PROGMAN");
  EXPECT_EQ(pm.conv, nullptr);
  EXPECT_EQ(DdeGetLastError(pm.inst), DMLERR_NO_CONV_ESTABLISHED);
}

}  // namespace
