// The machine description: <state>/machine.ini parsed strictly. Known sections
// check every key and value; other sections are kept verbatim for their readers.
// A refused file gives one message "machine.ini:<line>: <what>".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/faults.h"
#include "win/types.h"

namespace win {

// GetDriveType's values.
inline constexpr UINT DRIVE_UNKNOWN = 0;
inline constexpr UINT DRIVE_NO_ROOT_DIR = 1;
inline constexpr UINT DRIVE_REMOVABLE = 2;
inline constexpr UINT DRIVE_FIXED = 3;
inline constexpr UINT DRIVE_REMOTE = 4;
inline constexpr UINT DRIVE_CDROM = 5;
inline constexpr UINT DRIVE_RAMDISK = 6;

enum class WinPlatform { Nt, Win9x, Win32s };

// One "key = value" line as written (key and value trimmed).
struct IniEntry {
  std::string key;
  std::string value;
  int line = 0;
};

// One section and its lines in file order (a repeated header continues it).
struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

struct SystemSettings {
  WinPlatform platform = WinPlatform::Nt;
  DWORD majorVersion = 4;
  DWORD minorVersion = 0;
  DWORD build = 0;            // 0 until parsed: then the platform's default build
  std::string servicePack;    // GetVersionEx's service-pack text
  bool shell4 = true;         // version-4 shell
  bool admin = true;          // the user has administrator rights
  std::string user;           // GetUserName
  std::string owner;          // strings 514 and 515 of the built-in USER.EXE (Windows 9x, Win32s)
  std::string organization;
  UINT codepage = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  int bitsPerPixel = 0;
  std::uint64_t memoryBytes = 0;
  UINT waveOutDevices = 1;    // waveOutGetNumDevs
  UINT midiOutDevices = 1;    // midiOutGetNumDevs
};

// A mapped drive: "C" or "\\server\share" and its host directory.
struct DriveMapping {
  std::string name;
  std::string hostRoot;
  int line = 0;               // 0 for the default drive C
};

struct VolumeSettings {
  std::string drive;          // as DriveMapping::name
  std::string label;
  DWORD serial = 0;
  DWORD clusterBytes = 0;
};

struct ClockSettings {
  SYSTEMTIME start{};         // local time of the clock's start
  bool isVirtual = true;
};

struct UiSettings {
  std::string answers;        // host path of the answers file ("" = none)
  std::string transcript;     // host path of the transcript ("" = none)
  int logPixelsY = 0;
};

class MachineDescription {
 public:
  // Parses machine.ini text; nullopt with *error = "machine.ini:<line>: <what>" when refused.
  static std::optional<MachineDescription> parse(std::string_view text, const std::string& stateDir,
                                                 std::string* error);
  // Reads <stateDir>/machine.ini (a missing file is the all-defaults machine).
  static std::optional<MachineDescription> load(const std::string& stateDir, std::string* error);

  SystemSettings system;
  std::string windowsDir;                                  // "C:\WINDOWS"
  std::string systemDir;                                   // "C:\WINDOWS\SYSTEM"
  std::string tempDir;                                     // "C:\TEMP\"
  std::vector<DriveMapping> drives;                        // letters A-Z first, then shares in file order
  bool defaultDriveC = true;                               // C is the default <state>/drives/C
  std::vector<std::pair<std::string, UINT>> driveTypes;    // drive name -> DRIVE_*
  std::vector<VolumeSettings> volumes;
  std::vector<std::pair<std::string, std::uint64_t>> freeSpace;  // drive name -> bytes
  ClockSettings clock;
  std::vector<std::pair<std::string, std::string>> env;   // [env] in file order
  bool mpr = true;                                         // MPR.DLL is built in
  bool getDiskFreeSpaceEx = true;                          // KERNEL32 exports GetDiskFreeSpaceExA
  std::vector<std::string> readOnlyKeys;                   // "HKEY_LOCAL_MACHINE\path"
  std::vector<std::pair<std::string, bool>> services;      // name -> running
  std::vector<platform::FaultRule> failures;               // [failures] and [registry] readonly
  UiSettings ui;
  std::vector<std::pair<std::string, std::string>> windows;  // FindWindow answers: class -> title
  bool progman = true;                                     // the Program Manager stand-in answers

  // A value of any section as written (case-blind names, the last line wins).
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // All lines of a section as written (empty when absent).
  std::vector<IniEntry> section(std::string_view name) const;

  std::vector<IniSection> sections;                        // the whole file as written
};

}  // namespace win
