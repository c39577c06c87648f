// Drive queries: free space in KB through either free-space call (saturating
// instead of wrapping), roots of drives and shares, serial numbers, drive
// types and the cluster geometry.
#include "system/drives.h"

#include <string>

#include "platform_testing/temp_dir.h"
#include "runtime_test.h"
#include "system/platform_flags.h"
#include "win/machine_description.h"

namespace {

class DrivesTest : public merl_testing::RuntimeTest {
 protected:
  platform_testing::TempDir share_;
};

struct FreeSpaceCase {
  const char* path;  // null: by drive number
  int drive;
  win::DWORD kb;
};

TEST_F(DrivesTest, FreeSpaceIsInKilobytesAndSaturatesInBothForms) {
  for (const char* exCall : {"1", "0"}) {
    useMachine(std::string("[libraries]\ngetdiskfreespaceex = ") + exCall +
               "\n[drives]\n\\\\SRV\\SHARE = " + share_.path() + "\n[free-space]\nC = 5120G\n\\\\SRV\\SHARE = 100M\n");
    merl::InitPlatformFlags();
    EXPECT_EQ(run().platform.getDiskFreeSpaceEx != nullptr, std::string(exCall) == "1");
    const FreeSpaceCase cases[] = {
        {"C:\\WINDOWS\\SYSTEM", 0, 0xFFFFFFFFu},
        {"C:", 0, 0xFFFFFFFFu},
        {"c:\\", 0, 0xFFFFFFFFu},
        {nullptr, 2, 0xFFFFFFFFu},
        {"\\\\SRV\\SHARE\\DIR\\FILE", 0, 102400},
        {"\\\\SRV\\SHARE", 0, 102400},
        {"WINDOWS", 0, 0xFFFFFFFFu},  // on the current drive
        {"C", 0, 0},
        {"", 0, 0},
        {"Q:\\", 0, 0},
        {nullptr, 26, 0},
        {nullptr, -1, 0},
    };
    for (const auto& c : cases)
      EXPECT_EQ(merl::GetFreeSpaceKB(c.path, c.drive), c.kb) << (c.path ? c.path : "drive") << " ex=" << exCall;
  }
}

TEST_F(DrivesTest, SerialTypeAndGeometryComeFromTheVolume) {
  useMachine("[volumes]\nC = DISK, 1234-5678, 4096\n[free-space]\nC = 100M\n");
  EXPECT_EQ(merl::GetDriveSerial(3), 0x12345678u);
  for (int drive : {0, 1, 27, -1}) EXPECT_EQ(merl::GetDriveSerial(drive), 0u) << drive;

  EXPECT_EQ(merl::DriveTypeOf(2), win::DRIVE_FIXED);
  for (int drive : {0, 25, 26, -1}) EXPECT_EQ(merl::DriveTypeOf(drive), win::DRIVE_NO_ROOT_DIR) << drive;

  win::DWORD freeClusters = 1, sectors = 1, bytes = 1, total = 1;
  EXPECT_TRUE(merl::GetDiskGeometry('C', freeClusters, sectors, bytes, total));
  EXPECT_EQ(freeClusters, 25600u);
  EXPECT_EQ(sectors, 8u);
  EXPECT_EQ(bytes, 512u);
  EXPECT_GE(total, freeClusters);
  EXPECT_FALSE(merl::GetDiskGeometry('Q', freeClusters, sectors, bytes, total));
  EXPECT_EQ(freeClusters + sectors + bytes + total, 0u);
}

}  // namespace
