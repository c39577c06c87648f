// The stand-in's copy callback: count bytes from the installation file's
// position into a file handle or into the setup record's copy memory, the read
// offset advanced by what it consumed, disk prompts at the end of a disk file,
// and the fault options (read error once, abort flag, error byte) applied.
#pragma once

#include "merl/setup_interface.h"

namespace merl_standin {

win::DWORD copyCallback(win::HANDLE source, win::HANDLE destination, win::DWORD count, win::LPVOID context);

}  // namespace merl_standin
