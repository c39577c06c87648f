// Fonts through f10 (the path registered on each platform, its font table entry
// and the font change broadcast) and self-registration through f29 (files
// queued by the "1" flag, the queue registered directly or in the busy dialog).
#include <string>

#include <gtest/gtest.h>

#include "action_call.h"
#include "files/self_register.h"
#include "system/reg_values.h"
#include "win/profile.h"

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

TEST_F(RegistrationActionTest, AFontIsRegisteredWhereItsPlatformKeepsFonts) {
  struct Case {
    const char* name;
    bool nt, nine, major4;
    bool inFonts;
    const char* added;
    const char* key;  // null: no registry entry
  } cases[] = {
      {"NT 4 in Fonts", true, false, true, true, "X.TTF", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
      {"NT 4 elsewhere", true, false, true, false, "C:\\WINDOWS\\SYSTEM\\X.TTF",
       "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
      {"9x in Fonts", false, true, true, true, "X.TTF", "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts"},
      {"NT 3.51", true, false, false, false, "X.FOT", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
      {"16-bit", false, false, false, false, "X.TTF", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    useScriptMachine();
    load("log text=\"\"\n");
    merl::PlatformFlags& p = run_().platform;
    p.win32 = c.key != nullptr, p.windowsNt = c.nt, p.windows9x = c.nine, p.majorAbove3 = c.major4;
    if (c.inFonts) machine().makeFile("WINDOWS/Fonts/X.TTF", "f");
    EXPECT_EQ(callInTestRun(f10, "X.TTF\x7FMy Font (TrueType)"), 0);
    EXPECT_TRUE(events("font-add").empty());
    EXPECT_EQ(call(f10, "X.TTF\x7FMy Font (TrueType)"), 0);
    std::vector<merl_kit::JsonValue> added = events("font-add");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]["file"].text(), c.added);
    char stored[256] = {};
    if (c.key) {
      char type = 0;
      EXPECT_EQ(merl::ReadRegValue(2, c.key, stored, "My Font (TrueType)", &type, sizeof stored, false), 0);
      EXPECT_EQ(type, '0');
    } else {
      win::GetProfileString("Fonts", "My Font (TrueType)", "", stored, sizeof stored);
    }
    EXPECT_STREQ(stored, c.added);
    std::vector<merl_kit::JsonValue> resources = events("font-resource");
    EXPECT_EQ(resources.size(), c.key && !c.major4 ? 1u : 0u);
    if (c.key && !c.major4) {
      EXPECT_EQ(resources[0]["resource"].text(), "C:\\WINDOWS\\SYSTEM\\X.FOT");
    }
    int changes = 0;
    for (merl_kit::JsonValue& b : events("broadcast")) changes += b["message"].integer() == 0x1D;
    EXPECT_EQ(changes, 1);
  }
}

}  // namespace
