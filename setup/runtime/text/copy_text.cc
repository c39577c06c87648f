// The one bounded text copy into the runtime's fixed buffers.
#include "text/copy_text.h"

#include <cstring>

namespace merl {

std::size_t copyText(char* destination, std::size_t capacity, std::string_view source) {
  if (capacity == 0) return 0;
  std::size_t n = source.find('\0');
  if (n == std::string_view::npos) n = source.size();
  if (n > capacity - 1) n = capacity - 1;
  std::memmove(destination, source.data(), n);
  destination[n] = '\0';
  return n;
}

}  // namespace merl
