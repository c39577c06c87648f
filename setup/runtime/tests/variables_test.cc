// The variable store: slot runs that grow and shrink with their values, the
// limits at 250 slots, names that cannot be stored, and case-blind lookup.
#include "script/variables.h"

#include <cstring>
#include <string>

#include "runtime_test.h"
#include "text/copy_text.h"

namespace {

using merl::FindVar;
using merl::GetVar;
using merl::GetVarLength;
using merl::SetVar;

class VariablesTest : public merl_testing::RuntimeTest {
 protected:
  merl::VariableStore& store() { return merl::variables(); }
  std::string get(const std::string& name) {
    char value[1024];
    GetVar(name, value, sizeof value);
    return value;
  }
  // Fills the store with one-slot variables V0, V1 ... up to count slots.
  void fillTo(int count) {
    while (store().count < count) SetVar("V" + std::to_string(store().count), "x");
  }
};

TEST_F(VariablesTest, ValueOf256CharactersTakesTwoSlotsAndShrinkingMovesTheNextVariableDown) {
  SetVar("LONG", std::string(256, 'a'));
  SetVar("NEXT", "next value");
  EXPECT_EQ(GetVarLength("LONG"), 257u);
  EXPECT_EQ(store().count, 3);
  EXPECT_EQ(store().nameOf(2), "%NEXT%");

  SetVar("LONG", "0123456789");
  EXPECT_EQ(store().count, 2);
  EXPECT_EQ(store().nameOf(1), "%NEXT%");
  EXPECT_EQ(get("NEXT"), "next value");
  EXPECT_EQ(get("LONG"), "0123456789");
  EXPECT_EQ(store().nameOf(2), "");
}

TEST_F(VariablesTest, GrowingMovesLaterVariablesUpWithTheirValues) {
  SetVar("A", "short");
  SetVar("B", "b value");
  SetVar("A", std::string(600, 'z'));
  EXPECT_EQ(store().count, 4);
  EXPECT_EQ(store().nameOf(3), "%B%");
  EXPECT_EQ(get("B"), "b value");
  EXPECT_EQ(GetVarLength("A"), 601u);
}

TEST_F(VariablesTest, NewVariableWhoseRunWouldReachSlot250IsNotStored) {
  fillTo(248);
  SetVar("LAST", "fits");  // first slot 248: 248 + 1 stays below 250
  EXPECT_EQ(store().count, 249);
  SetVar("NEW", "x");  // first slot 249: 249 + 1 reaches 250
  EXPECT_EQ(store().count, 249);
  EXPECT_EQ(GetVarLength("NEW"), 0u);
  EXPECT_EQ(get("NEW"), "");
}

TEST_F(VariablesTest, GrowthPastTheTablesKeepsTheOldValue) {
  SetVar("FIRST", "old");
  fillTo(249);
  SetVar("FIRST", std::string(512, 'g'));  // 249 - 1 + 3 slots
  EXPECT_EQ(store().count, 249);
  EXPECT_EQ(get("FIRST"), "old");
  EXPECT_EQ(get("V248"), "x");

  SetVar("FIRST", std::string(256, 'g'));  // 249 - 1 + 2 = 250 slots still fit the tables
  EXPECT_EQ(store().count, 250);
  EXPECT_EQ(GetVarLength("FIRST"), 257u);
  EXPECT_EQ(get("V248"), "x");
}

TEST_F(VariablesTest, ValuesTooLongForTheStoreAreNotStored) {
  SetVar("BIG", "before");
  SetVar("BIG", std::string(64 * 1024, 'b'));
  EXPECT_EQ(get("BIG"), "before");
  EXPECT_EQ(store().count, 1);
}

TEST_F(VariablesTest, NamesThatCannotBeSlotNamesAreNeverStored) {
  const std::string fifteen = "ABCDEFGHIJKLMNO";
  SetVar(fifteen, "kept");
  EXPECT_EQ(get(fifteen), "kept");
  EXPECT_EQ(store().nameOf(0), "%" + fifteen + "%");

  for (std::string name : {fifteen + "P", std::string(), std::string("A\0B", 3)}) {
    SetVar(name, "lost");
    EXPECT_EQ(store().count, 1) << name;
    EXPECT_EQ(get(name), "") << name;
    EXPECT_EQ(GetVarLength(name), 0u) << name;
    char* slot = FindVar(name);
    EXPECT_STREQ(slot, "") << name;
    merl::copyText(slot, merl::kValueSlotSize, "written");
    EXPECT_EQ(store().count, 1) << name;
    EXPECT_STREQ(FindVar(name), "") << name;
  }
}

TEST_F(VariablesTest, LookupIsCaseBlindAndTakesTheFirstSlot) {
  SetVar("win", "C:\\WINDOWS");
  EXPECT_EQ(get("WIN"), "C:\\WINDOWS");
  SetVar("Win", "D:\\WIN");
  EXPECT_EQ(store().count, 1);
  EXPECT_EQ(get("wIN"), "D:\\WIN");
  EXPECT_STREQ(FindVar("%WIN%"), "D:\\WIN");
  EXPECT_STREQ(FindVar("win"), "D:\\WIN");
}

TEST_F(VariablesTest, GetVarWrapsNamesAgainSoPercentFormsDoNotMatch) {
  SetVar("X", "value");
  EXPECT_EQ(get("%X%"), "");
  EXPECT_EQ(GetVarLength("%X%"), 0u);
}

TEST_F(VariablesTest, GetVarCutsToTheDestination) {
  SetVar("LONG", std::string(300, 'q'));
  char small[8];
  std::memset(small, 'z', sizeof small);
  GetVar("LONG", small, sizeof small);
  EXPECT_STREQ(small, "qqqqqqq");
  GetVar("LONG", small, 1);
  EXPECT_STREQ(small, "");
  GetVar("UNSET", small, sizeof small);
  EXPECT_STREQ(small, "");
}

TEST_F(VariablesTest, ValueWithEmbeddedNulIsCutThere) {
  SetVar("V", std::string("ab\0cd", 5));
  EXPECT_EQ(get("V"), "ab");
  EXPECT_EQ(GetVarLength("V"), 3u);
}

TEST_F(VariablesTest, FindVarAppendsAnEmptyVariableAndAFullStoreGivesAnUncountedScratchSlot) {
  char* made = FindVar("MADE");
  EXPECT_STREQ(made, "");
  EXPECT_EQ(store().count, 1);
  merl::copyText(made, merl::kValueSlotSize, "through the slot");
  EXPECT_EQ(get("MADE"), "through the slot");

  while (store().count < merl::kVariableSlots) FindVar("F" + std::to_string(store().count));
  char* scratch = FindVar("ONE_MORE");
  EXPECT_EQ(store().count, merl::kVariableSlots);
  merl::copyText(scratch, merl::kValueSlotSize, "vanishes");
  EXPECT_STREQ(FindVar("ANOTHER"), "");
  EXPECT_EQ(get("ONE_MORE"), "");
  EXPECT_EQ(get("MADE"), "through the slot");
}

TEST_F(VariablesTest, CountRaisedPastTheTablesIsReadAsFull) {
  SetVar("A", "a");
  store().count = 300;  // as an action library might leave it
  EXPECT_EQ(store().count, merl::kVariableSlots);
  SetVar("NEW", "x");
  EXPECT_EQ(GetVarLength("NEW"), 0u);
  EXPECT_EQ(get("A"), "a");
}

TEST_F(VariablesTest, BackupDirectorySlotCountsOnlyWithAValue) {
  EXPECT_EQ(merl::FindBackupDirVar(), -1);
  SetVar("BACKUPDIR", "");
  EXPECT_EQ(merl::FindBackupDirVar(), -1);
  SetVar("backupdir", "C:\\BACKUP");
  EXPECT_EQ(merl::FindBackupDirVar(), 0);
  SetVar("BACKUPDIR", "");
  EXPECT_EQ(merl::FindBackupDirVar(), -1);
}

TEST_F(VariablesTest, BackupDirectorySlotMovesWithTheSlotsBeforeIt) {
  SetVar("BEFORE", std::string(300, 'b'));
  SetVar("BACKUPDIR", "C:\\BACKUP");
  ASSERT_EQ(merl::FindBackupDirVar(), 2);
  SetVar("BEFORE", "b");
  EXPECT_EQ(store().backupDirSlot, 1);
  EXPECT_EQ(store().valueOf(store().backupDirSlot), "C:\\BACKUP");
}

}  // namespace
