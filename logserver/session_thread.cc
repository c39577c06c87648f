// Session threads: started per connection, joined once they have ended.
#include "logserver/session_thread.h"

#include <chrono>

#include "logserver/log_database.h"

namespace halvern {

void SessionThreads::wThreadExecute(int slot, int socket, std::shared_ptr<SessionSlots> slots, SessionConfig config,
                                    std::shared_ptr<Ended> ended, int number) {
  {
    auto session = std::make_unique<LogSession>(socket, config);
    session->run(slot, *slots);
  }
  LogDatabase::threadEnd();
  {
    std::lock_guard<std::mutex> lock(ended->mutex);
    ended->numbers.push_back(number);
  }
  ended->changed.notify_all();
}

SessionThreads::~SessionThreads() {
  std::lock_guard<std::mutex> lock(mutex_);
  join(takeEnded());
  for (auto& entry : threads_) entry.second.detach();
}

std::vector<int> SessionThreads::takeEnded() {
  std::lock_guard<std::mutex> lock(ended_->mutex);
  std::vector<int> numbers;
  numbers.swap(ended_->numbers);
  return numbers;
}

void SessionThreads::join(const std::vector<int>& numbers) {
  for (int number : numbers) {
    auto it = threads_.find(number);
    if (it == threads_.end()) continue;
    it->second.join();
    threads_.erase(it);
  }
}

void SessionThreads::start(int slot, int socket, std::shared_ptr<SessionSlots> slots, const SessionConfig& config) {
  std::lock_guard<std::mutex> lock(mutex_);
  join(takeEnded());
  int number = nextNumber_++;
  threads_.emplace(number, std::thread(wThreadExecute, slot, socket, std::move(slots), config, ended_, number));
}

bool SessionThreads::joinAll(int timeoutMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  bool allEnded;
  {
    std::unique_lock<std::mutex> endedLock(ended_->mutex);
    allEnded = ended_->changed.wait_for(endedLock, std::chrono::milliseconds(timeoutMs),
                                        [this] { return ended_->numbers.size() == threads_.size(); });
  }
  join(takeEnded());
  return allEnded;
}

}  // namespace halvern
