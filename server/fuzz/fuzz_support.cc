// Scratch directory and socket-pair dispatcher for the fuzz targets.
#include "fuzz_support.h"

#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "dispatcher.h"
#include "platform/notice.h"

namespace cvlm_fuzz {

namespace {
std::string scratchDir;
}  // namespace

void enterScratchDirectory(const char* prefix) {
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) ::abort();
  scratchDir = pattern;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(scratchDir, ec);
  });
  std::string work = scratchDir + "/work";
  if (::mkdir(work.c_str(), 0700) != 0 || ::chdir(work.c_str()) != 0) ::abort();
  ::setenv("IDS_PLATFORM_DIR", scratchDir.c_str(), 1);
  platform::setNoticeSink([](const std::string&, const std::string&) {});
}

void emptyWorkingDirectory() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) std::filesystem::remove_all(entry, ec);
}

void serveConsoleBytes(const std::string& wire) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) ::abort();
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
