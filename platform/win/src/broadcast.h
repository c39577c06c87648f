// Messages to HWND_BROADCAST: written to the transcript and delivered to every
// top-level window of this process (other programs' windows get nothing).
#pragma once

#include "win/types.h"

namespace win::detail {

// Sends (post false) or posts the message to every top-level window; false when a posted
// message would carry a pointer (ERROR_MESSAGE_SYNC_ONLY).
bool broadcast(UINT message, WPARAM wParam, LPARAM lParam, bool post);

}  // namespace win::detail
