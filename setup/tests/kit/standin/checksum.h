// The stand-in's checksum callback: a running CRC-32 (the common reflected
// polynomial 0xEDB88320). The value passed around is the finished CRC of the
// bytes so far, so (0, null, 0) starts a checksum and later calls continue it.
#pragma once

#include "merl/setup_interface.h"

namespace merl_standin {

win::DWORD checksumCallback(win::DWORD value, const void* data, win::DWORD count);

}  // namespace merl_standin
