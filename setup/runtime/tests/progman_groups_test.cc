// The Program Manager's group list over the run's DDE instance: the GROUPS
// answer in the work buffer, cut to it, and an empty buffer without an
// instance or a conversation.
#include "ui/progman_groups.h"

#include <string>

#include "constants.h"
#include "interp/progman_records.h"
#include "runtime_test.h"
#include "win/dde.h"

namespace {

win::HDDEDATA noCallback(win::UINT, win::UINT, win::HCONV, win::HSZ, win::HSZ, win::HDDEDATA, win::ULONG_PTR,
                         win::ULONG_PTR) {
  return nullptr;
}

class ProgmanGroupsTest : public merl_testing::RuntimeTest {
 protected:
  void TearDown() override {
    if (instance_) win::DdeUninitialize(instance_);
  }
  void start(const std::string& ini) {
    useMachine(ini);
    win_testing::TestMachine::writeText(machine().stateDir() + "/groups.txt",
                                        "[Accessories]\nNotepad\tNOTEPAD.EXE\n[Games]\n");
    ASSERT_EQ(win::DdeInitialize(&instance_, noCallback, win::APPCMD_CLIENTONLY, 0), win::DMLERR_NO_ERROR);
    merl::progmanLink().ddeInstance = instance_;
  }
  std::string groups(std::size_t size) {
    std::string buffer(size, 'x');
    merl::GetProgmanGroups(buffer.data(), size);
    return buffer.c_str();
  }
  win::DWORD instance_ = 0;
};

TEST_F(ProgmanGroupsTest, TheGroupNamesFillTheWorkBufferLineByLine) {
  start("");
  EXPECT_EQ(groups(merl::kWorkBufferSize), "Accessories\r\nGames\r\n");
  EXPECT_EQ(groups(9), "Accessor");
}

TEST_F(ProgmanGroupsTest, WithoutAnInstanceOrAProgramManagerTheBufferIsEmpty) {
  start("[progman]\nenabled = 0\n");
  EXPECT_EQ(groups(merl::kWorkBufferSize), "");
  merl::progmanLink().ddeInstance = 0;
  EXPECT_EQ(groups(merl::kWorkBufferSize), "");
}

}  // namespace
