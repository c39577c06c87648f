// The socket-pair dispatcher of the fuzz targets.
#include "server/fuzz/fuzz_support.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "server/dispatcher.h"

namespace cvlm_fuzz {

void serveConsoleBytes(const std::string& wire) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) std::abort();
  std::thread serving([fd = pair[1]] {
    cvlm::ListenerConfig config;
    config.receiveTimeoutMs = 20;
    config.closeDrainMs = 20;
    cvlm::UISocket connection(fd, htonl(INADDR_LOOPBACK), config);
    cvlm::Dispatcher(connection).dispatcher();
  });
  if (!wire.empty()) (void)!::send(pair[0], wire.data(), wire.size(), MSG_NOSIGNAL);
  ::shutdown(pair[0], SHUT_WR);
  char sink[4096];
  while (::recv(pair[0], sink, sizeof sink, 0) > 0) {
  }
  serving.join();
  ::close(pair[0]);
}

}  // namespace cvlm_fuzz
