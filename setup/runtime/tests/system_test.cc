// Platform flags from the machine's version and KERNEL32, global memory
// blocks, and the network user name.
#include <cstring>
#include <string>

#include "runtime_test.h"
#include "system/memory.h"
#include "system/net_user.h"
#include "system/platform_flags.h"
#include "win/system.h"

namespace {

class SystemTest : public merl_testing::RuntimeTest {};

struct FlagsCase {
  const char* ini;
  bool majorAbove3, windows9x, windowsNt, freeSpaceEx;
};

TEST_F(SystemTest, PlatformFlagsFollowTheVersionAndKernel32) {
  const FlagsCase cases[] = {
      {"", true, false, true, true},
      {"[system]\nplatform = nt\nversion = 3.51\n", false, false, true, true},
      {"[system]\nplatform = 9x\nversion = 4.10\n", true, true, false, true},
      {"[system]\nplatform = win32s\nversion = 3.10\n", false, false, false, true},
      {"[libraries]\ngetdiskfreespaceex = 0\n", true, false, true, false},
  };
  for (const auto& c : cases) {
    useMachine(c.ini);
    merl::InitPlatformFlags();
    const merl::PlatformFlags& flags = run().platform;
    EXPECT_TRUE(flags.win32) << c.ini;
    EXPECT_EQ(flags.majorAbove3, c.majorAbove3) << c.ini;
    EXPECT_EQ(flags.windows9x, c.windows9x) << c.ini;
    EXPECT_EQ(flags.windowsNt, c.windowsNt) << c.ini;
    EXPECT_EQ(flags.getDiskFreeSpaceEx != nullptr, c.freeSpaceEx) << c.ini;
  }
}

TEST_F(SystemTest, MemoryBlocksAreLockedUntilFreed) {
  win::HGLOBAL handle = nullptr;
  void* block = merl::AllocMemory(4096, &handle);
  ASSERT_NE(block, nullptr);
  ASSERT_NE(handle, nullptr);
  std::memset(block, 0xAB, 4096);
  EXPECT_GE(win::GlobalSize(handle), 4096u);
  merl::FreeMemory(handle);
  merl::FreeMemory(nullptr);
}

TEST_F(SystemTest, NetworkUserComesFromMpr) {
  useMachine("[system]\nuser = jdoe\n");
  char user[256] = "old";
  EXPECT_TRUE(merl::GetNetUserName(user));
  EXPECT_STREQ(user, "jdoe");
  EXPECT_FALSE(merl::GetNetUserName(user, "X:"));  // not connected, and no older network to ask
  EXPECT_STREQ(user, "");

  useMachine("[libraries]\nmpr = 0\n");
  EXPECT_FALSE(merl::GetNetUserName(user));
  EXPECT_STREQ(user, "");
}

}  // namespace
