// WThread: each accepted sensor connection runs its log session on a thread
// of its own, which frees the session's slot when it ends. The threads are
// kept so that a stop can wait for those whose session has just ended.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "logserver/log_session.h"
#include "logserver/session_slots.h"

namespace halvern {

class SessionThreads {
 public:
  SessionThreads() : ended_(std::make_shared<Ended>()) {}
  // Joins the threads that have ended; the others end with the process.
  ~SessionThreads();
  SessionThreads(const SessionThreads&) = delete;
  SessionThreads& operator=(const SessionThreads&) = delete;

  // Starts the thread for the taken slot and the accepted socket, after
  // joining the threads that have ended since the last start. Throws
  // std::system_error when no thread can be started (the caller still owns
  // the socket and the slot then).
  void start(int slot, int socket, std::shared_ptr<SessionSlots> slots, const SessionConfig& config);

  // Waits at most timeoutMs until every thread has run its session to the
  // end, then joins them all, so none is left inside the database client
  // library; false when one is still in its session.
  bool joinAll(int timeoutMs);

 private:
  // Numbers of the threads whose session has ended, filled by the threads.
  struct Ended {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> numbers;
  };

  static void wThreadExecute(int slot, int socket, std::shared_ptr<SessionSlots> slots, SessionConfig config,
                             std::shared_ptr<Ended> ended, int number);
  // Joins the threads of these numbers (with mutex_ held): they only have
  // their return left, so the joins are short.
  void join(const std::vector<int>& numbers);
  std::vector<int> takeEnded();

  std::shared_ptr<Ended> ended_;
  std::mutex mutex_;  // guards threads_ and nextNumber_; taken before ended_->mutex
  std::map<int, std::thread> threads_;
  int nextNumber_ = 0;
};

}  // namespace halvern
