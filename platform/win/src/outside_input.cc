// The outside-input query and the wake-ups of blocked process waits: each
// waiting thread registers an eventfd; a wake writes to all of them.
#include "win/outside_input.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace win {

namespace {

std::atomic<OutsideInputQuery> installedQuery{nullptr};

struct Wakers {
  std::mutex mutex;
  std::vector<int> fds;
};

Wakers& wakers() {
  static Wakers* w = new Wakers;  // never destroyed: usable while the process ends
  return *w;
}

}  // namespace

void setOutsideInputQuery(OutsideInputQuery query) { installedQuery.store(query); }

bool outsideInputPending() {
  OutsideInputQuery query = installedQuery.load();
  return query && query();
}

void wakeProcessWaits() {
  Wakers& w = wakers();
  std::lock_guard lock(w.mutex);
  const std::uint64_t one = 1;
  for (int fd : w.fds) {
    ssize_t n = ::write(fd, &one, sizeof one);
    (void)n;  // a full counter is already readable
  }
}

WaitWaker::WaitWaker() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) return;
  Wakers& w = wakers();
  std::lock_guard lock(w.mutex);
  w.fds.push_back(fd_);
}

WaitWaker::~WaitWaker() {
  if (fd_ < 0) return;
  {
    Wakers& w = wakers();
    std::lock_guard lock(w.mutex);
    w.fds.erase(std::remove(w.fds.begin(), w.fds.end(), fd_), w.fds.end());
  }
  ::close(fd_);
}

void WaitWaker::drain() {
  std::uint64_t value = 0;
  if (fd_ >= 0) {
    ssize_t n = ::read(fd_, &value, sizeof value);
    (void)n;
  }
}

}  // namespace win
