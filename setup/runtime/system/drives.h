// Drive and volume queries: serial number, drive type, free space in KB and
// the cluster geometry of a drive.
#pragma once

#include "win/types.h"

namespace merl {

using win::DWORD;

// The volume serial number of drive (1 = A); 0 when it cannot be read.
DWORD GetDriveSerial(int drive);

// GetDriveType of drive (0 = A); DRIVE_NO_ROOT_DIR for a number outside A-Z.
win::UINT DriveTypeOf(int drive);

// The free space in KB of path's drive or share (path null: of drive, 0 = A), in 64 bits and
// saturated at 0xFFFFFFFF. 0 for a path of one character or less and when the query fails.
DWORD GetFreeSpaceKB(const char* path, int drive = 0);

// Free clusters, sectors per cluster, bytes per sector and total clusters of the drive of
// letter; false (all 0) when they cannot be read.
bool GetDiskGeometry(char letter, DWORD& freeClusters, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                     DWORD& totalClusters);

}  // namespace merl
