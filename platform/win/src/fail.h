// Failing the Windows way in one step: set the last error and return the
// call's failure value (FALSE, NULL, 0).
#pragma once

#include "win/error.h"

namespace win {

template <typename T = BOOL>
T failWith(DWORD error, T result = T{}) {
  SetLastError(error);
  return result;
}

}  // namespace win
