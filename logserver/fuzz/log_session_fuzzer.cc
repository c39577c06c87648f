// libFuzzer target for the sensor log session stream: the input is what a
// sensor sends on one connection (greeting, items, payloads, alert batches),
// run through a real LogSession over a socket pair into a private MariaDB
// server started for the run.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "logserver/console_output.h"
#include "logserver/log_session.h"
#include "logserver/session_slots.h"
#include "logserver/tests/support/mariadb_server.h"

namespace {

std::unique_ptr<halvern_testing::MariaDbServer> database;
// Tables pile up (one per sensor and day); start afresh now and then.
constexpr int kInputsPerDatabase = 2000;
int inputsSinceReset = 0;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  database = std::make_unique<halvern_testing::MariaDbServer>();
  std::string error;
  if (!database->start(error)) {
    std::fprintf(stderr, "MariaDB for the fuzzer: %s\n", error.c_str());
    std::abort();
  }
  std::atexit([] { database.reset(); });
  halvern::setOutputCapture([](bool, std::string_view) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (++inputsSinceReset > kInputsPerDatabase) {
    database->resetDatabase();
    inputsSinceReset = 0;
  }
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) std::abort();
  // The input fits the socket buffer (-max_len stays far below it), so the
  // whole stream is written before the session reads it.
  if (size > 0) (void)!::send(pair[0], data, size, MSG_NOSIGNAL);
  ::shutdown(pair[0], SHUT_WR);
  halvern::SessionSlots slots;
  int slot = slots.acquire();
  halvern::SessionConfig config;
  config.receiveTimeoutMs = 100;
  halvern::LogSession(pair[1], config).run(slot, slots);
  ::close(pair[0]);
  return 0;
}
