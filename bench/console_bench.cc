// Console request benchmarks against the console program's host in its own
// process: hello and log-in rates at 1, 8 and 32 consoles against a minimal
// thread-per-connection server (and bare loopback connect/close), account
// requests with 10, 100 and 1000 accounts, and hello with 0 to 32 hosts and
// 64 mail entries.
//
//   build/bench/console_bench [--seconds S] [--repeat R] [--fixed-port] [--backlog N]
//                             [--only console|accounts|hello-scaling]
//
// By default the server is cvlm_on_port (runConsoleProgram on a free loopback
// port); --fixed-port runs the cvlm program itself on 7593. --backlog N
// preloads a shim that makes the server listen with backlog N.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform/net.h"
#include "server/account_store.h"
#include "server/constants.h"
#include "server/cv_db.h"
#include "server/email_settings.h"
#include "server/tests/support/account_requests.h"
#include "server/tests/support/test_console.h"

namespace {

using bench::fixed;
using bench::RunResult;
using cvlm_testing::TestConsole;

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

struct Options {
  bool fixedPort = false;
  int backlog = 0;  // 0: the server's own
  double seconds = 1.0;
  int repeat = 3;
  std::string only;
};

std::unique_ptr<bench::ServerProcess> startServer(const Options& options,
                                                  const std::function<void(const std::string&)>& prepare = {}) {
  bench::ServerProcess::Environment env;
  if (options.backlog > 0) env = {{"LD_PRELOAD", BACKLOG_SHIM}, {"IDS_BENCH_BACKLOG", std::to_string(options.backlog)}};
  std::unique_ptr<bench::ServerProcess> server;
  if (options.fixedPort) {
    server = std::make_unique<bench::ServerProcess>(CVLM_BINARY, std::vector<std::string>{}, cvlm::kConsolePort,
                                                    prepare, env);
  } else {
    std::uint16_t port = bench::freeLoopbackPort();
    server = std::make_unique<bench::ServerProcess>(CVLM_ON_PORT_BINARY, std::vector<std::string>{std::to_string(port)},
                                                    port, prepare, env);
  }
  if (!server->ready()) {
    std::fprintf(stderr, "the server did not start: %s\n", server->output().c_str());
    return nullptr;
  }
  return server;
}

const char* serverName(const Options& options) { return options.fixedPort ? "cvlm" : "cvlm_on_port"; }

std::chrono::milliseconds duration(const Options& options) {
  return std::chrono::milliseconds(static_cast<long>(options.seconds * 1000));
}

// The baseline peer: accepts on a loopback port and closes every connection
// at once, on one thread. Its backlog is the system's largest, so the
// baseline is the bare cost of a loopback connection.
class BareListener {
 public:
  BareListener() {
    listener_ = platform::openListener(kLoopback, 0, SOMAXCONN);
    thread_ = std::thread([this] {
      for (int fd; (fd = platform::acceptOrStop(listener_, stop_, nullptr)) != platform::kAcceptStopped;)
        if (fd >= 0) ::close(fd);
    });
  }
  ~BareListener() {
    stop_.signal();
    thread_.join();
    ::close(listener_);
  }
  std::uint16_t port() const { return platform::boundPort(listener_); }

 private:
  int listener_ = -1;
  platform::StopEvent stop_;
  std::thread thread_;
};

// The baseline of a console request: a server in the benchmark process with
// a thread per connection that reads the 196-byte header, answers 260 bytes
// and closes, listening with the system's largest backlog. It does what the
// console program must do for any request and nothing more.
class MinimalServer {
 public:
  MinimalServer() {
    listener_ = platform::openListener(kLoopback, 0, SOMAXCONN);
    thread_ = std::thread([this] { acceptLoop(); });
  }
  ~MinimalServer() {
    stop_.signal();
    thread_.join();
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait_for(lock, std::chrono::seconds(10), [this] { return running_ == 0; });
    ::close(listener_);
  }
  std::uint16_t port() const { return platform::boundPort(listener_); }

 private:
  void acceptLoop() {
    for (int fd; (fd = platform::acceptOrStop(listener_, stop_, nullptr)) != platform::kAcceptStopped;) {
      if (fd < 0) continue;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++running_;
      }
      std::thread([this, fd] { serve(fd); }).detach();
    }
  }
  void serve(int fd) {
    unsigned char header[sizeof(cvlm::RqH)];
    if (platform::recvExact(fd, header, sizeof header, 5000) == static_cast<long>(sizeof header)) {
      unsigned char result[sizeof(cvlm::MgrRequestResult)] = {};
      platform::sendAll(fd, result, sizeof result);
    }
    ::close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    --running_;
    idle_.notify_all();
  }

  int listener_ = -1;
  platform::StopEvent stop_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable idle_;
  int running_ = 0;
};

// One header to the minimal server and its 260 bytes back, by the same
// console code the requests use.
bool minimalRequest(std::uint16_t port) {
  TestConsole console(port);
  return console.sendHeader(cvlm::RQ_Hello) && console.receiveUnit(sizeof(cvlm::MgrRequestResult));
}

// Connect, wait for the peer's close, close.
bool bareConnectClose(std::uint16_t port) {
  int fd = platform::connectTo(kLoopback, port, 5000);
  if (fd < 0) return false;
  char c;
  bool closed = platform::recvExact(fd, &c, 1, 5000) == 0;
  ::close(fd);
  return closed;
}

// One hello on its own connection, trailer included; the console closes
// after reading, as the real console does. expectedTrailer >= 0 is checked.
bool hello(std::uint16_t port, std::int32_t expectedTrailer = -1) {
  TestConsole console(port);
  auto result = console.request(cvlm::RQ_Hello);
  if (!result || cvlm_testing::resultType(*result) != cvlm::MRR_TYPE_Success) return false;
  std::int32_t trailer = formats::getInt32(&*result, 252);
  if (expectedTrailer >= 0 && trailer != expectedTrailer) return false;
  return trailer == 0 || console.receiveUnit(static_cast<std::size_t>(trailer));
}

// A hello whose console waits for the server's close before closing itself:
// it pays for anything the server does after its answer.
bool helloToClose(std::uint16_t port) {
  TestConsole console(port);
  auto result = console.request(cvlm::RQ_Hello);
  if (!result || cvlm_testing::resultType(*result) != cvlm::MRR_TYPE_Success) return false;
  std::int32_t trailer = formats::getInt32(&*result, 252);
  if (trailer > 0 && !console.receiveUnit(static_cast<std::size_t>(trailer))) return false;
  return console.closedByServer();
}

// One request answered by one result of the expected type.
bool answered(std::uint16_t port, const cvlm::RqH& header, std::int32_t expected = cvlm::MRR_TYPE_Success) {
  TestConsole console(port);
  auto result = console.request(header);
  return result && cvlm_testing::resultType(*result) == expected;
}

// The account listing: the result, then every record as its own unit.
bool listAccounts(std::uint16_t port, std::int32_t expectedCount) {
  TestConsole console(port);
  auto result = console.request(cvlm::RQ_GetAllAcl);
  if (!result || cvlm_testing::resultType(*result) != cvlm::MRR_TYPE_Success) return false;
  std::int32_t count = formats::getInt32(&*result, 8);
  for (std::int32_t i = 0; i < count; ++i) {
    if (!console.receiveUnit(cvlm::kAclRecordSize)) return false;
  }
  return count == expectedCount;
}

// Requests slower than this were held up by a retransmitted connect.
constexpr double kStallMs = 200;

void printRunHeader() {
  std::printf("%-9s %7s %12s %9s %9s %9s %7s %7s %7s\n", "request", "clients", "per second", "p50 us", "p99 us",
              "max ms", "stalls", "failed", "cost");
}

// cost: the run's time per request relative to the baseline's.
void printRun(const char* name, const RunResult& run, const RunResult* baseline) {
  std::string cost = baseline && run.perSecond() > 0 ? fixed(baseline->perSecond() / run.perSecond(), 2) : "-";
  std::printf("%-9s %7d %12.0f %9.0f %9.0f %9.1f %7ld %7ld %7s\n", name, run.clients, run.perSecond(),
              run.percentileUs(50), run.percentileUs(99), run.maxUs() / 1000, run.slowerThanMs(kStallMs), run.failed,
              cost.c_str());
}

bool requirePortFree(const Options& options) {
  if (!options.fixedPort || !bench::portInUse(cvlm::kConsolePort)) return true;
  std::fprintf(stderr, "port %u is in use; stop the program that holds it first\n", cvlm::kConsolePort);
  return false;
}

// The goals of a console burst: hello at 32 consoles at least half the
// minimal server's rate, its p99 at most 3 times the minimal server's, and no
// stalls at 8 and 32 consoles.
struct ConsoleGoals {
  std::vector<std::string> lines;
  void check(int clients, const RunResult& hello, const RunResult& logIn, const RunResult& minimal) {
    if (clients == 32) {
      double rate = minimal.perSecond() > 0 ? hello.perSecond() / minimal.perSecond() : 0;
      double p99 = minimal.percentileUs(99) > 0 ? hello.percentileUs(99) / minimal.percentileUs(99) : 0;
      add(rate >= 0.5, "hello at 32 consoles " + fixed(rate, 2) + " x the minimal server's rate (goal >= 0.5)");
      add(p99 <= 3, "hello p99 at 32 consoles " + fixed(p99, 2) + " x the minimal server's p99 (goal <= 3)");
    }
    if (clients >= 8) {
      long stalls = hello.slowerThanMs(kStallMs) + logIn.slowerThanMs(kStallMs);
      add(stalls == 0, std::to_string(stalls) + " stalls of hello and log-in at " + std::to_string(clients) +
                           " consoles (goal 0)");
    }
  }
  void add(bool met, const std::string& text) { lines.push_back((met ? "met:     " : "NOT met: ") + text); }
};

int consoleBenchmark(const Options& options) {
  auto started = startServer(options);
  if (!started) return 1;
  bench::ServerProcess& server = *started;
  std::printf("== Console requests: %s on 127.0.0.1:%u, listen backlog %s, text log off, median of %d runs of %.1f s\n",
              serverName(options), server.port(),
              options.backlog > 0 ? std::to_string(options.backlog).c_str() : "of the server", options.repeat,
              options.seconds);
  std::printf("   cost: the minimal server's rate divided by the request's\n");
  BareListener bare;
  MinimalServer minimal;
  cvlm::RqH login =
      cvlm_testing::credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword);
  std::uint16_t port = server.port();
  printRunHeader();
  std::vector<std::string> memory;
  ConsoleGoals goals;
  for (int clients : {1, 8, 32}) {
    RunResult connects =
        bench::medianRun(options.repeat, clients, duration(options), [&] { return bareConnectClose(bare.port()); });
    printRun("connect", connects, nullptr);
    RunResult base =
        bench::medianRun(options.repeat, clients, duration(options), [&] { return minimalRequest(minimal.port()); });
    printRun("minimal", base, nullptr);
    server.resetPeak();
    RunResult hellos, toClose, logins;
    long threads = bench::sampleMaxWhile(
        [&] { return server.threadCount(); },
        [&] {
          hellos = bench::medianRun(options.repeat, clients, duration(options), [&] { return hello(port); });
          toClose = bench::medianRun(options.repeat, clients, duration(options), [&] { return helloToClose(port); });
          logins = bench::medianRun(options.repeat, clients, duration(options), [&] { return answered(port, login); });
        });
    printRun("hello", hellos, &base);
    printRun("hello+eof", toClose, &base);
    printRun("log-in", logins, &base);
    goals.check(clients, hellos, logins, base);
    memory.push_back(std::to_string(clients) + " consoles: peak RSS " + std::to_string(server.peakRssKiB()) +
                     " KiB, at most " + std::to_string(threads) + " threads");
  }
  std::printf("server:\n");
  for (const auto& line : memory) std::printf("  %s\n", line.c_str());
  std::printf("goals:\n");
  for (const auto& line : goals.lines) std::printf("  %s\n", line.c_str());
  return 0;
}

// ".acl" with n accounts "user0000".., each with password "pw0000"..
void writeAccounts(const std::string& dir, int n) {
  std::string bytes;
  for (int i = 0; i < n; ++i) {
    char name[16], password[16];
    std::snprintf(name, sizeof name, "user%04d", i);
    std::snprintf(password, sizeof password, "pw%04d", i);
    bytes += cvlm_testing::bytesOf(cvlm_testing::account(name, password));
  }
  platform::writeFileAtomic(dir + "/" + cvlm::kAclFileName, bytes);
}

int accountBenchmark(const Options& options) {
  std::printf(
      "\n== Account requests with n accounts in \".acl\" (1 console; the named account is the last;\n"
      "   median of %d runs of %.1f s)\n",
      options.repeat, options.seconds);
  std::printf("%6s %-22s %12s %9s %9s %9s\n", "n", "request", "per second", "p50 us", "p99 us", "failed");
  for (int n : {10, 100, 1000}) {
    auto started = startServer(options, [n](const std::string& dir) { writeAccounts(dir, n); });
    if (!started) return 1;
    bench::ServerProcess& server = *started;
    std::uint16_t port = server.port();
    char name[16], password[16];
    std::snprintf(name, sizeof name, "user%04d", n - 1);
    std::snprintf(password, sizeof password, "pw%04d", n - 1);
    cvlm::RqH login = cvlm_testing::credentials(cvlm::RQ_GetAcl, name, password);
    cvlm::RqH unknown = cvlm_testing::credentials(cvlm::RQ_GetAcl, "nobody", "x");
    int kind = 0;
    auto change = [&] {
      // setAcl of the last account, its kind changing every time: a whole
      // rewrite of ".acl" through "acl.tmp".
      return answered(port, cvlm_testing::withAccount(cvlm::RQ_SetAcl, cvlm_testing::account(name, password, ++kind)));
    };
    struct Case {
      const char* name;
      bench::Request request;
    } cases[] = {
        {"log-in (last)", [&] { return answered(port, login); }},
        {"log-in (unknown name)", [&] { return answered(port, unknown, cvlm::MRR_TYPE_Password_Error); }},
        {"listing", [&] { return listAccounts(port, n); }},
        {"change (last)", change},
    };
    for (const auto& c : cases) {
      RunResult run = bench::medianRun(options.repeat, 1, duration(options), c.request);
      std::printf("%6d %-22s %12.0f %9.0f %9.0f %9ld\n", n, c.name, run.perSecond(), run.percentileUs(50),
                  run.percentileUs(99), run.failed);
    }
    std::string acl;
    platform::readWholeFile(server.file(cvlm::kAclFileName), acl);
    if (acl.size() != static_cast<std::size_t>(n) * cvlm::kAclRecordSize) {
      std::fprintf(stderr, "\".acl\" holds %zu bytes after the run, expected %d records\n", acl.size(), n);
      return 1;
    }
  }
  return 0;
}

// ".cvdb" with n hosts and ".cvlmrc" with m mail entries, written by the
// server's own settings store.
void writeHostsAndMail(const std::string& dir, int n, int m) {
  std::string hosts;
  for (int i = 0; i < n; ++i) {
    cvlm::ObjCvHost host{};
    host.address[0] = 10;
    host.address[3] = static_cast<std::uint8_t>(1 + i);
    formats::putText(host.name, 0, cvlm::kCvTextSize, "sensor " + std::to_string(i));
    formats::putText(host.community, 0, cvlm::kCvTextSize, "public");
    host.state = 1;
    hosts.append(reinterpret_cast<const char*>(&host), sizeof host);
  }
  platform::writeFileAtomic(dir + "/" + cvlm::kCvDbFile, hosts);
  platform_testing::ScopedCwd cwd(dir);
  cvlm::ObjCvLm settings;
  cvlm::MailInfo info;
  info.mailCount = m;
  info.mailServer = "smtp.example.org";
  info.sender = "ids@example.org";
  std::vector<cvlm::MailEntry> entries(static_cast<std::size_t>(m));
  for (int i = 0; i < m; ++i)
    formats::putText(entries[i].text, 0, sizeof entries[i].text, "admin" + std::to_string(i) + "@example.org");
  settings.setMailInfo(info, entries.data());
  settings.save();
}

int helloScalingBenchmark(const Options& options) {
  std::printf("\n== Hello with n hosts in \".cvdb\" and m mail entries (median of %d runs of %.1f s)\n", options.repeat,
              options.seconds);
  std::printf("%6s %6s %9s %7s %12s %9s %9s\n", "hosts", "mail", "trailer", "clients", "per second", "p50 us",
              "p99 us");
  const int cases[][2] = {{0, 0}, {8, 0}, {32, 0}, {0, 64}, {32, 64}};
  for (const auto& c : cases) {
    int n = c[0], m = c[1];
    auto started = startServer(options, [n, m](const std::string& dir) { writeHostsAndMail(dir, n, m); });
    if (!started) return 1;
    std::uint16_t port = started->port();
    for (int clients : {1, 8}) {
      RunResult run =
          bench::medianRun(options.repeat, clients, duration(options), [&] { return hello(port, n * 172 + m * 64); });
      std::printf("%6d %6d %9d %7d %12.0f %9.0f %9.0f\n", n, m, n * 172 + m * 64, clients, run.perSecond(),
                  run.percentileUs(50), run.percentileUs(99));
      if (run.failed > 0) {
        std::fprintf(stderr, "%ld hellos failed\n", run.failed);
        return 1;
      }
    }
  }
  return 0;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) options.seconds = std::atof(argv[++i]);
    else if (arg == "--repeat" && i + 1 < argc) options.repeat = std::atoi(argv[++i]);
    else if (arg == "--fixed-port") options.fixedPort = true;
    else if (arg == "--backlog" && i + 1 < argc) options.backlog = std::atoi(argv[++i]);
    else if (arg == "--only" && i + 1 < argc) options.only = argv[++i];
    else return false;
  }
  return options.seconds > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(
        stderr,
        "usage: %s [--seconds S] [--repeat R] [--fixed-port] [--backlog N] [--only console|accounts|hello-scaling]\n",
        argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (!requirePortFree(options)) return 1;
  int status = 0;
  if (options.only.empty() || options.only == "console") status |= consoleBenchmark(options);
  if (options.only.empty() || options.only == "accounts") status |= accountBenchmark(options);
  if (options.only.empty() || options.only == "hello-scaling") status |= helloScalingBenchmark(options);
  return status;
}
