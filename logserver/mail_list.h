// The "maillist" file: a 4-byte big-endian recipient count, then white-space
// separated words: the mail server's dotted address and the recipients.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace halvern {

inline constexpr int kMaxRecipients = 10;
// A recipient is held in 50 characters with its terminator.
inline constexpr std::size_t kMaxMailWord = 49;

struct MailList {
  std::string server;  // empty when the file names none
  std::vector<std::string> recipients;
};

// Reads the file at path. At most kMaxRecipients recipients are taken; a word
// longer than kMaxMailWord or holding control bytes is skipped with a
// message; when the file ends early only the words read are used.
// False when the file cannot be opened.
bool readMailList(const std::string& path, MailList& list);

}  // namespace halvern
