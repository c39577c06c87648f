// File removal, file size, byte comparison, Internet checksum and sleep.
#include "server/file_helpers.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace cvlm {

bool removeFile(const std::string& name) { return ::unlink(name.c_str()) == 0; }

long fileSize(std::FILE* file) {
  long position = std::ftell(file);
  if (position < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(file);
  std::fseek(file, position, SEEK_SET);
  return size;
}

bool bytesEqual(const void* a, const void* b, long n) {
  return n <= 0 || std::memcmp(a, b, static_cast<std::size_t>(n)) == 0;
}

std::uint16_t inetChecksum(const void* data, std::size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  std::uint32_t sum = 0;  // wraps modulo 2^32, as the sensor expects
  for (; length >= 2; p += 2, length -= 2) sum += static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
  if (length == 1) sum += p[0];
  sum = (sum >> 16) + (sum & 0xFFFF);
  sum += sum >> 16;
  return static_cast<std::uint16_t>(~sum);
}

void sleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace cvlm
