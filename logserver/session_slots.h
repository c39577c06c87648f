// The session-slot table: 16 entries, -1 free and 0 taken; only entries 0 to
// 4 start free, so at most five sessions run at a time. The listener waits on
// it for a free entry; each session frees its own entry when it ends.
#pragma once

#include <condition_variable>
#include <mutex>

#include "logserver/constants.h"

namespace halvern {

class SessionSlots {
 public:
  SessionSlots();

  // Waits until an entry is free; false once stop() was called.
  bool waitFree();
  // Takes the first free entry, waiting until a session frees one.
  // -1 once stop() was called.
  int acquire();
  // Sets a taken entry back to free and wakes the listener.
  void release(int slot);
  // Makes acquire() return -1 from now on.
  void stop();

  int freeCount() const;
  // Waits at most timeoutMs until every usable entry is free.
  bool waitAllFree(int timeoutMs) const;

 private:
  int countFree() const;  // with mutex_ held
  int firstFree() const;  // with mutex_ held; -1 when none

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  int entries_[kSessionSlotCount];
  bool stopping_ = false;
};

}  // namespace halvern
