// The bridge between the message layer and process waits: a thread that can
// receive input from other threads or processes (DDE) must not sleep through
// it while it waits for a process, so such waits ask here and can be woken.
#pragma once

namespace win {

// Answers for the calling thread: true when input from outside it is pending.
using OutsideInputQuery = bool (*)();

// Installs the query (the message layer does, once); nullptr removes it.
void setOutsideInputQuery(OutsideInputQuery query);
// True when the installed query says the calling thread has outside input pending.
bool outsideInputPending();
// Wakes every blocked process wait so that it asks the query again; the
// message layer calls it after queuing outside input for any thread.
void wakeProcessWaits();

// One blocked wait's wake-up: a descriptor that turns readable on wakeProcessWaits.
class WaitWaker {
 public:
  WaitWaker();
  ~WaitWaker();
  WaitWaker(const WaitWaker&) = delete;
  WaitWaker& operator=(const WaitWaker&) = delete;

  // The descriptor to poll (-1 when none could be made: the waiter then polls in short steps).
  int fd() const { return fd_; }
  // Empties the descriptor after a wake-up.
  void drain();

 private:
  int fd_ = -1;
};

}  // namespace win
