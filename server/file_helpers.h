// Small file helpers shared by the request handlers: removal, size of an
// open file, byte comparison, the Internet checksum and the sleep of waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace cvlm {

// True when the file was removed.
bool removeFile(const std::string& name);

// Size in bytes of an open file (-1 when it cannot be told); the file
// position is restored.
long fileSize(std::FILE* file);

// True when the first n bytes are equal (true for n <= 0).
bool bytesEqual(const void* a, const void* b, long n);

// Internet checksum over little-endian 16-bit words with a wrapping 32-bit
// accumulator: "abc" gives 0x9D3B, an empty buffer 0xFFFF.
std::uint16_t inetChecksum(const void* data, std::size_t length);

void sleepMs(int milliseconds);

}  // namespace cvlm
