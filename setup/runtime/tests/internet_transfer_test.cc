// InternetTransfer with the internet double: results, the failure message and
// its detail text, the silent callers, the timer on the main window, the abort
// flag the double sets, and the piece names.
#include "entry/internet_transfer.h"

#include <string>
#include <vector>

#include "copy_fixture.h"
#include "entry/data_pieces.h"
#include "entry/main_state.h"
#include "entry/screen_services.h"
#include "entry/support_files.h"

namespace {

class InternetTransferTest : public merl_testing::CopyFixture {
 protected:
  // A run whose internet support file is the double (or none).
  void start(const std::string& config, bool library = true) {
    begin("[internet]\n" + config);
    if (library) merl::mainState().supportPaths[merl::kSupportInternet] = placeDouble(MERL_INTERNET_DOUBLE, "NET.DLL");
  }
  void TearDown() override { merl::RemoveSupportFiles(); }
  long long mainWindowValue() { return static_cast<long long>(win::handleValue(setup_.mainWindow)); }
  // The main window's timer 1234 as "timer-set <ms>" and "timer-killed 0", sets first.
  std::vector<std::string> timerEvents() {
    std::vector<std::string> out;
    for (const char* kind : {"timer-set", "timer-killed"})
      for (const merl_kit::JsonValue& e : events(kind))
        if (e["id"].integer() == 1234 && e["hwnd"].integer() == mainWindowValue())
          out.push_back(std::string(kind) + " " + std::to_string(e["ms"].integer()));
    return out;
  }
};

TEST_F(InternetTransferTest, ResultsAndTheMessagesOfFailure) {
  struct Case {
    const char* name;
    bool library;
    const char* config;
    int a;
    int result;
    const char* shown;  // "" for no message
  } cases[] = {
      {"no library", false, "", 0, 2, "M15: 11"},
      {"host down", true, "result = -5\ndetail = host down\n", 0, 2, "M15: 5host down"},
      {"silent a -1", true, "result = -5\n", -1, 2, ""},
      {"silent a -3", true, "result = -5\n", -3, 2, ""},
      {"silent without library", false, "", -1, 2, ""},
      {"done", true, "result = 0\n", 0, 0, ""},
      {"positive is done", true, "result = 7\n", 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(c.config, c.library);
    EXPECT_EQ(merl::InternetTransfer("http://host/p", "C:\\TEMP\\QDL1.TMP", c.a, 0, 0, 0), c.result);
    std::vector<std::string> shown = aborts();
    if (*c.shown) {
      EXPECT_EQ(shown, std::vector<std::string>{c.shown});
    } else {
      EXPECT_TRUE(shown.empty());
    }
    TearDown();
  }
}

TEST_F(InternetTransferTest, TheLibraryGetsTheRecordsFieldsAndIsLoadedOnce) {
  start("duration_ms = 1000\nresult = 0\n");
  setup_.bytesDone = 77;
  EXPECT_EQ(merl::InternetTransfer("p001", "C:\\TEMP\\Q.TMP", 10, 20, 0, 0), 0);
  EXPECT_EQ(merl::InternetTransfer("p002", "C:\\TEMP\\Q.TMP", 10, 20, 0, 0), 0);
  std::vector<merl_kit::JsonValue> t1 = calls("internet", "t1");
  ASSERT_EQ(t1.size(), 2u);
  EXPECT_EQ(t1[0]["source"].text(), "p001");
  EXPECT_EQ(t1[0]["main_window"].integer(), mainWindowValue());
  EXPECT_EQ(t1[0]["bytes_done"].integer(), 77);
  EXPECT_EQ(t1[0]["a"].integer() * 100 + t1[0]["b"].integer(), 1020);
  EXPECT_GE(t1[0]["timer_messages"].integer(), 3);
  EXPECT_EQ(calls("internet", "load").size(), 1u);
  EXPECT_EQ(timerEvents(),
            (std::vector<std::string>{"timer-set 250", "timer-set 250", "timer-killed 0", "timer-killed 0"}));
  EXPECT_TRUE(run_().state<merl::TransferLink>().control);
}

TEST_F(InternetTransferTest, AnAbortSetByTheLibraryIsSeenByTheCaller) {
  start("set_abort = 1\nresult = 0\n");
  EXPECT_EQ(merl::InternetTransfer("p", "C:\\TEMP\\Q.TMP", 0, 0, 0, 0), 0);
  EXPECT_EQ(setup_.abortFlag, 1u);
}

TEST_F(InternetTransferTest, AnUnterminatedDetailIsCutAt255Characters) {
  start("result = -1\ndetail = " + std::string(400, 'd') + "\n");
  setMessage(15, "E%d ");
  EXPECT_EQ(merl::InternetTransfer("p", "C:\\TEMP\\Q.TMP", 0, 0, 0, 0), 2);
  std::vector<std::string> shown = aborts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "E1 " + std::string(255, 'd'));
}

TEST(PieceName, BaseAndThreeBase36Digits) {
  struct Case {
    const char* base;
    unsigned number;
    const char* name;
  } cases[] = {{"DATA", 0, "DATA000"}, {"DATA", 35, "DATA00z"}, {"DATA", 36, "DATA010"},
               {"p", 16383, "pcn3"},   {"", 46655, "zzz"},     {"x", 46656, "x000"}};
  for (const Case& c : cases) EXPECT_EQ(merl::PieceName(c.base, c.number), c.name) << c.number;
  EXPECT_EQ(merl::PieceName(std::string(300, 'b'), 1).size(), 258u);
}

}  // namespace
