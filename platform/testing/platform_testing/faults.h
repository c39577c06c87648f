// Test helpers over the fault point: a rule for the length of a scope, and a
// watch of one operation's checks.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/faults.h"

namespace platform_testing {

// Adds a rule when made (count -1: every matching call fails); clears every
// rule when it goes, so nothing outlives the test.
class ScopedFault {
 public:
  explicit ScopedFault(platform::FaultOp op, std::string pattern = "*", int count = -1, long long value = 0) {
    platform::addFault({op, std::move(pattern), count, value, false});
  }
  ~ScopedFault() { platform::clearFaults(); }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;
};

// Notes every check of op while it lives.
class ScopedFaultWatch {
 public:
  explicit ScopedFaultWatch(platform::FaultOp op) : op_(op) {
    platform::takeWatchedChecks();
    platform::watchFaults(op_, true);
  }
  ~ScopedFaultWatch() {
    platform::watchFaults(op_, false);
    platform::takeWatchedChecks();
  }
  ScopedFaultWatch(const ScopedFaultWatch&) = delete;
  ScopedFaultWatch& operator=(const ScopedFaultWatch&) = delete;

  // The checks noted so far whose subject is subject, oldest first.
  std::vector<platform::FaultCheck> checksOf(const std::string& subject) {
    for (platform::FaultCheck& c : platform::takeWatchedChecks()) noted_.push_back(std::move(c));
    std::vector<platform::FaultCheck> matching;
    for (const platform::FaultCheck& c : noted_)
      if (c.subject == subject) matching.push_back(c);
    return matching;
  }

 private:
  platform::FaultOp op_;
  std::vector<platform::FaultCheck> noted_;
};

}  // namespace platform_testing
