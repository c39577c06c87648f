// Shared pieces of the benchmarks: the server under test (a real program in a
// scratch directory), a closed-loop driver for N concurrent clients, latency
// statistics and the server's resident memory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace bench {

// A server program started in its own scratch directory (the platform state
// in a second one) and waited for until its port accepts connections.
class ServerProcess {
 public:
  using Environment = std::vector<std::pair<std::string, std::string>>;
  // prepare runs in the scratch directory before the program starts; env is
  // added to the program's environment.
  ServerProcess(const std::string& program, std::vector<std::string> args, std::uint16_t port,
                const std::function<void(const std::string& dir)>& prepare = {}, Environment env = {});
  ~ServerProcess();

  bool ready() const { return ready_; }
  std::uint16_t port() const { return port_; }
  pid_t pid() const { return child_->pid(); }
  std::string file(const std::string& name) const { return work_.file(name); }
  std::string path() const { return work_.path(); }
  std::string output() const { return child_->stdoutText() + child_->stderrText(); }

  // Peak resident set (VmHWM) in KiB since the last resetPeak().
  long peakRssKiB() const;
  long threadCount() const;
  // Starts a new peak-RSS window (writes 5 to /proc/PID/clear_refs).
  void resetPeak() const;

 private:
  platform_testing::TempDir work_, state_;
  std::unique_ptr<platform_testing::ChildProcess> child_;
  std::uint16_t port_;
  bool ready_ = false;
};

// One request of a client; false when it failed.
using Request = std::function<bool()>;

struct RunResult {
  int clients = 0;
  double seconds = 0;
  long done = 0;
  long failed = 0;
  std::vector<double> latencyUs;  // one per successful request, sorted

  double perSecond() const { return seconds > 0 ? done / seconds : 0; }
  double percentileUs(double p) const;
  double maxUs() const { return latencyUs.empty() ? 0 : latencyUs.back(); }
  // Requests that took longer than ms.
  long slowerThanMs(double ms) const;
};

// Runs `clients` threads, each calling its request in a loop, for `duration`
// (or until `maxRequests` in total are done when that is above 0).
RunResult runClosedLoop(int clients, std::chrono::milliseconds duration, const Request& request, long maxRequests = 0);

// runClosedLoop `repeat` times; the run with the median rate (the machine
// may be shared, so single runs vary).
RunResult medianRun(int repeat, int clients, std::chrono::milliseconds duration, const Request& request);

// Largest value sampled every 5 ms from f while body runs.
long sampleMaxWhile(const std::function<long()>& f, const std::function<void()>& body);

// True when something already accepts TCP connections on 127.0.0.1:port.
bool portInUse(std::uint16_t port);

// A loopback port that was free a moment ago.
std::uint16_t freeLoopbackPort();

std::string fixed(double value, int decimals);

}  // namespace bench
