// Line insertion into a text file (the body of f1, f2 and f25) and the test of a
// directory standing as a whole entry in a path text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "merl/setup_interface.h"

namespace merl {

// Flag bits of the line insertion's first field.
inline constexpr int kInsertWithCase = 0x01;
inline constexpr int kInsertTrimmed = 0x02;
inline constexpr int kInsertBackup = 0x04;
inline constexpr int kPlacementMask = 0x18;
inline constexpr int kPlaceAfter = 0x10;
inline constexpr int kPlaceReplace = 0x08;
inline constexpr int kMatchMask = 0x60;
inline constexpr int kMatchContains = 0x20;
inline constexpr int kMatchEnds = 0x40;

// 0 when directory stands in text as a whole entry (any case; before it the start of the text,
// a blank, ';' or '='; after it the end, a blank or ';'), 1 when it does not.
int FindPathEntry(std::string_view text, std::string_view directory);

// What one insertion asks for (the parameter text's fields in order).
struct LineInsertion {
  int flags = 0;
  std::string fileName;
  std::string newLine;
  std::string search;
  std::string prefix;
  int lineNumber = 0;
};

LineInsertion ReadLineInsertion(const char* parameterText);

// The lines after the insertion: at the first line matching the search (placed before, after
// or instead of it, the prefix in front of a kept match), else before line lineNumber (which a
// replace without search text drops), else at the end.
std::vector<std::string> InsertLine(const std::vector<std::string>& lines, const LineInsertion& insertion);

// f1, f2 (startupName on the boot drive, editedFlag) and f25 (startupName null: the named file).
int InsertTextLine(ActionParams& params, const char* startupName, WORD editedFlag);

}  // namespace merl
