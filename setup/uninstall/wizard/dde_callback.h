// The DDE client callback of the Program Manager conversation: it handles nothing.
#pragma once

#include "win/dde.h"

namespace remvex {

win::HDDEDATA DdeCallback(win::UINT type, win::UINT format, win::HCONV conv, win::HSZ hsz1, win::HSZ hsz2,
                          win::HDDEDATA data, win::ULONG_PTR data1, win::ULONG_PTR data2);

}  // namespace remvex
