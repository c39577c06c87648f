#include "interp/library_call_record.h"

#include <string>
#include <vector>

#include "actions/action_table.h"
#include "entry/copy_progress.h"
#include "interp/action_params.h"
#include "interp/loop_stack.h"
#include "interp/abort_message.h"
#include "interp/skip_block.h"
#include "merl/outside_libraries.h"
#include "script/expansion.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "win/library.h"
#include "script/script_error.h"

namespace merl {

namespace {

inline constexpr BYTE kFailAborts = 0x01;
inline constexpr BYTE kOpensBlock = 0x02;
inline constexpr BYTE kLoopHead = 0x03;
inline constexpr BYTE kCloseCopyDialog = 0x04;
inline constexpr BYTE kNumberedAction = 0x08;
inline constexpr BYTE kLoopFirstPass = 0x10;
inline constexpr BYTE kLoopRunning = 0x20;

WORD clampedCount(DWORD count) {
  return static_cast<WORD>(count > static_cast<DWORD>(kReportedCountLimit) ? kReportedCountLimit : count);
}

// Calls proc with block; the variable count an outside library reports comes back through it.
template <typename Block>
int callWith(Block& block, ExternalActionProc proc) {
  int result = proc(&block);
  variables().count = clampedCount(block.variableCount);
  return result;
}

// Calls the function; false when the library or the function cannot be found. A library of the
// preferred load gets the external block and is freed again; one of the fallback keeps loaded.
bool callLibrary(const std::string& library, const std::string& function, char* parameters, int& result) {
  bool preferred = true;
  win::HMODULE module = win::LoadLibraryEx(library.c_str(), nullptr, 0);
  if (!module) {
    preferred = false;
    module = win::LoadLibrary(library.c_str());
  }
  if (!module) return false;
  auto proc = win::procAddress<ExternalActionProc>(module, function.c_str());
  if (!proc) {
    if (preferred) win::FreeLibrary(module);
    return false;
  }
  if (preferred) {
    result = callWith(RefreshExternalParams(parameters), proc);
    win::FreeLibrary(module);
  } else {
    result = callWith(RefreshInternalParams(parameters), proc);
  }
  return true;
}

// A numbered action of the runtime: never a library load, nothing read back.
bool callOwnExport(const std::string& function, char* parameters, int& result) {
  NumberedAction action = FindOwnExport(function);
  if (!action) return false;
  result = action(&RefreshInternalParams(parameters));
  return true;
}

}  // namespace

int LibraryCallRecord(const Record& record) {
  BYTE flags = record.flags();
  if (flags & kCloseCopyDialog) CloseCopyDialog();
  bool loop = (flags & kLoopHead) == kLoopHead;
  if (loop) {
    if (!loopStack().push(record.at())) return invalidRecord();
    if (flags & kLoopFirstPass) {
      record.setFlags(static_cast<BYTE>((flags & ~kLoopFirstPass) | kLoopRunning));
      return kNextRecord;
    }
  }
  std::string library = expanded(record.string(0), kTitleSize);
  std::string function = expanded(record.string(1), kTitleSize);
  std::vector<char> parameters(kLongTextSize);
  ExpandVars(parameters.data(), record.languageString(0), kLongTextSize);
  int result = 0;
  bool found = (flags & kNumberedAction) ? callOwnExport(function, parameters.data(), result)
                                         : callLibrary(library, function, parameters.data(), result);
  if (!found) {
    ShowAbortMessage(kMessageNoLibrary, library);
    return kAbort;
  }
  if (result == 0 && (flags & kOpensBlock)) {
    if (loop) {
      DWORD popped;
      (void)loopStack().pop(popped);
      BYTE now = record.flags();
      if (now & kLoopRunning) record.setFlags(static_cast<BYTE>((now & ~kLoopRunning) | kLoopFirstPass));
    }
    return SkipAsElse();
  }
  if (result != 0 && (flags & kLoopHead) == kFailAborts) return kAbort;
  return kNextRecord;
}

}  // namespace merl
