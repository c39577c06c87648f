// Numbered actions on files: f15 (bytes at an offset), f20 (attributes by
// pattern), f28 (closing the installation file).
#include <cstring>

#include "actions/startup_files.h"
#include "files/delete_files.h"
#include "files/file_utils.h"
#include "interp/action_params.h"
#include "run.h"
#include "script/variables.h"
#include "ui/file_error_message.h"

namespace merl {

namespace {

constexpr int kBytesRead = 1;
constexpr int kBytesWriteWithNul = 2;
constexpr std::size_t kBytesBufferSize = 512;

// Reads length bytes (at most the buffer's 511) into the variable, trailing blanks removed.
void readBytes(HANDLE file, const char* variable, int length) {
  char data[kBytesBufferSize] = {};
  DWORD wanted = length < 0 ? 0 : static_cast<DWORD>(std::min<std::size_t>(length, sizeof data - 1));
  DWORD got = wanted ? FileRead(file, data, wanted) : 0;
  data[got] = '\0';
  std::size_t end = std::strlen(data);
  while (end > 0 && isBlank(data[end - 1])) --end;
  SetVar(variable, std::string_view(data, end));
}

// Writes the variable's value, cut to length when that is 1..511, with its NUL under mode 2.
bool writeBytes(HANDLE file, const char* variable, int length, bool withNul) {
  char data[kBytesBufferSize] = {};
  GetVar(variable, data, sizeof data);
  if (length >= 1 && length < static_cast<int>(sizeof data)) data[length] = '\0';
  DWORD count = static_cast<DWORD>(std::strlen(data));
  if (count == 0) return true;
  if (withNul) ++count;
  return FileWrite(file, data, count) == count;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f15(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char field[kFieldSize];
  char path[kFieldSize];
  char variable[kNameFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int mode = ParamNumber(field);
  bool reading = mode == kBytesRead;
  if (!reading && params->runState == kStateTest) return 0;
  at = NextParamField(path, sizeof path, at);
  at = NextParamField(variable, sizeof variable, at);
  at = NextParamField(field, sizeof field, at);
  int offset = ParamNumber(field);
  NextParamField(field, sizeof field, at);
  int length = ParamNumber(field);

  HANDLE file = OpenFileHandle(path, reading ? kOpenRead : kOpenWrite, false);
  if (file == win::INVALID_HANDLE_VALUE) return FileErrorMessage(path, 0);
  bool ok = FileSeek(file, offset, win::FILE_BEGIN) != win::INVALID_SET_FILE_POINTER;
  if (ok && reading) readBytes(file, variable, length);
  if (ok && !reading) ok = writeBytes(file, variable, length, mode == kBytesWriteWithNul);
  win::CloseHandle(file);
  return ok ? 0 : FileErrorMessage(path, 0);
}

extern "C" win::INT f20(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText || params->runState == kStateTest) return 0;
  char field[kFieldSize];
  char pattern[kFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  NextParamField(pattern, sizeof pattern, at);
  DeleteFiles(pattern, ParamNumber(field), kAttributeMode);
  return 0;
}

extern "C" win::INT f28(merl::ActionParams* params) {
  using namespace merl;
  if (!params || params->runState == kStateTest) return 0;
  SetupRec* setup = run().setup();
  if (setup && setup->installFile != win::INVALID_HANDLE_VALUE) {
    win::CloseHandle(setup->installFile);
    setup->installFile = win::INVALID_HANDLE_VALUE;
  }
  return 0;
}
