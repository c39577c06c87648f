#include "wizard/dde_callback.h"

#include <type_traits>

namespace remvex {

win::HDDEDATA DdeCallback(win::UINT, win::UINT, win::HCONV, win::HSZ, win::HSZ, win::HDDEDATA, win::ULONG_PTR,
                          win::ULONG_PTR) {
  return nullptr;
}

static_assert(std::is_same_v<decltype(&DdeCallback), win::PFNCALLBACK>);

}  // namespace remvex
