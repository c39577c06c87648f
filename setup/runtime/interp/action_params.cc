// Per-call refresh of the action blocks and the field splitting of parameter texts.
#include "interp/action_params.h"

#include <algorithm>
#include <climits>

#include "log/install_log.h"
#include "script/script_header.h"
#include "script/variables.h"

namespace merl {

ActionParams& RefreshInternalParams(char* parameterText) {
  ActionParams& p = scriptHeader().internalParams;
  p.variableCount = variables().count;
  p.runState = run().runState;
  p.logHandle = LogHandle();
  p.parameterText = parameterText;
  return p;
}

ExternalActionParams& RefreshExternalParams(char* parameterText) {
  ExternalActionParams& e = scriptHeader().externalParams;
  e.variableCount = variables().count;
  e.runState = run().runState;
  e.logHandle = LogHandle();
  e.parameterText = parameterText;
  return e;
}

const char* NextParamField(char* destination, std::size_t capacity, const char* position) {
  std::size_t used = 0;
  while (*position && *position != kFieldSeparator) {
    if (used + 1 < capacity) destination[used++] = *position;
    ++position;
  }
  if (capacity) destination[used] = '\0';
  return *position ? position + 1 : position;
}

std::string NextParamField(const char*& position, std::size_t capacity) {
  std::string field(capacity, '\0');
  position = NextParamField(field.data(), capacity, position);
  field.resize(std::min(field.find('\0'), field.size()));
  return field;
}

int ParamNumber(const char* field) {
  while (*field == ' ' || *field == '\t') ++field;
  bool negative = *field == '-';
  if (*field == '-' || *field == '+') ++field;
  long long value = 0;
  for (; *field >= '0' && *field <= '9'; ++field) {
    value = value * 10 + (*field - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool ParamFlag(const char* field) { return field[0] != '\0' && field[0] != '0'; }

}  // namespace merl
