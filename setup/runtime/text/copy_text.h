// The one bounded text copy into the runtime's fixed buffers.
#pragma once

#include <cstddef>
#include <string_view>

namespace merl {

// Copies source up to its first NUL into destination, cut to capacity - 1 bytes,
// and terminates it; nothing is written when capacity is 0. Returns the bytes copied.
std::size_t copyText(char* destination, std::size_t capacity, std::string_view source);

}  // namespace merl
