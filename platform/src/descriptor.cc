// Closing an owned descriptor.
#include "platform/descriptor.h"

#include <unistd.h>

namespace platform {

void Descriptor::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool Descriptor::close() { return fd_ < 0 || ::close(release()) == 0; }

}  // namespace platform
