// Stream XOR and record scrambling of the console protocol.
#include "server/protocol.h"

#include <atomic>
#include <random>

namespace cvlm {

namespace {
unsigned char swapNibbles(unsigned char c) { return static_cast<unsigned char>((c << 4) | (c >> 4)); }

// Where a thread's generator starts: a random seed drawn once per process
// (a std::random_device costs tens of microseconds on some hosts, too much
// for every connection thread) plus an odd step per thread, so the first
// salts of up to 65536 threads all differ.
std::uint16_t threadSaltStart() {
  static const std::uint32_t processSeed = std::random_device{}();
  static std::atomic<std::uint32_t> threads{0};
  return static_cast<std::uint16_t>(processSeed + threads.fetch_add(1) * 40503u);
}

// A full-period generator modulo 2^16 per thread: successive salt pairs of a
// thread always differ.
std::uint16_t nextSaltPair() {
  thread_local std::uint16_t state = threadSaltStart();
  state = static_cast<std::uint16_t>(state * 25173u + 13849u);
  return state;
}
}  // namespace

int xorUiStream(unsigned char* buffer, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) buffer[i] ^= static_cast<unsigned char>(kUiStreamKey[i % 9]);
  return 1;
}

void encodeRecord(unsigned char* record, std::size_t n) {
  std::uint16_t salt = nextSaltPair();
  encodeRecord(record, n, static_cast<unsigned char>(salt >> 8), static_cast<unsigned char>(salt));
}

void encodeRecord(unsigned char* record, std::size_t n, unsigned char salt1, unsigned char salt2) {
  if (n < 3) return;
  record[0] = salt1;
  record[1] = salt2;
  unsigned char c = static_cast<unsigned char>(record[0] + record[1]);
  for (std::size_t i = 2; i <= n - 2; ++i) {
    c = swapNibbles(static_cast<unsigned char>(c ^ record[i]));
    record[i] = c;
  }
  unsigned char sum = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) sum = static_cast<unsigned char>(sum + record[i]);
  record[n - 1] = static_cast<unsigned char>(0 - sum);
}

int decodeRecord(unsigned char* record, std::size_t n) {
  unsigned char sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum = static_cast<unsigned char>(sum + record[i]);
  if (sum != 0) return 0;
  if (n < 3) return 1;
  unsigned char c = static_cast<unsigned char>(record[0] + record[1]);
  for (std::size_t i = 2; i <= n - 2; ++i) {
    unsigned char e = record[i];
    record[i] = static_cast<unsigned char>(c ^ swapNibbles(e));
    c = e;
  }
  return 1;
}

}  // namespace cvlm
