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

// Set by the layer for a program it starts: the program's Windows current
// directory and Windows module path.
inline constexpr const char* kCurrentDirVariable = "IDS_WIN_CWD";
inline constexpr const char* kModulePathVariable = "IDS_WIN_MODULE";

// System facts: metrics of the classic NT 4.0 look (GetSystemMetrics).
inline constexpr int kCaptionHeight = 19;   // SM_CYCAPTION
inline constexpr int kMenuHeight = 19;      // SM_CYMENU
inline constexpr int kBorderWidth = 1;      // SM_CXBORDER, SM_CYBORDER
inline constexpr int kDialogFrameWidth = 3; // SM_CXDLGFRAME, SM_CYDLGFRAME
inline constexpr int kSizingFrameWidth = 4; // SM_CXFRAME, SM_CYFRAME
inline constexpr int kScrollBarWidth = 16;  // SM_CXVSCROLL, SM_CYHSCROLL
inline constexpr int kIconSize = 32;        // SM_CXICON, SM_CYICON, SM_CXCURSOR, SM_CYCURSOR
inline constexpr int kSmallIconSize = 16;   // SM_CXSMICON, SM_CYSMICON
// GlobalMemoryStatus: half the memory in use, a page file of twice the memory, a 2 GiB address space.
inline constexpr std::uint32_t kMemoryLoadPercent = 50;
inline constexpr std::uint64_t kTotalVirtualBytes = 0x7FFE0000;
inline constexpr std::uint64_t kUsedVirtualBytes = 16ull << 20;
// The OEM code page beside every single-byte ANSI code page (double-byte ones are their own OEM page).
inline constexpr std::uint32_t kOemCodePage = 437;

}  // namespace win
