// The library's own module handle, kept by DllMain (its dialogs, bitmaps and
// numbered actions are found through it).
#pragma once

#include "win/types.h"

namespace merl {

// The handle DllMain was last given; null while the library was not loaded through the platform.
win::HINSTANCE ownModule();

}  // namespace merl
