// An owned file or socket descriptor, closed when its owner goes.
#pragma once

#include <utility>

namespace platform {

class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() { return std::exchange(fd_, -1); }
  // Closes the descriptor held (if any) and holds fd instead.
  void reset(int fd = -1);
  // Closes it now; false when the close reported an error.
  bool close();

 private:
  int fd_ = -1;
};

}  // namespace platform
