// send() wrapper for one test program: the program's own send() calls come
// here first and go on to the C library's.
#include "server/tests/support/send_recorder.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <algorithm>

namespace cvlm_testing {

namespace {
thread_local SendRecorder* active = nullptr;
}

SendRecorder::SendRecorder(std::size_t acceptAtMost) : acceptAtMost_(acceptAtMost) { active = this; }

SendRecorder::~SendRecorder() { active = nullptr; }

void SendRecorder::record(std::size_t asked, long accepted) {
  asked_.push_back(asked);
  if (accepted > 0) accepted_ += static_cast<std::size_t>(accepted);
}

}  // namespace cvlm_testing

extern "C" ssize_t send(int fd, const void* buffer, size_t n, int flags) {
  using RealSend = ssize_t (*)(int, const void*, size_t, int);
  static RealSend real = reinterpret_cast<RealSend>(::dlsym(RTLD_NEXT, "send"));
  cvlm_testing::SendRecorder* recorder = cvlm_testing::active;
  if (!recorder) return real(fd, buffer, n, flags);
  size_t take = recorder->acceptAtMost() ? std::min(n, recorder->acceptAtMost()) : n;
  ssize_t r = real(fd, buffer, take, flags);
  recorder->record(n, r);
  return r;
}
