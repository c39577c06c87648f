// Foreground service host: start, wait for SIGTERM/SIGINT (or a failure), stop.
#include "platform/service_host.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace platform {

namespace {
std::atomic<bool> stopRequested{false};
}  // namespace

void requestServiceStop() {
  stopRequested = true;
  ::kill(::getpid(), SIGTERM);
}

int runService(Service& service) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  // Blocked before start so every thread the service starts inherits the mask.
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  int sfd = ::signalfd(-1, &set, SFD_CLOEXEC);
  if (!service.start()) {
    if (sfd >= 0) ::close(sfd);
    return 1;
  }
  int status = 0;
  for (;;) {
    if (service.failed()) {
      status = 1;
      break;
    }
    pollfd pfd{sfd, POLLIN, 0};
    int r = ::poll(&pfd, 1, 200);
    if (r > 0) {
      signalfd_siginfo info;
      (void)!::read(sfd, &info, sizeof info);
      break;
    }
    if (stopRequested) break;
  }
  service.stop();
  if (sfd >= 0) ::close(sfd);
  return status;
}

}  // namespace platform
