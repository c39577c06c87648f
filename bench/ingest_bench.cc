// Log ingest benchmark: attack records per second through the log server
// (halvern_on_port, the Halvern listener and sessions on a free loopback
// port) into a private MariaDB server, over 1 and 5 sensor sessions, against
// a plain loop of the same statements over one client connection; then
// bursts of 5 sensors that connect at the same instant, timing each one's
// session start (connect to greeting reply).
//
//   build/bench/ingest_bench [--records N] [--repeat R] [--bursts B]
#include <arpa/inet.h>
#include <mysql.h>
#include <netinet/in.h>

#include <algorithm>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "logserver/constants.h"
#include "logserver/log_statements.h"
#include "logserver/tests/support/fake_sensor.h"
#include "logserver/tests/support/mariadb_server.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kDay = 1046131200;  // 2003-02-25 00:00 UTC

struct Options {
  int records = 20000;  // per run, spread over its sessions
  int repeat = 3;
  int bursts = 20;  // rounds of 5 sensors connecting at once
};

halvern::Ipv4Address sensorAddress(int session) {
  return halvern_testing::address(10, 1, 2, static_cast<std::uint8_t>(1 + session));
}

halvern::AttackLogRecord attack(int i) {
  halvern::AttackLogRecord r{};
  r.AttackID = 0x00100001 + static_cast<std::uint32_t>(i % 8);
  r.SourceIP = halvern_testing::address(192, 168, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i));
  r.ScopeIP = halvern_testing::address(10, 0, 0, 1);
  r.Ifno = i % 4;
  r.beginTime = kDay + i % 86000;
  r.endTime = r.beginTime + 30;
  r.Eseq = i;
  r.PacketNum = 1 + i % 5;
  return r;
}

// What one session sends: its greeting, then every record as a log item.
std::string sessionStream(int session, int records) {
  std::string stream = halvern_testing::greeting(sensorAddress(session));
  for (int i = 0; i < records; ++i) stream += halvern_testing::logItem(halvern_testing::encode(attack(i)));
  return stream;
}

std::string attackTable(int session) {
  return halvern::logTableName(halvern::kAttackTableKind, 2003, 2, 25, sensorAddress(session));
}

long rowsOf(halvern_testing::MariaDbServer& db, const std::string& table) {
  auto rows = db.query(std::string("SELECT COUNT(*) FROM ") + halvern::kDatabaseName + "." + table);
  return rows.size() == 1 && rows[0].size() == 1 && rows[0][0] ? std::atol(rows[0][0]->c_str()) : -1;
}

struct Figure {
  double perSecond = 0;
  bool complete = false;
  double slowestGreetingMs = 0;  // connect to greeting reply, slowest session
};

// One run through the log server: the sessions send at once; the run ends
// when the server has closed every session (after its last record).
Figure throughServer(halvern_testing::MariaDbServer& db, std::uint16_t port, int sessions, int records) {
  db.resetDatabase();
  int perSession = records / sessions;
  std::vector<std::string> streams;
  for (int s = 0; s < sessions; ++s) streams.push_back(sessionStream(s, perSession));
  std::vector<std::thread> threads;
  std::vector<int> ended(sessions, 0);
  std::vector<double> greetingMs(sessions, 0);
  constexpr int kPatienceMs = 120000;
  auto begin = Clock::now();
  for (int s = 0; s < sessions; ++s) {
    threads.emplace_back([&, s] {
      auto start = Clock::now();
      halvern_testing::FakeSensor sensor(port, htonl(INADDR_LOOPBACK), kPatienceMs);
      // The greeting first, so its reply times the session's start.
      if (!sensor.send(streams[s].substr(0, 8)) || !sensor.reply(kPatienceMs)) return;
      greetingMs[s] = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      if (!sensor.send(streams[s].substr(8))) return;
      sensor.shutdownWrite();
      ended[s] = sensor.closedByServer(kPatienceMs);
    });
  }
  for (auto& t : threads) t.join();
  double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  Figure figure{perSession * sessions / seconds, true, *std::max_element(greetingMs.begin(), greetingMs.end())};
  for (int s = 0; s < sessions; ++s) {
    long rows = rowsOf(db, attackTable(s));
    if (!ended[s] || rows != perSession)
      std::fprintf(stderr, "session %d: %s, %ld of %d rows stored\n", s,
                   ended[s] ? "closed by the server" : "not ended", rows, perSession);
    figure.complete = figure.complete && ended[s] && rows == perSession;
  }
  return figure;
}

// The baseline: the statements the server sends for each attack record (the
// insert, then the day lookup whose result is fetched), in a plain loop over
// one connection, the tables made beforehand. withLookup false sends the
// inserts alone.
Figure plainLoop(halvern_testing::MariaDbServer& db, int records, bool withLookup) {
  db.resetDatabase();
  MYSQL mysql;
  mysql_init(&mysql);
  if (!mysql_real_connect(&mysql, halvern::kDatabaseHost, halvern::kDatabaseUser, halvern::kDatabasePassword,
                          halvern::kDatabaseName, 0, nullptr, 0)) {
    std::fprintf(stderr, "baseline connect: %s\n", mysql_error(&mysql));
    return {};
  }
  std::string mode = std::string("SET SESSION sql_mode = '") + halvern::kSessionSqlMode + "'";
  std::tm day{};
  std::time_t t = kDay;
  gmtime_r(&t, &day);
  halvern::Ipv4Address sensor = sensorAddress(0);
  std::string setup[] = {mode, halvern::attackTableStatement(attackTable(0)), halvern::dayTableStatement(sensor, day),
                         halvern::dayInsert(sensor, day)};
  for (const auto& s : setup) mysql_query(&mysql, s.c_str());
  std::vector<std::string> inserts, lookups;
  for (int i = 0; i < records; ++i) {
    halvern::AttackLogRecord r = attack(i);
    std::tm begin{}, end{};
    std::time_t b = r.beginTime, e = r.endTime;
    gmtime_r(&b, &begin);
    gmtime_r(&e, &end);
    inserts.push_back(halvern::attackInsert(attackTable(0), r, begin, end));
    lookups.push_back(halvern::dayLookup(sensor, begin));
  }
  bool ok = true;
  auto start = Clock::now();
  for (int i = 0; i < records && ok; ++i) {
    ok = mysql_query(&mysql, inserts[i].c_str()) == 0;
    if (ok && withLookup) {
      ok = mysql_query(&mysql, lookups[i].c_str()) == 0;
      MYSQL_RES* result = ok ? mysql_store_result(&mysql) : nullptr;
      ok = result != nullptr && mysql_num_rows(result) == 1;
      if (result) mysql_free_result(result);
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  mysql_close(&mysql);
  return {records / seconds, ok && rowsOf(db, attackTable(0)) == records};
}

// Session starts of sensors that connect at once, over every round.
struct BurstFigure {
  std::vector<double> startMs;  // sorted
  bool complete = true;
  double percentile(double p) const {
    return startMs.empty() ? 0 : startMs[std::min(startMs.size() - 1, static_cast<std::size_t>(p * startMs.size()))];
  }
  long above(double ms) const {
    return static_cast<long>(std::count_if(startMs.begin(), startMs.end(), [ms](double v) { return v > ms; }));
  }
};

// Each round: `sensors` threads meet at a barrier, connect and greet at the
// same instant, send a few records and close; the round ends when the server
// has closed every session, so the next round finds every slot free.
BurstFigure bursts(std::uint16_t port, int rounds, int sensors) {
  constexpr int kPatienceMs = 30000;
  constexpr int kRecords = 4;
  BurstFigure figure;
  for (int round = 0; round < rounds; ++round) {
    std::barrier start(sensors);
    std::vector<double> startMs(sensors, -1);
    std::vector<int> ended(sensors, 0);
    std::vector<std::thread> threads;
    for (int s = 0; s < sensors; ++s) {
      threads.emplace_back([&, s] {
        std::string stream = sessionStream(s, kRecords);
        start.arrive_and_wait();
        auto begin = Clock::now();
        halvern_testing::FakeSensor sensor(port, htonl(INADDR_LOOPBACK), kPatienceMs);
        if (!sensor.send(stream.substr(0, 8)) || !sensor.reply(kPatienceMs)) return;
        startMs[s] = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        if (!sensor.send(stream.substr(8))) return;
        sensor.shutdownWrite();
        ended[s] = sensor.closedByServer(kPatienceMs);
      });
    }
    for (auto& t : threads) t.join();
    for (int s = 0; s < sensors; ++s) {
      figure.complete = figure.complete && ended[s] && startMs[s] >= 0;
      if (startMs[s] >= 0) figure.startMs.push_back(startMs[s]);
    }
  }
  std::sort(figure.startMs.begin(), figure.startMs.end());
  return figure;
}

Figure median(int repeat, const std::function<Figure()>& run) {
  std::vector<Figure> figures;
  for (int i = 0; i < std::max(1, repeat); ++i) figures.push_back(run());
  std::sort(figures.begin(), figures.end(), [](const Figure& a, const Figure& b) { return a.perSecond < b.perSecond; });
  Figure m = figures[figures.size() / 2];
  for (const auto& f : figures) m.complete = m.complete && f.complete;
  return m;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--records" && i + 1 < argc) options.records = std::atoi(argv[++i]);
    else if (arg == "--repeat" && i + 1 < argc) options.repeat = std::atoi(argv[++i]);
    else if (arg == "--bursts" && i + 1 < argc) options.bursts = std::atoi(argv[++i]);
    else return false;
  }
  return options.records >= 5;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--records N] [--repeat R] [--bursts B]\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // Table names follow local dates; both processes use UTC.
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  halvern_testing::MariaDbServer db;
  std::string error;
  if (!db.start(error)) {
    std::fprintf(stderr, "MariaDB: %s\n", error.c_str());
    return 1;
  }
  std::uint16_t port = bench::freeLoopbackPort();
  bench::ServerProcess server(HALVERN_ON_PORT_BINARY, {std::to_string(port)}, port);
  if (!server.ready()) {
    std::fprintf(stderr, "the log server did not start: %s\n", server.output().c_str());
    return 1;
  }
  // The readiness probe opened a session; let it end before measuring.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  std::printf("== Log ingest: %d attack records per run into a private MariaDB, median of %d runs\n", options.records,
              options.repeat);
  Figure loop = median(options.repeat, [&] { return plainLoop(db, options.records, true); });
  Figure inserts = median(options.repeat, [&] { return plainLoop(db, options.records, false); });
  std::printf("%-44s %12s %9s %9s %12s\n", "path", "records/s", "vs loop", "complete", "greeting ms");
  auto print = [&](const char* name, const Figure& f) {
    std::printf("%-44s %12.0f %9.2f %9s %12.1f\n", name, f.perSecond, f.perSecond / loop.perSecond,
                f.complete ? "yes" : "NO", f.slowestGreetingMs);
  };
  print("plain loop: insert + day lookup, 1 connection", loop);
  print("plain loop: insert only, 1 connection", inserts);
  bool complete = loop.complete && inserts.complete;
  for (int sessions : {1, 5}) {
    server.resetPeak();
    Figure f = median(options.repeat, [&] { return throughServer(db, port, sessions, options.records); });
    std::string name = "log server, " + std::to_string(sessions) + (sessions == 1 ? " session" : " sessions");
    print(name.c_str(), f);
    std::printf("%-44s peak RSS %ld KiB\n", "", server.peakRssKiB());
    complete = complete && f.complete;
  }
  if (options.bursts > 0) {
    db.resetDatabase();
    constexpr int kSensors = 5;
    BurstFigure b = bursts(port, options.bursts, kSensors);
    std::printf("== %d sensors connecting at once, %d rounds: session start (connect to greeting reply)\n", kSensors,
                options.bursts);
    std::printf("%-10s %10s %10s %10s %14s %9s\n", "sessions", "p50 ms", "p99 ms", "max ms", "above 100 ms",
                "complete");
    std::printf("%-10zu %10.2f %10.2f %10.2f %14ld %9s\n", b.startMs.size(), b.percentile(0.5),
                b.percentile(0.99), b.startMs.empty() ? 0 : b.startMs.back(), b.above(100), b.complete ? "yes" : "NO");
    complete = complete && b.complete;
  }
  db.stop();
  return complete ? 0 : 1;
}
