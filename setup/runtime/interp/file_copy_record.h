// FileCopyRecord: the install-file record (opcodes 0 and 18) read from the script
// image, its 43-byte fixed part with the exact layout, the two flag bytes and
// the values of INSTALL_RESULT.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_image.h"

namespace merl {

// Flags A.
inline constexpr BYTE kCopyOutsideSource = 0x40;
inline constexpr BYTE kCopyQuiet = 0x20;
inline constexpr BYTE kCopyNewerOnly = 0x10;
inline constexpr BYTE kCopyEqualDateWins = 0x08;
inline constexpr BYTE kCopyDateBits = kCopyNewerOnly | kCopyEqualDateWins;
inline constexpr BYTE kCopySetupTimeFile = 0x04;
inline constexpr BYTE kCopySharedFile = 0x02;
inline constexpr BYTE kCopyVersionAware = 0x01;

// Flags B.
inline constexpr BYTE kCopyDirectoryInstall = 0x80;
inline constexpr BYTE kCopyInFileNoBytesDone = 0x40;
inline constexpr BYTE kCopyNeverSystemShared = 0x20;
inline constexpr BYTE kCopySelfRegister = 0x10;
inline constexpr BYTE kCopyInInstallFile = 0x08;
inline constexpr BYTE kCopyDescend = 0x01;

// INSTALL_RESULT and its values.
inline constexpr char kInstallResultVar[] = "INSTALL_RESULT";
inline constexpr char kInstalled[] = "";
inline constexpr char kKeptBothDateBits[] = "E";
inline constexpr char kKeptByDate[] = "D";
inline constexpr char kRefusedByVersion[] = "V";
inline constexpr char kDestinationInUse[] = "I";

#pragma pack(push, 1)
// The fixed part as it lies in the image (little-endian, unaligned).
struct FileCopyFixed {
  BYTE opcode;
  BYTE flagsA;
  BYTE flagsB;
  DWORD dataStart;  // piece mode: bits 0-13 the piece, bits 14-31 the offset in it
  DWORD dataEnd;    // piece mode: the length inside the piece
  WORD dosDate;
  WORD dosTime;
  DWORD size;
  DWORD versionHigh;
  DWORD versionLow;
  DWORD fileOs;
  DWORD fileType;
  DWORD fileSubtype;
  DWORD checksum;
};
#pragma pack(pop)
static_assert(sizeof(FileCopyFixed) == 43);
static_assert(offsetof(FileCopyFixed, flagsA) == 1);
static_assert(offsetof(FileCopyFixed, flagsB) == 2);
static_assert(offsetof(FileCopyFixed, dataStart) == 3);
static_assert(offsetof(FileCopyFixed, dataEnd) == 7);
static_assert(offsetof(FileCopyFixed, dosDate) == 11);
static_assert(offsetof(FileCopyFixed, dosTime) == 13);
static_assert(offsetof(FileCopyFixed, size) == 15);
static_assert(offsetof(FileCopyFixed, versionHigh) == 19);
static_assert(offsetof(FileCopyFixed, fileSubtype) == 35);
static_assert(offsetof(FileCopyFixed, checksum) == 39);

// The record: the fixed part and its strings (destination, one description per
// language, hook parameter, and for opcode 18 the source).
struct FileCopyRecord {
  FileCopyFixed fixed{};
  std::string destination;
  std::vector<std::string> descriptions;
  std::string hook;
  std::string source;

  // The description of language (the first one's when there is no such language).
  const std::string& description(int language) const;
};

// Reads the record at `at` of a script of `languages` languages. False when its fixed part
// does not lie inside the image or it is no install-file record.
bool ReadFileCopyRecord(const ScriptImage& image, DWORD at, int languages, FileCopyRecord& out);

}  // namespace merl
