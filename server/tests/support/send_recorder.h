// Watches the send() calls of the current thread: records how many bytes
// each asked to send and can make each accept fewer, to test how senders split data.
#pragma once

#include <cstddef>
#include <vector>

namespace cvlm_testing {

class SendRecorder {
 public:
  // acceptAtMost > 0 lets each send take at most that many bytes.
  explicit SendRecorder(std::size_t acceptAtMost = 0);
  ~SendRecorder();
  SendRecorder(const SendRecorder&) = delete;
  SendRecorder& operator=(const SendRecorder&) = delete;

  const std::vector<std::size_t>& asked() const { return asked_; }
  std::size_t accepted() const { return accepted_; }
  std::size_t acceptAtMost() const { return acceptAtMost_; }

  void record(std::size_t asked, long accepted);

 private:
  std::size_t acceptAtMost_;
  std::vector<std::size_t> asked_;
  std::size_t accepted_ = 0;
};

}  // namespace cvlm_testing
