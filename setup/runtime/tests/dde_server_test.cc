// The runtime's DDE server "MerlInst": CF_TEXT requests answer the topic's
// variable with its NUL, other formats and pokes get nothing, and after the
// server stops nobody connects. Another process reads through the socket
// bridge while a waiting execute record pumps.
#include "entry/dde_server.h"

#include <filesystem>
#include <string>
#include <vector>

#include "json_reader.h"
#include "script/variables.h"
#include "script_run.h"
#include "win/dde.h"
#include "win/files.h"

namespace {

namespace fs = std::filesystem;

// A client conversation with "MerlInst" on the test's thread.
struct Client {
  win::DWORD inst = 0;
  win::HCONV conv = nullptr;
  explicit Client(const char* topic) {
    win::DdeInitialize(&inst, nullptr, win::APPCMD_CLIENTONLY, 0);
    conv = win::DdeConnect(inst, win::DdeCreateStringHandle(inst, merl::kDdeServiceName, win::CP_WINANSI),
                           win::DdeCreateStringHandle(inst, topic, win::CP_WINANSI), nullptr);
  }
  ~Client() { win::DdeUninitialize(inst); }
  win::HSZ item() { return win::DdeCreateStringHandle(inst, "x", win::CP_WINANSI); }
  // The reply's bytes, or "<none>".
  std::string request(win::UINT format = win::CF_TEXT) {
    win::HDDEDATA h = win::DdeClientTransaction(nullptr, 0, conv, item(), format, win::XTYP_REQUEST, 1000, nullptr);
    if (!h) return "<none>";
    std::string bytes(win::DdeGetData(h, nullptr, 0, 0), '\0');
    win::DdeGetData(h, reinterpret_cast<win::LPBYTE>(bytes.data()), static_cast<win::DWORD>(bytes.size()), 0);
    win::DdeFreeDataHandle(h);
    return bytes;
  }
  bool poke(const std::string& text) {
    std::string bytes = text + '\0';
    return win::DdeClientTransaction(reinterpret_cast<win::LPBYTE>(bytes.data()), static_cast<win::DWORD>(bytes.size()),
                                     conv, item(), win::CF_TEXT, win::XTYP_POKE, 1000, nullptr) != nullptr;
  }
};

class DdeServerTest : public merl_testing::ScriptRunTest {
 protected:
  // A run of a one-record script with the server started.
  void serve() {
    load("log text=\"x\"\n");
    ASSERT_TRUE(merl::StartDdeServer());
  }
  std::string value(const char* name) {
    char text[merl::kValueSlotSize] = {};
    merl::GetVar(name, text, sizeof text);
    return text;
  }
};

TEST_F(DdeServerTest, RequestsAnswerTheTopicsValueWithItsNul) {
  serve();
  const std::string longValue(300, 'v');
  merl::SetVar("INSTALL_RESULT", "E");
  merl::SetVar("LONGVALUE", longValue);
  merl::SetVar("FIFTEEN_LETTERS", "15");  // the longest name, filling its slot
  struct Case {
    const char* topic;
    std::string reply;
  } cases[] = {
      {"INSTALL_RESULT", std::string("E\0", 2)},
      {"install_result", std::string("E\0", 2)},  // names are case-blind
      {"NOT_SET", std::string(1, '\0')},
      {"LONGVALUE", longValue + '\0'},             // a value over several slots, whole
      {"FIFTEEN_LETTERS", std::string("15\0", 3)},
      {"FIFTEEN_LETTERSX", std::string(1, '\0')},  // longer than any name
      {"%INSTALL_RESULT%", std::string(1, '\0')},  // the topic is the name without its signs
  };
  for (const Case& c : cases) {
    Client client(c.topic);
    ASSERT_TRUE(client.conv) << c.topic;
    EXPECT_EQ(client.request(), c.reply) << c.topic;
  }
}

TEST_F(DdeServerTest, OtherFormatsAndPokesGetNothing) {
  serve();
  merl::SetVar("RESTART", "W");
  Client client("RESTART");
  ASSERT_TRUE(client.conv);
  EXPECT_EQ(client.request(2), "<none>");
  EXPECT_FALSE(client.poke("S"));
  EXPECT_EQ(value("RESTART"), "W");
  Client cancel("CANCEL");
  EXPECT_FALSE(cancel.poke("1"));
  EXPECT_EQ(setup_.abortFlag, 0u);
}

TEST_F(DdeServerTest, AfterStopNobodyConnectsAndTheInstanceIsGone) {
  serve();
  EXPECT_NE(merl::ddeInstance(), 0u);
  merl::StopDdeServer();
  merl::StopDdeServer();
  EXPECT_FALSE(Client("INSTALL_RESULT").conv);
  EXPECT_EQ(merl::ddeInstance(), 0u);
}

TEST_F(DdeServerTest, TheCallbackWithoutTheServerAnswersNothing) {
  serve();
  merl::StopDdeServer();
  EXPECT_EQ(DDECallback(win::XTYP_CONNECT, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr);
}

// A program the script starts and waits for reads the variables the records before it left.
TEST_F(DdeServerTest, AStartedProgramReadsVariablesWhileTheRecordWaits) {
  const std::string state = machine().stateDir();
  fs::create_directories(machine().hostC("TOOLS"));
  fs::copy_file(MERL_DDE_REQUEST, machine().hostC("TOOLS/ddereq.exe"));
  machine().makeFile("WINDOWS/RO.INI", "[S]\r\n");
  ASSERT_TRUE(win::SetFileAttributes("C:\\WINDOWS\\RO.INI", win::FILE_ATTRIBUTE_READONLY));
  load("ini file=\"RO.INI\" section=\"S\" entries=\"a=1\"\n"
       "exec flags=2 program=\"C:\\\\TOOLS\\\\ddereq.exe\" arguments=\"--out " + state +
       "/result.bin MerlInst INSTALL_RESULT x\" directory=\"\"\n"
       "exec flags=2 program=\"C:\\\\TOOLS\\\\ddereq.exe\" arguments=\"--out " + state +
       "/unset.bin MerlInst NO_SUCH x\" directory=\"\"\n");
  merl::SetVar("WIN", "C:\\WINDOWS");
  ASSERT_TRUE(merl::StartDdeServer());
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(machine().readText(state + "/result.bin"), std::string("E\0", 2));
  EXPECT_EQ(machine().readText(state + "/unset.bin"), std::string(1, '\0'));
}

// An action library called by the script asks over DDE as another program would.
TEST_F(DdeServerTest, AnActionLibrarysRequestsSeeTheRecordsBeforeIt) {
  useMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
  machine().writeText(machine().stateDir() + "/doubles.ini",
                      "[action]\ndde_request = INSTALL_RESULT,NO_SUCH,INSTALL_RESULT\ndde_format = 1,1,2\n");
  fs::create_directories(machine().hostC("APP"));
  fs::copy_file(MERL_ACTION_DOUBLE, machine().hostC("APP/ACT.DLL"));
  machine().makeFile("WINDOWS/RO.INI", "[S]\r\n");
  ASSERT_TRUE(win::SetFileAttributes("C:\\WINDOWS\\RO.INI", win::FILE_ATTRIBUTE_READONLY));
  const std::string call = "call library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"\"\n";
  load("ini file=\"RO.INI\" section=\"S\" entries=\"a=1\"\n" + call + call + call);
  merl::SetVar("WIN", "C:\\WINDOWS");
  ASSERT_TRUE(merl::StartDdeServer());
  EXPECT_EQ(runAll(), merl::kExit);
  std::vector<std::string> replies;
  for (const merl_kit::JsonValue& line :
       merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/doubles.log")))
    if (line["call"].text() == "DdeRequest")
      replies.push_back(line["topic"].text() + " " + (line["answered"].boolean() ? line["reply"].text() : "none"));
  EXPECT_EQ(replies, (std::vector<std::string>{"INSTALL_RESULT 45 00", "NO_SUCH 00", "INSTALL_RESULT none"}));
}

}  // namespace
