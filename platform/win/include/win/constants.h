// Values of the emulated machine that no caller prescribes: defaults of
// machine.ini keys, the state files' names and the layer's own environment
// variables. Documented in README.md ("Platform: the emulated Windows machine").
#pragma once

#include <cstddef>
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
// ... its exact Windows command line, and the machine's environment view as
// its parent left it ("NAME=value" lines, '\' and line ends escaped).
inline constexpr const char* kCommandLineVariable = "IDS_WIN_CMDLINE";
inline constexpr const char* kEnvironmentVariable = "IDS_WIN_ENV";

// Processes: a wait on a process never blocks longer than this in real time.
inline constexpr unsigned kProcessWaitGuardMs = 60000;
// The exit code a process gets when the host reaped it before the layer could.
inline constexpr std::uint32_t kLostExitCode = 0xFFFFFFFF;
// A caller's environment block is read up to this many bytes.
inline constexpr std::size_t kMaxEnvironmentBlock = 1u << 20;
inline constexpr const char* kServicesFileName = "services.txt";    // service states changed by the layer
inline constexpr const char* kRebootsFileName = "reboots.txt";      // ExitWindowsEx requests
inline constexpr const char* kInstancesFileName = "instances.txt";  // per-program instance counters

// Libraries: the executable's module handle, then loaded modules in load order.
inline constexpr std::uintptr_t kExecutableModuleHandle = 0x00400000;
inline constexpr std::uintptr_t kFirstLibraryHandle = 0x10000000;
inline constexpr std::uintptr_t kLibraryHandleStep = 0x10000;
// Resource handles (HRSRC), one per resource looked up.
inline constexpr std::uintptr_t kFirstResourceHandle = 0x20000000;
inline constexpr std::uintptr_t kResourceHandleStep = 0x10;
// The exported table of resources every module may carry.
inline constexpr const char* kResourceTableSymbol = "ids_resource_table";

// System facts: metrics of the classic NT 4.0 look (GetSystemMetrics; the frame sizes are
// in ui_constants.h, beside the window geometry that uses them).
inline constexpr int kMenuHeight = 19;      // SM_CYMENU
inline constexpr int kScrollBarWidth = 16;  // SM_CXVSCROLL, SM_CYHSCROLL
inline constexpr int kIconSize = 32;        // SM_CXICON, SM_CYICON, SM_CXCURSOR, SM_CYCURSOR
inline constexpr int kSmallIconSize = 16;   // SM_CXSMICON, SM_CYSMICON
// GlobalMemoryStatus: half the memory in use, a page file of twice the memory, a 2 GiB address space.
inline constexpr std::uint32_t kMemoryLoadPercent = 50;
inline constexpr std::uint64_t kTotalVirtualBytes = 0x7FFE0000;
inline constexpr std::uint64_t kUsedVirtualBytes = 16ull << 20;
// The OEM code page beside every single-byte ANSI code page (double-byte ones are their own OEM page).
inline constexpr std::uint32_t kOemCodePage = 437;
// The version calls read at most this much of a file; a larger file has no version information.
inline constexpr std::size_t kVersionFileLimit = 64u << 20;
// Prefix of VerInstallFile's temporary copies ("VER" and four hex digits, .TMP).
inline constexpr const char* kVersionTempPrefix = "VER";

}  // namespace win
