// Drives and volumes: drive types, the mapped letters, volume label, serial
// and file system, free space (64-bit; [free-space] stands in for the host's),
// and the process's error mode.
#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>

#include "file_access.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

struct Space {
  std::uint64_t freeBytes = 0;
  std::uint64_t totalBytes = 0;
};

// A root path: "C:\", "C:" (taken as its root), "\\server\share\"; NULL is the current directory's.
std::optional<WinPath> parseRoot(LPCSTR text) {
  if (!text) {
    WinPath root = machine().currentDirectory();
    root.parts.clear();
    return root;
  }
  if (std::strlen(text) == 2 && text[1] == ':') return parsePath(std::string(text) + "\\");
  return parsePath(text);
}

// The mapped drive of a root path; nullopt with the last error set (a path below a root: notRoot).
std::optional<const DriveMapping*> driveOfRoot(LPCSTR text, DWORD notRoot) {
  auto root = parseRoot(text);
  if (!root) return std::nullopt;
  if (!root->parts.empty()) {
    SetLastError(notRoot);
    return std::nullopt;
  }
  const DriveMapping* drive = machine().findDrive(*root);
  if (!drive) {
    SetLastError(root->isUnc() ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  return drive;
}

// The description's line for a drive in a section keyed by drive.
template <typename Entries>
auto findFor(const Entries& entries, const std::string& drive) -> decltype(&*entries.begin()) {
  for (const auto& e : entries)
    if (namesEqual(e.first, drive)) return &e;
  return nullptr;
}

VolumeSettings volumeOf(const DriveMapping& drive) {
  for (const auto& v : machine().description().volumes)
    if (namesEqual(v.drive, drive.name)) return v;
  return VolumeSettings{drive.name, "", kDefaultVolumeSerial, kDefaultClusterBytes};
}

std::optional<Space> spaceOf(const DriveMapping& drive) {
  machine().ensureStandardDirectories();  // the default drive C may not be made yet
  struct statvfs vfs{};
  if (::statvfs(drive.hostRoot.c_str(), &vfs) != 0) {
    SetLastError(ERROR_NOT_READY);
    return std::nullopt;
  }
  Space s{static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize,
          static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize};
  if (auto line = findFor(machine().description().freeSpace, drive.name)) s.freeBytes = line->second;
  s.totalBytes = std::max(s.totalBytes, s.freeBytes);
  return s;
}

DWORD clusters(std::uint64_t bytes, DWORD clusterBytes) {
  return static_cast<DWORD>(std::min<std::uint64_t>(bytes / clusterBytes, 0xFFFFFFFF));
}

void put(PULARGE_INTEGER out, std::uint64_t value) {
  if (out) out->QuadPart = value;
}

}  // namespace

UINT GetDriveType(LPCSTR lpRootPathName) {
  auto drive = driveOfRoot(lpRootPathName, ERROR_DIR_NOT_ROOT);
  if (!drive) return DRIVE_NO_ROOT_DIR;
  if (auto line = findFor(machine().description().driveTypes, (*drive)->name)) return line->second;
  return (*drive)->name.size() == 1 ? DRIVE_FIXED : DRIVE_REMOTE;
}

DWORD GetLogicalDrives() {
  DWORD mask = 0;
  for (const auto& d : machine().description().drives)
    if (d.name.size() == 1) mask |= 1u << (d.name[0] - 'A');
  return mask;
}

BOOL GetVolumeInformation(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                          LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                          LPSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize) {
  auto drive = driveOfRoot(lpRootPathName, ERROR_DIR_NOT_ROOT);
  if (!drive) return FALSE;
  VolumeSettings volume = volumeOf(**drive);
  std::string fileSystem = machine().description().system.platform == WinPlatform::Nt ? kFileSystemNt : kFileSystem9x;
  bool labelFits = !lpVolumeNameBuffer || nVolumeNameSize > volume.label.size();
  bool nameFits = !lpFileSystemNameBuffer || nFileSystemNameSize > fileSystem.size();
  if (!labelFits || !nameFits) return files::fail(ERROR_BAD_LENGTH);
  if (lpVolumeNameBuffer) files::copyOut(volume.label, lpVolumeNameBuffer, nVolumeNameSize);
  if (lpFileSystemNameBuffer) files::copyOut(fileSystem, lpFileSystemNameBuffer, nFileSystemNameSize);
  if (lpVolumeSerialNumber) *lpVolumeSerialNumber = volume.serial;
  if (lpMaximumComponentLength) *lpMaximumComponentLength = kMaxComponentLength;
  if (lpFileSystemFlags) *lpFileSystemFlags = kFileSystemFlags;
  return TRUE;
}

BOOL GetDiskFreeSpace(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                      LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters) {
  auto drive = driveOfRoot(lpRootPathName, ERROR_DIR_NOT_ROOT);
  if (!drive) return FALSE;
  auto space = spaceOf(**drive);
  if (!space) return FALSE;
  DWORD clusterBytes = volumeOf(**drive).clusterBytes;
  if (lpSectorsPerCluster) *lpSectorsPerCluster = clusterBytes / kBytesPerSector;
  if (lpBytesPerSector) *lpBytesPerSector = kBytesPerSector;
  if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clusters(space->freeBytes, clusterBytes);
  if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = clusters(space->totalBytes, clusterBytes);
  return TRUE;
}

BOOL GetDiskFreeSpaceEx(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                        PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
  const DriveMapping* drive = nullptr;
  if (!lpDirectoryName) {
    auto current = driveOfRoot(nullptr, ERROR_DIR_NOT_ROOT);
    if (!current) return FALSE;
    drive = *current;
  } else {
    auto t = files::resolve(lpDirectoryName);
    if (!t) return FALSE;
    if (!t->exists) return files::fail(t->missingError());
    if (!t->isDirectory) return files::fail(ERROR_DIRECTORY);
    drive = t->drive;
  }
  auto space = spaceOf(*drive);
  if (!space) return FALSE;
  put(lpFreeBytesAvailableToCaller, space->freeBytes);
  put(lpTotalNumberOfBytes, space->totalBytes);
  put(lpTotalNumberOfFreeBytes, space->freeBytes);
  return TRUE;
}

UINT SetErrorMode(UINT uMode) { return machine().state<files::FilesState>().errorMode.exchange(uMode); }

}  // namespace win
