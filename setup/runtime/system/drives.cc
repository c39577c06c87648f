// Drive queries on the machine's volume calls. Free space comes from
// KERNEL32's 64-bit call where the platform flags found it, else from the
// cluster counts; either way it saturates instead of wrapping.
#include "system/drives.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "files/file_utils.h"
#include "files/paths.h"
#include "run.h"
#include "text/path_text.h"
#include "win/files.h"
#include "win/machine_description.h"

namespace merl {

namespace {

constexpr int kDriveCount = 26;
constexpr std::uint64_t kSectorBytes = 512;

std::string driveRoot(char letter) { return std::string(1, letter) + ":\\"; }

DWORD saturated(std::uint64_t value) { return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(value); }

// The root of path's drive or share; "" when it has none.
std::string rootOfPath(const char* path) {
  std::string text(path, ::strnlen(path, kPathBufferSize));
  if (text.size() == 2 && text[1] == ':') text += '\\';
  std::string root = pathRoot(text);
  if (root.empty())
    if (std::optional<std::string> full = fullPathName(text)) root = pathRoot(*full);
  return root;
}

DWORD freeKB(const std::string& root) {
  if (DiskFreeSpaceExProc freeSpaceEx = run().platform.getDiskFreeSpaceEx) {
    win::ULARGE_INTEGER toCaller{}, total{}, totalFree{};
    if (!freeSpaceEx(root.c_str(), &toCaller, &total, &totalFree)) return 0;
    return saturated(toCaller.QuadPart >> 10);
  }
  DWORD sectors = 0, bytes = 0, freeClusters = 0, totalClusters = 0;
  if (!win::GetDiskFreeSpace(root.c_str(), &sectors, &bytes, &freeClusters, &totalClusters)) return 0;
  std::uint64_t clusterBytes = std::uint64_t{sectors} * bytes;
  if (clusterBytes >= kSectorBytes && clusterBytes % kSectorBytes == 0)
    return saturated(((clusterBytes >> 9) * freeClusters) >> 1);
  return saturated((clusterBytes * freeClusters) >> 10);
}

}  // namespace

DWORD GetDriveSerial(int drive) {
  if (drive < 1 || drive > kDriveCount) return 0;
  DWORD serial = 0;
  std::string root = driveRoot(static_cast<char>('A' + drive - 1));
  return win::GetVolumeInformation(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) ? serial : 0;
}

win::UINT DriveTypeOf(int drive) {
  if (drive < 0 || drive >= kDriveCount) return win::DRIVE_NO_ROOT_DIR;
  return win::GetDriveType(driveRoot(static_cast<char>('A' + drive)).c_str());
}

DWORD GetFreeSpaceKB(const char* path, int drive) {
  std::string root;
  if (path) {
    if (::strnlen(path, 2) <= 1) return 0;
    root = rootOfPath(path);
  } else if (drive >= 0 && drive < kDriveCount) {
    root = driveRoot(static_cast<char>('A' + drive));
  }
  return root.empty() ? 0 : freeKB(root);
}

bool GetDiskGeometry(char letter, DWORD& freeClusters, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                     DWORD& totalClusters) {
  freeClusters = sectorsPerCluster = bytesPerSector = totalClusters = 0;
  std::string root = driveRoot(letter);
  if (!win::GetDiskFreeSpace(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    freeClusters = sectorsPerCluster = bytesPerSector = totalClusters = 0;
    return false;
  }
  return true;
}

}  // namespace merl
