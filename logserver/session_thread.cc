// One detached thread per sensor connection.
#include "session_thread.h"

#include <thread>

#include "log_database.h"

namespace halvern {

namespace {
void wThreadExecute(int slot, int socket, std::shared_ptr<SessionSlots> slots, SessionConfig config) {
  {
    auto session = std::make_unique<LogSession>(socket, config);
    session->run(slot, *slots);
  }
  LogDatabase::threadEnd();
}
}  // namespace

void startWThread(int slot, int socket, std::shared_ptr<SessionSlots> slots, const SessionConfig& config) {
  std::thread(wThreadExecute, slot, socket, std::move(slots), config).detach();
}

}  // namespace halvern
