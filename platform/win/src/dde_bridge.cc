// The socket bridge: a registered service listens on a unix socket in
// <state>/dde/; each connection carries one transaction (request record, then
// reply record), which runs on the server's owner thread inside its pump.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "dde_internal.h"
#include "win/ui_constants.h"

namespace win::detail {

namespace {

constexpr std::uint32_t kRequestMagic = 0x31454444;  // "DDE1"
constexpr std::uint32_t kReplyMagic = 0x52454444;    // "DDER"

struct RequestRecord {
  std::uint32_t magic;
  std::uint32_t type;
  std::uint32_t format;
  std::uint32_t topicBytes;
  std::uint32_t itemBytes;
  std::uint32_t dataBytes;
};
static_assert(sizeof(RequestRecord) == 24);

struct ReplyRecord {
  std::uint32_t magic;
  std::uint32_t error;
  std::uint32_t status;
  std::uint32_t ok;
  std::uint32_t dataBytes;
};
static_assert(sizeof(ReplyRecord) == 20);

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool sendAll(int fd, const char* p, std::size_t n, Clock::time_point deadline) {
  while (n > 0) {
    ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (w > 0) {
      p += w;
      n -= static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    pollfd pfd{fd, POLLOUT, 0};
    int ms = remainingMs(deadline);
    if (ms == 0 || ::poll(&pfd, 1, ms) <= 0) return false;
  }
  return true;
}

// 0 ok, 1 time-out, 2 closed or failed.
int recvAll(int fd, char* p, std::size_t n, Clock::time_point deadline) {
  while (n > 0) {
    pollfd pfd{fd, POLLIN, 0};
    int ms = remainingMs(deadline);
    int r = ms == 0 ? 0 : ::poll(&pfd, 1, ms);
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) return 1;
    if (r < 0) return 2;
    ssize_t got = ::recv(fd, p, n, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) return 2;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return 0;
}

bool fillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

}  // namespace

std::string ddeSocketPath(const std::string& service) {
  static const char* digits = "0123456789ABCDEF";
  std::string name;
  for (unsigned char c : ddeUpper(service)) {
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
      name += static_cast<char>(c);
    else
      name += std::string("%") + digits[c >> 4] + digits[c & 15];
  }
  std::string path = machine().stateDir() + "/" + kDdeDirName + "/" + name;
  return path.size() < sizeof(sockaddr_un{}.sun_path) ? path : std::string();
}

class DdeBridge {
 public:
  DdeBridge(DWORD instance, std::string path, int listenFd, int wakeRead, int wakeWrite)
      : instance_(instance), path_(std::move(path)), listen_(listenFd), wakeRead_(wakeRead), wakeWrite_(wakeWrite) {
    thread_ = std::thread([this] { run(); });
  }
  ~DdeBridge() {
    char one = 1;
    ssize_t n = ::write(wakeWrite_, &one, 1);
    (void)n;
    thread_.join();
    ::unlink(path_.c_str());
    ::close(listen_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
  }
  DdeBridge(const DdeBridge&) = delete;
  DdeBridge& operator=(const DdeBridge&) = delete;

 private:
  void run() {
    for (;;) {
      pollfd fds[2] = {{listen_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
      int r = ::poll(fds, 2, -1);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 || (fds[1].revents & POLLIN)) return;
      if (!(fds[0].revents & POLLIN)) continue;
      int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      serveOne(fd);
      ::close(fd);
    }
  }

  void serveOne(int fd) {
    auto deadline = Clock::now() + std::chrono::milliseconds(kDdeBridgeIoMs);
    RequestRecord req{};
    if (recvAll(fd, reinterpret_cast<char*>(&req), sizeof req, deadline) != 0 || req.magic != kRequestMagic) return;
    if (req.topicBytes > kDdeBridgeMaxBytes || req.itemBytes > kDdeBridgeMaxBytes ||
        req.dataBytes > kDdeBridgeMaxBytes)
      return;
    std::string topic(req.topicBytes, '\0'), item(req.itemBytes, '\0'), data(req.dataBytes, '\0');
    if (recvAll(fd, topic.data(), topic.size(), deadline) || recvAll(fd, item.data(), item.size(), deadline) ||
        recvAll(fd, data.data(), data.size(), deadline))
      return;
    bool timedOut = false;
    DdeAnswer a = ddeServe(instance_, req.type, req.format, topic, item, data, kOutsideInputGuardMs, &timedOut, 0);
    ReplyRecord reply{kReplyMagic, a.error, a.status, a.ok ? 1u : 0u, static_cast<std::uint32_t>(a.bytes.size())};
    auto out = Clock::now() + std::chrono::milliseconds(kDdeBridgeIoMs);
    if (sendAll(fd, reinterpret_cast<const char*>(&reply), sizeof reply, out))
      sendAll(fd, a.bytes.data(), a.bytes.size(), out);
  }

  DWORD instance_;
  std::string path_;
  int listen_, wakeRead_, wakeWrite_;
  std::thread thread_;
};

void DdeBridgeDeleter::operator()(DdeBridge* bridge) const { delete bridge; }

DdeState::~DdeState() = default;

DdeBridgePtr startDdeBridge(DWORD instance, const std::string& service) {
  std::string path = ddeSocketPath(service);
  sockaddr_un addr;
  if (!fillAddress(path, addr)) return nullptr;
  ::mkdir((machine().stateDir() + "/" + kDdeDirName).c_str(), 0755);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  ::unlink(path.c_str());  // a socket left by a process that ended
  int pipeFds[2];
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
      ::pipe2(pipeFds, O_CLOEXEC) != 0) {
    ::close(fd);
    return nullptr;
  }
  return DdeBridgePtr(new DdeBridge(instance, path, fd, pipeFds[0], pipeFds[1]));
}

DdeAnswer ddeBridgeCall(const std::string& socketPath, UINT type, UINT format, const std::string& topic,
                        const std::string& item, const std::string& bytes, std::uint64_t waitMs, bool* timedOut) {
  *timedOut = false;
  DdeAnswer failed{DMLERR_NO_CONV_ESTABLISHED, 0, false, {}};
  sockaddr_un addr;
  if (!fillAddress(socketPath, addr)) return failed;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return failed;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return failed;
  RequestRecord req{kRequestMagic, type, format, static_cast<std::uint32_t>(topic.size()),
                    static_cast<std::uint32_t>(item.size()), static_cast<std::uint32_t>(bytes.size())};
  auto out = Clock::now() + std::chrono::milliseconds(kDdeBridgeIoMs);
  if (!sendAll(fd, reinterpret_cast<const char*>(&req), sizeof req, out) ||
      !sendAll(fd, topic.data(), topic.size(), out) || !sendAll(fd, item.data(), item.size(), out) ||
      !sendAll(fd, bytes.data(), bytes.size(), out))
    return DdeAnswer{DMLERR_SERVER_DIED, 0, false, {}};
  ReplyRecord reply{};
  int r = recvAll(fd, reinterpret_cast<char*>(&reply), sizeof reply, Clock::now() + std::chrono::milliseconds(waitMs));
  if (r == 1) *timedOut = true;
  if (r != 0 || reply.magic != kReplyMagic || reply.dataBytes > kDdeBridgeMaxBytes)
    return DdeAnswer{DMLERR_SERVER_DIED, 0, false, {}};
  DdeAnswer a{reply.error, reply.status, reply.ok != 0, std::string(reply.dataBytes, '\0')};
  if (recvAll(fd, a.bytes.data(), a.bytes.size(), Clock::now() + std::chrono::milliseconds(kDdeBridgeIoMs)) != 0)
    return DdeAnswer{DMLERR_SERVER_DIED, 0, false, {}};
  return a;
}

}  // namespace win::detail
