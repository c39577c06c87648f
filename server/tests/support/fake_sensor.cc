// The scripted test sensor: one thread that accepts connections one after
// another and plays each through key agreement, request, data and reply.
#include "server/tests/support/fake_sensor.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#include "formats/byte_order.h"
#include "platform/net.h"
#include "server/sensor/key_agreement.h"

namespace cvlm_testing {

namespace {
constexpr std::size_t kMaxDataBytes = 64u << 20;
constexpr std::size_t kMaxBlocks = 1u << 20;
constexpr int kHoldLimitMs = 60000;

void scramble(unsigned char* bytes, std::size_t n, std::uint8_t key) {
  for (std::size_t i = 0; i < n; ++i) bytes[i] ^= key;
}

std::uint32_t loopback(int hostN) { return htonl(0x7F000000u | static_cast<std::uint32_t>(hostN)); }

// The data blocks that follow a request, as its command announces them.
std::vector<std::size_t> announcedBlocks(const cvlm::cvrh& r) {
  auto fits = [](long long count, long long size) {
    return count >= 0 && size >= 0 && count <= static_cast<long long>(kMaxBlocks) &&
           count * size <= static_cast<long long>(kMaxDataBytes);
  };
  switch (r.command) {
    case cvlm::CVRH_LoadRules:
    case cvlm::CVRH_LoadDDoS:
      if (fits(r.param2, r.param1)) return std::vector<std::size_t>(r.param2, static_cast<std::size_t>(r.param1));
      break;
    case cvlm::CVRH_PutKernel:
      if (fits(1, r.param1)) return {static_cast<std::size_t>(r.param1)};
      break;
    case cvlm::CVRH_SetKparam:
      if (fits(1, static_cast<long long>(r.param1) * r.param2)) {
        return {static_cast<std::size_t>(static_cast<long long>(r.param1) * r.param2)};
      }
      break;
    default:
      break;
  }
  return {};
}
}  // namespace

// ---- scripts

SensorScript SensorScript::resetDuringData(std::size_t afterBytes) {
  SensorScript s = accept().ending(End::Reset);
  s.resetAfterDataBytes = afterBytes;
  return s;
}

SensorScript SensorScript::shortReply(std::size_t n) { return accept().cutReplyAt(n).thenStaySilent(); }

SensorScript& SensorScript::withRrtype(std::int32_t rrtype) {
  reply.rrtype = rrtype;
  return *this;
}

SensorScript& SensorScript::withId(const std::uint8_t (&id)[cvlm::kSensorIdSize]) {
  std::memcpy(reply.sensorId, id, sizeof id);
  return *this;
}

SensorScript& SensorScript::withValues(std::int32_t value1, std::int32_t value2) {
  reply.value1 = value1;
  reply.value2 = value2;
  return *this;
}

SensorScript& SensorScript::withFloat(float value2) {
  std::memcpy(&reply.value2, &value2, sizeof value2);
  return *this;
}

SensorScript& SensorScript::followedBy(std::vector<unsigned char> data) {
  extra = std::move(data);
  return *this;
}

SensorScript& SensorScript::keyAnswer(Key k, int gapMs) {
  key = k;
  keyGapMs = gapMs;
  return *this;
}

SensorScript& SensorScript::ending(End e) {
  end = e;
  return *this;
}

SensorScript& SensorScript::cutReplyAt(std::size_t n) {
  replyBytes = std::min(n, sizeof(cvlm::cvret));
  return *this;
}

SensorScript& SensorScript::thenStaySilent() {
  after = After::StaySilent;
  return *this;
}

SensorScript& SensorScript::readingBlocks(std::vector<std::size_t> sizes) {
  blocksGiven = true;
  blocks = std::move(sizes);
  return *this;
}

std::vector<unsigned char> SensorSession::allData() const {
  std::vector<unsigned char> all;
  for (const auto& b : blocks) all.insert(all.end(), b.begin(), b.end());
  return all;
}

// ---- the sensor

FakeSensor::FakeSensor(int hostN, std::uint16_t port) : port_(port) {
  int first = hostN ? hostN : 2 + static_cast<int>(::getpid() % 253);
  for (int i = 0; i < (hostN ? 1 : 253) && listener_ < 0; ++i) {
    int n = hostN ? hostN : 2 + (first - 2 + i) % 253;
    listener_ = platform::openListener(loopback(n), port, 16);
    if (listener_ >= 0) hostN_ = n;
  }
  if (listener_ < 0) return;
  thread_ = std::thread([this] { serve(); });
}

FakeSensor::~FakeSensor() {
  stopEvent_.signal();
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

std::string FakeSensor::address() const { return "127.0.0." + std::to_string(hostN_); }

std::uint32_t FakeSensor::addressValue() const { return loopback(hostN_); }

void FakeSensor::on(std::int32_t command, SensorScript script) {
  std::lock_guard<std::mutex> lock(mutex_);
  byCommand_[command] = std::move(script);
}

void FakeSensor::next(SensorScript script) {
  std::lock_guard<std::mutex> lock(mutex_);
  queued_.push_back(std::move(script));
}

void FakeSensor::otherwise(SensorScript script) {
  std::lock_guard<std::mutex> lock(mutex_);
  fallback_ = std::move(script);
}

void FakeSensor::setSecret(std::uint32_t secret) {
  std::lock_guard<std::mutex> lock(mutex_);
  secret_ = secret & 0xFFFF;
}

std::vector<SensorSession> FakeSensor::sessions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_;
}

bool FakeSensor::waitForSessions(std::size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return static_cast<std::size_t>(std::count_if(sessions_.begin(), sessions_.end(),
                                                  [](const SensorSession& s) { return s.finished; })) >= n;
  });
}

void FakeSensor::serve() {
  for (;;) {
    int fd = platform::acceptOrStop(listener_, stopEvent_, nullptr);
    if (fd == platform::kAcceptStopped) break;
    if (fd >= 0) handle(fd);
  }
}

std::optional<SensorScript> FakeSensor::takeQueued() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queued_.empty()) return std::nullopt;
  std::optional<SensorScript> s{std::move(queued_.front())};
  queued_.pop_front();
  return s;
}

SensorScript FakeSensor::scriptFor(std::int32_t command) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = byCommand_.find(command);
  return it != byCommand_.end() ? it->second : fallback_;
}

// Plays one connection; a queued script governs all of it, otherwise the
// fallback answers the key and the command's script the request.
void FakeSensor::handle(int fd) {
  std::size_t index;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.emplace_back();
    index = sessions_.size() - 1;
  }
  std::optional<SensorScript> queued = takeQueued();
  SensorScript script;
  if (queued) {
    script = *queued;
  } else {
    std::lock_guard<std::mutex> lock(mutex_);
    script = fallback_;
  }
  if (agreeKey(fd, index, script) && readRequest(fd, index)) {
    std::uint8_t key;
    std::int32_t command;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      key = sessions_[index].keyByte;
      command = sessions_[index].request.command;
    }
    if (!queued) script = scriptFor(command);
    if (!readBlocks(fd, index, script, key)) {
      fd = -1;  // readBlocks closed or reset it
    } else if (script.end == SensorScript::End::Reset) {
      reset(fd);
      fd = -1;
    } else if (script.end == SensorScript::End::StaySilent) {
      holdUntilClosed(fd);
    } else if (script.end == SensorScript::End::Reply) {
      if (sendScrambled(fd, &script.reply, script.replyBytes, key) &&
          (script.extra.empty() || sendScrambled(fd, script.extra.data(), script.extra.size(), key)) &&
          script.after == SensorScript::After::StaySilent) {
        holdUntilClosed(fd);
      }
    }
  }
  if (fd >= 0) platform::closeGracefully(fd, std::min(patienceMs_.load(), 1000));
  finishSession(index);
}

bool FakeSensor::agreeKey(int fd, std::size_t index, const SensorScript& script) {
  unsigned char value[4];
  if (readExact(fd, value, sizeof value) != static_cast<long>(sizeof value)) return false;
  std::uint32_t secret;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    thread_local std::mt19937 generator{std::random_device{}()};
    secret = secret_ ? *secret_ : generator() & 0xFFFF;
    SensorSession& s = sessions_[index];
    s.gotKeyValue = true;
    s.serverKeyValue = static_cast<std::uint32_t>(formats::getInt32(value, 0));
    s.secret = secret;
    s.sensorKeyValue = cvlm::truncatingModPower(cvlm::kKeyBase, secret);
    s.sharedValue = cvlm::truncatingModPower(s.serverKeyValue, secret);
    s.keyByte = cvlm::keyByteOf(s.sharedValue);
    formats::putInt32(value, 0, static_cast<std::int32_t>(s.sensorKeyValue));
  }
  using Key = SensorScript::Key;
  switch (script.key) {
    case Key::Send:
      return platform::sendAll(fd, value, 4) == 4;
    case Key::SendInTwoPieces: {
      if (platform::sendAll(fd, value, 2) != 2) return false;
      pollfd stop{stopEvent_.fd(), POLLIN, 0};
      ::poll(&stop, 1, script.keyGapMs);
      return platform::sendAll(fd, value + 2, 2) == 2;
    }
    case Key::SendHalf:
      if (platform::sendAll(fd, value, 2) == 2) holdUntilClosed(fd);
      return false;
    case Key::Withhold:
      holdUntilClosed(fd);
      return false;
    case Key::Close:
      return false;
  }
  return false;
}

bool FakeSensor::readRequest(int fd, std::size_t index) {
  unsigned char raw[sizeof(cvlm::cvrh)];
  long got = readExact(fd, raw, sizeof raw);
  std::lock_guard<std::mutex> lock(mutex_);
  SensorSession& s = sessions_[index];
  std::memcpy(s.rawRequest, raw, static_cast<std::size_t>(std::max(got, 0L)));
  if (got != static_cast<long>(sizeof raw)) return false;
  scramble(raw, sizeof raw, s.keyByte);
  std::memcpy(&s.request, raw, sizeof raw);
  s.gotRequest = true;
  return true;
}

// Reads the data blocks; false when the connection ended here (closed or reset).
bool FakeSensor::readBlocks(int fd, std::size_t index, const SensorScript& script, std::uint8_t key) {
  std::vector<std::size_t> sizes;
  if (script.blocksGiven) {
    sizes = script.blocks;
  } else {
    std::lock_guard<std::mutex> lock(mutex_);
    sizes = announcedBlocks(sessions_[index].request);
  }
  const std::optional<std::size_t>& limit = script.resetAfterDataBytes;
  std::size_t total = 0;
  for (std::size_t size : sizes) {
    if (limit && total >= *limit) break;
    if (size == 0) continue;
    std::size_t want = limit ? std::min(size, *limit - total) : size;
    std::vector<unsigned char> block(want);
    long got = readExact(fd, block.data(), want);
    block.resize(static_cast<std::size_t>(std::max(got, 0L)));
    scramble(block.data(), block.size(), key);
    total += block.size();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sessions_[index].blocks.push_back(std::move(block));
    }
    if (got != static_cast<long>(want)) {
      platform::closeGracefully(fd, 0);
      return false;
    }
  }
  if (limit) {
    reset(fd);
    return false;
  }
  return true;
}

void FakeSensor::finishSession(std::size_t index) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_[index].finished = true;
  }
  changed_.notify_all();
}

long FakeSensor::readExact(int fd, void* buffer, std::size_t n) {
  unsigned char* p = static_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  while (got < n && !stopping()) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopEvent_.fd(), POLLIN, 0}};
    int r = ::poll(fds, 2, patienceMs_.load());
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || (fds[1].revents & POLLIN)) break;
    ssize_t k = ::recv(fd, p + got, n - got, 0);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) break;
    got += static_cast<std::size_t>(k);
  }
  return static_cast<long>(got);
}

bool FakeSensor::sendScrambled(int fd, const void* data, std::size_t n, std::uint8_t key) {
  std::vector<unsigned char> bytes(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + n);
  scramble(bytes.data(), n, key);
  return platform::sendAll(fd, bytes.data(), n) == static_cast<long>(n);
}

// Silence: reads nothing and returns once the server closes (or on stop).
void FakeSensor::holdUntilClosed(int fd) {
  pollfd fds[2] = {{fd, POLLRDHUP, 0}, {stopEvent_.fd(), POLLIN, 0}};
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHoldLimitMs);
  while (!stopping() && std::chrono::steady_clock::now() < deadline) {
    int r = ::poll(fds, 2, 200);
    if (r < 0 && errno != EINTR) return;
    if (r > 0) return;
  }
}

void FakeSensor::reset(int fd) {
  linger hard{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(fd);
}

}  // namespace cvlm_testing
