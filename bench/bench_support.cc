// Benchmark support: server process, closed-loop driver, statistics.
#include "bench/bench_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/net.h"

namespace bench {

namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

bool connectable(std::uint16_t port) {
  int fd = platform::connectTo(kLoopback, port, 200);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// A "Name:  value kB" line of /proc/PID/status.
long statusField(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, name.size() + 1, name + ":") == 0) return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

}  // namespace

ServerProcess::ServerProcess(const std::string& program, std::vector<std::string> args, std::uint16_t port,
                             const std::function<void(const std::string& dir)>& prepare, Environment env)
    : port_(port) {
  if (prepare) prepare(work_.path());
  env.emplace_back("IDS_PLATFORM_DIR", state_.path());
  child_ = std::make_unique<platform_testing::ChildProcess>(program, work_.path(), std::move(env), std::move(args));
  ready_ =
      platform_testing::eventually([&] { return child_->running() && connectable(port_); }, 5000) && child_->running();
}

ServerProcess::~ServerProcess() {
  child_->signal(SIGKILL);
  child_->waitExit(5000);
}

long ServerProcess::peakRssKiB() const { return statusField(child_->pid(), "VmHWM"); }

long ServerProcess::threadCount() const { return statusField(child_->pid(), "Threads"); }

void ServerProcess::resetPeak() const {
  std::ofstream("/proc/" + std::to_string(child_->pid()) + "/clear_refs") << "5";
}

double RunResult::percentileUs(double p) const {
  if (latencyUs.empty()) return 0;
  std::size_t i = static_cast<std::size_t>(std::ceil(p / 100.0 * latencyUs.size()));
  return latencyUs[std::min(latencyUs.size() - 1, i == 0 ? 0 : i - 1)];
}

long RunResult::slowerThanMs(double ms) const {
  return static_cast<long>(latencyUs.end() - std::upper_bound(latencyUs.begin(), latencyUs.end(), ms * 1000));
}

RunResult runClosedLoop(int clients, std::chrono::milliseconds duration, const Request& request, long maxRequests) {
  using Clock = std::chrono::steady_clock;
  RunResult run;
  run.clients = clients;
  std::atomic<bool> stop{false};
  std::atomic<long> started{0};
  std::mutex merge;
  std::vector<std::thread> threads;
  auto begin = Clock::now();
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&] {
      std::vector<double> mine;
      long failed = 0;
      while (!stop.load(std::memory_order_relaxed)) {
        if (maxRequests > 0 && started.fetch_add(1) >= maxRequests) break;
        auto t0 = Clock::now();
        bool ok = request();
        auto t1 = Clock::now();
        if (ok) mine.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        else ++failed;
      }
      std::lock_guard<std::mutex> lock(merge);
      run.latencyUs.insert(run.latencyUs.end(), mine.begin(), mine.end());
      run.failed += failed;
    });
  }
  if (maxRequests > 0) {
    for (auto& t : threads) t.join();
  } else {
    std::this_thread::sleep_for(duration);
    stop = true;
    for (auto& t : threads) t.join();
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  run.done = static_cast<long>(run.latencyUs.size());
  std::sort(run.latencyUs.begin(), run.latencyUs.end());
  return run;
}

RunResult medianRun(int repeat, int clients, std::chrono::milliseconds duration, const Request& request) {
  std::vector<RunResult> runs;
  for (int i = 0; i < std::max(1, repeat); ++i) runs.push_back(runClosedLoop(clients, duration, request));
  std::sort(runs.begin(), runs.end(),
            [](const RunResult& a, const RunResult& b) { return a.perSecond() < b.perSecond(); });
  return runs[runs.size() / 2];
}

long sampleMaxWhile(const std::function<long()>& f, const std::function<void()>& body) {
  std::atomic<bool> done{false};
  long best = f();
  std::thread sampler([&] {
    while (!done) {
      best = std::max(best, f());
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  body();
  done = true;
  sampler.join();
  return std::max(best, f());
}

bool portInUse(std::uint16_t port) { return connectable(port); }

std::uint16_t freeLoopbackPort() {
  int fd = platform::openListener(kLoopback, 0, 1);
  if (fd < 0) return 0;
  std::uint16_t port = platform::boundPort(fd);
  ::close(fd);
  return port;
}

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace bench
