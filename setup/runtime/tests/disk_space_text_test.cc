// Size lists summed over the selected components (digits alone a size, digits
// with letters or a TAB-led term a condition) and the "%ld k" disk-space text,
// set only when it changes.
#include "ui/disk_space_text.h"

#include <string>

#include "runtime_test.h"
#include "script/variables.h"
#include "win/window.h"

namespace {

using DiskSpaceTextTest = merl_testing::RuntimeTest;

struct SumCase {
  const char* a;
  const char* b;
  std::int64_t total;
};

TEST_F(DiskSpaceTextTest, ConditionsAddTheSizeAfterThemWhenTheirVariableHoldsALetter) {
  const std::string list = "1000 %A% %B%\t0A 200 1B 300";
  const SumCase cases[] = {{"", "", 1000}, {"A", "", 1200}, {"", "B", 1300}, {"XA", "CB", 1500}, {"a", "b", 1000}};
  for (const auto& c : cases) {
    merl::SetVar("A", c.a);
    merl::SetVar("B", c.b);
    std::int64_t total = -1;
    const char* after = merl::SumComponentSizes(list.c_str(), &total);
    EXPECT_EQ(total, c.total) << c.a << "/" << c.b;
    EXPECT_EQ(after, list.c_str() + list.size() + 1);
  }
}

TEST_F(DiskSpaceTextTest, SizeListsEndAtDelAndReadOnlyTheNamesTheyCanHold) {
  merl::SetVar("A", "A");
  struct Case {
    std::string list;
    std::int64_t total;
    std::size_t after;  // offset of the returned position
  } cases[] = {
      {"10 %A%\t0A 5\x7F" "C:\\APP", 15, 12},
      {"10 %A%\t3A 5", 10, 12},          // index beyond the names read: false
      {"10 %A%\t0Z 5 7", 17, 14},        // a false condition skips one size
      {"10 %A%\t0Z\t0A 5 7", 10, 17},  // a TAB-led term under a false one skips one size more
      {"10 %A%\t0A 4 # 6", 14, 16},      // a stray word is a condition on variable 0
  };
  for (const auto& c : cases) {
    std::int64_t total = -1;
    const char* after = merl::SumComponentSizes(c.list.c_str(), &total);
    EXPECT_EQ(total, c.total) << c.list;
    EXPECT_EQ(static_cast<std::size_t>(after - c.list.c_str()), c.after) << c.list;
  }
  // 70 names: those after the 64th are read but not kept, so index 64 is false.
  std::string many = "1";
  for (int i = 0; i < 70; ++i) many += " %A%";
  for (const char* term : {"\t63A 5", "\t64A 5"}) {
    std::int64_t total = 0;
    merl::SumComponentSizes((many + term).c_str(), &total);
    EXPECT_EQ(total, std::string(term) == "\t63A 5" ? 6 : 1) << term;
  }
  // A name of 40 characters is cut to 31 and names no variable.
  std::int64_t total = 0;
  merl::SumComponentSizes(("1 %A" + std::string(36, 'X') + "%\t0A 5").c_str(), &total);
  EXPECT_EQ(total, 1);
}

TEST_F(DiskSpaceTextTest, TheTextShowsFreeSpaceLessTheTotalOrTheSelectedSizes) {
  useMachine("[free-space]\nC = 50000K\n");
  merl::SetVar("A", "A");
  win::HWND control =
      win::CreateWindowEx(0, "STATIC", "", win::WS_POPUP, 0, 0, 80, 16, nullptr, nullptr, nullptr, nullptr);
  struct Case {
    const char* variable;
    const char* next;
    const char* shown;  // null: the text stays
  } cases[] = {
      {"1000 %A%\t0B 200", "", "0 k"},
      {"1000 %A%\t0A 200", "C:\\", "48800 k"},
      {"1000 %A%\t0A 200\x7F" "C:\\", "", nullptr},  // the same text again: not set
      {"", "C:\\", "50000 k"},
      {"", "", nullptr},
  };
  for (const auto& c : cases) {
    char before[32] = {};
    win::GetWindowText(control, before, sizeof before);
    bool changed = merl::UpdateDiskSpaceText(control, c.variable, c.next);
    char shown[32] = {};
    win::GetWindowText(control, shown, sizeof shown);
    EXPECT_EQ(changed, c.shown != nullptr) << c.variable << "|" << c.next;
    EXPECT_STREQ(shown, c.shown ? c.shown : before);
  }
  win::DestroyWindow(control);
}

}  // namespace
