// Stream XOR and record scrambling of the console protocol.
#include "protocol.h"

#include <random>

namespace cvlm {

namespace {
unsigned char swapNibbles(unsigned char c) { return static_cast<unsigned char>((c << 4) | (c >> 4)); }

unsigned char randomSalt() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return static_cast<unsigned char>(generator());
}
}  // namespace

int xorUiStream(unsigned char* buffer, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) buffer[i] ^= static_cast<unsigned char>(kUiStreamKey[i % 9]);
  return 1;
}

void encodeRecord(unsigned char* record, std::size_t n) {
  if (n < 3) return;
  record[0] = randomSalt();
  record[1] = randomSalt();
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
  if (sum != 0 || n < 2) return sum == 0 ? 1 : 0;
  unsigned char c = static_cast<unsigned char>(record[0] + record[1]);
  for (std::size_t i = 2; i + 2 <= n; ++i) {
    unsigned char e = record[i];
    record[i] = static_cast<unsigned char>(c ^ swapNibbles(e));
    c = e;
  }
  return 1;
}

}  // namespace cvlm
