// Session-slot table guarded by a mutex, with a condition variable for the
// listener's wait.
#include "logserver/session_slots.h"

#include <chrono>

namespace halvern {

namespace {
constexpr int kFree = -1;
constexpr int kTaken = 0;
}  // namespace

SessionSlots::SessionSlots() {
  for (int i = 0; i < kSessionSlotCount; ++i) entries_[i] = i < kUsableSessionSlots ? kFree : kTaken;
}

int SessionSlots::firstFree() const {
  for (int i = 0; i < kSessionSlotCount; ++i)
    if (entries_[i] == kFree) return i;
  return -1;
}

bool SessionSlots::waitFree() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return stopping_ || firstFree() >= 0; });
  return !stopping_;
}

int SessionSlots::acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return stopping_ || firstFree() >= 0; });
  if (stopping_) return -1;
  int slot = firstFree();
  entries_[slot] = kTaken;
  return slot;
}

void SessionSlots::release(int slot) {
  if (slot < 0 || slot >= kSessionSlotCount) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[slot] = kFree;
  }
  changed_.notify_all();
}

void SessionSlots::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
}

int SessionSlots::countFree() const {
  int n = 0;
  for (int e : entries_) n += e == kFree;
  return n;
}

int SessionSlots::freeCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return countFree();
}

bool SessionSlots::waitAllFree(int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return countFree() == kUsableSessionSlots; });
}

}  // namespace halvern
