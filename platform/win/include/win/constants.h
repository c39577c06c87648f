// Values of the emulated machine that no caller prescribes: defaults of
// machine.ini keys, the state files' names and the layer's own environment
// variables. Documented in README.md ("Platform: the emulated Windows machine").
#pragma once

#include <cstdint>

namespace win {

inline constexpr const char* kMachineIniName = "machine.ini";  // in the state directory
inline constexpr const char* kDrivesDirName = "drives";        // default drive roots: <state>/drives/<letter>
inline constexpr const char* kProcDirName = "proc";            // the process table: <state>/proc/<pid>
inline constexpr const char* kAttributesFileName = "attributes.txt";          // HIDDEN, SYSTEM, ARCHIVE bits
inline constexpr const char* kPendingRenamesFileName = "pending-renames.txt";  // renames at the next restart
inline constexpr const char* kTempCounterFileName = "temp-counter.txt";        // GetTempFileName's next number

inline constexpr const char* kProfileLockName = "profiles";  // <state>/profiles.lock, held by profile writers

inline constexpr const char* kDefaultWindowsDir = "C:\\WINDOWS";
inline constexpr const char* kDefaultSystemDir = "C:\\WINDOWS\\SYSTEM";
inline constexpr const char* kDefaultTempDir = "C:\\TEMP\\";

inline constexpr const char* kDefaultClockStart = "2003-02-25T14:05:09";
inline constexpr const char* kDefaultVersion = "4.0";
inline constexpr std::uint32_t kDefaultNtBuild = 1381;     // build of Windows NT 4.0
inline constexpr std::uint32_t kDefault9xBuild = 950;      // build of Windows 95 (also Win32s)
inline constexpr const char* kDefaultUser = "Administrator";
inline constexpr std::uint32_t kDefaultCodePage = 1252;
inline constexpr int kDefaultScreenWidth = 640;
inline constexpr int kDefaultScreenHeight = 480;
inline constexpr int kDefaultBitsPerPixel = 8;
inline constexpr std::uint64_t kDefaultMemoryBytes = 64ull << 20;
inline constexpr int kDefaultLogPixelsY = 96;
inline constexpr std::uint32_t kDefaultVolumeSerial = 0x1A2B3C4D;
inline constexpr std::uint32_t kDefaultClusterBytes = 4096;
inline constexpr std::uint32_t kBytesPerSector = 512;
inline constexpr std::uint32_t kMaxComponentLength = 255;      // GetVolumeInformation's longest name
inline constexpr std::uint32_t kFileSystemFlags = 0x00000006;  // case-preserved names, Unicode on disk
inline constexpr const char* kFileSystemNt = "NTFS";           // file system name on nt
inline constexpr const char* kFileSystem9x = "FAT";            // on 9x and win32s

// Set by the layer for a program it starts: the program's Windows current
// directory and Windows module path.
inline constexpr const char* kCurrentDirVariable = "IDS_WIN_CWD";
inline constexpr const char* kModulePathVariable = "IDS_WIN_MODULE";

}  // namespace win
