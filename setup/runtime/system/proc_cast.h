// An export found with GetProcAddress, as the function type it really has.
#pragma once

#include "win/library.h"

namespace merl {

// proc as a pointer of function type F (null stays null).
template <typename F>
F procAs(win::FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace merl
