// WThread: each accepted sensor connection runs its log session on a thread
// of its own, which frees the session's slot when it ends.
#pragma once

#include <memory>

#include "log_session.h"
#include "session_slots.h"

namespace halvern {

// Starts the detached thread for the taken slot and the accepted socket.
// Throws std::system_error when no thread can be started (the caller still
// owns the socket and the slot then).
void startWThread(int slot, int socket, std::shared_ptr<SessionSlots> slots, const SessionConfig& config);

}  // namespace halvern
