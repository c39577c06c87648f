// WDispatcher: each accepted connection is served by its own detached thread.
#include "server/connection_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/descriptor.h"
#include "server/dispatcher.h"
#include "server/log.h"

namespace cvlm {

namespace {
std::mutex countMutex;
std::condition_variable countChanged;
int running = 0;

void serveConnection(int fd, std::uint32_t peerAddress, ListenerConfig config) {
  {
    UISocket connection(fd, peerAddress, config);
    Dispatcher dispatcher(connection);
    dispatcher.dispatcher();
  }
  std::lock_guard<std::mutex> lock(countMutex);
  --running;
  countChanged.notify_all();
}
}  // namespace

void startConnectionThread(int fd, std::uint32_t peerAddress, const ListenerConfig& config) {
  {
    std::lock_guard<std::mutex> lock(countMutex);
    ++running;
  }
  platform::Descriptor owned(fd);  // closed unless the thread takes it
  try {
    std::thread(serveConnection, fd, peerAddress, config).detach();
    owned.release();
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(countMutex);
    --running;
    countChanged.notify_all();
    throw;  // the accept loop logs it and goes on
  }
}

ConnectionStarter connectionThreadStarter(const ListenerConfig& config) {
  return [config](int fd, std::uint32_t peerAddress) { startConnectionThread(fd, peerAddress, config); };
}

int runningConnectionThreads() {
  std::lock_guard<std::mutex> lock(countMutex);
  return running;
}

bool waitForConnectionThreads(int timeoutMs) {
  std::unique_lock<std::mutex> lock(countMutex);
  return countChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return running == 0; });
}

}  // namespace cvlm
