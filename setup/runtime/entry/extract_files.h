// Extract mode (/X, /Z): the install-file records whose data lies in the
// installation file are written into a target directory.
#pragma once

#include <string>
#include <vector>

#include "run.h"

namespace merl {

struct ExtractFileEntry {
  std::string name;     // the destination's final component (up to 259 characters)
  DWORD dataStart = 0;  // relative to the data base offset
  DWORD dataLength = 0;
  DWORD size = 0;
  WORD dosDate = 0;
  WORD dosTime = 0;
  BYTE flags = 0;
};

// Option bit: file data lies in separate pieces (only flag-B 0x08 records are listed then).
inline constexpr DWORD kOptionPieceMode = 0x400000;

// Reads the header and lists every opcode-0 record with flag A 0x04 clear and an empty hook
// parameter (in piece mode also flag B 0x08 set), at most kMaxExtractEntries. 1 when the
// header cannot be read, else 0.
int CollectExtractFileList(std::vector<ExtractFileEntry>& list);

// The final component of a destination path, or empty when it is no usable file name
// (empty, ".", "..", longer than 259 characters).
std::string ExtractName(std::string_view destination);

// States 3 and 4: lists the files and writes them into the switch's target directory.
// Always kEndMark (-1).
int RunExtract();

}  // namespace merl
