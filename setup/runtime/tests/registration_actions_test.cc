// Self-registration through f29: files queued by the "1" flag, the queue
// registered directly or inside the busy dialog (not in a silent setup).
#include <string>

#include <gtest/gtest.h>

#include "action_call.h"
#include "files/self_register.h"

namespace {

class RegistrationActionTest : public merl_testing::ActionCallTest {
 protected:
  // How often the busy dialog showed text.
  int busyDialogs(const std::string& text) {
    int n = 0;
    for (merl_kit::JsonValue& d : events("dialog")) {
      if (d["key"].text() != "103") continue;
      for (const merl_kit::JsonValue& c : d["controls"].items())
        if (c["id"].integer() == 1005 && c["text"].text() == text) ++n;
    }
    return n;
  }
};

TEST_F(RegistrationActionTest, QueuedFilesAreRegisteredAndLoggedOnceTheQueueRuns) {
  struct Case {
    const char* run;
    bool silent;
    bool queued;
    int dialogs;
  } cases[] = {
      {"0\x7F", false, true, 0},
      {"0\x7FRegistering", false, true, 1},
      {"0\x7FRegistering", true, true, 0},
      {"0\x7FRegistering", false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.run) + (c.silent ? " silent" : "") + (c.queued ? "" : " empty"));
    useScriptMachine();
    answers("103 1\n");
    load("log text=\"\"\n");
    setup_.silentFlag = c.silent;
    if (c.queued) {
      EXPECT_EQ(call(f29, "1\x7F" "C:\\APP\\A.DLL"), 0);
    }
    EXPECT_EQ(logged(), "");
    EXPECT_EQ(merl::selfRegisterQueue().entries.size(), c.queued ? 1u : 0u);
    EXPECT_EQ(call(f29, c.run), 0);
    EXPECT_TRUE(merl::selfRegisterQueue().entries.empty());
    EXPECT_EQ(logged(), c.queued ? "Could not Self-Register: C:\\APP\\A.DLL\r\n" : "");
    EXPECT_EQ(busyDialogs("Registering"), c.dialogs);
  }
}

}  // namespace
