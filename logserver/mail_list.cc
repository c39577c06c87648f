// Reading "maillist" with bounded words.
#include "logserver/mail_list.h"

#include <cctype>
#include <cstdint>

#include "logserver/console_output.h"
#include "platform/files.h"

namespace halvern {

namespace {

// Reads the next white-space separated word (like fscanf "%s"); false at the end.
bool nextWord(const std::string& bytes, std::size_t& pos, std::string& word) {
  while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
  if (pos >= bytes.size()) return false;
  std::size_t start = pos;
  while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
  word.assign(bytes, start, pos - start);
  return true;
}

bool usableWord(const std::string& word) {
  if (word.size() > kMaxMailWord) {
    putLine("maillist: word of " + std::to_string(word.size()) + " characters skipped");
    return false;
  }
  for (char c : word) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      putLine("maillist: word with control characters skipped");
      return false;
    }
  }
  return true;
}

int recipientCount(const std::string& bytes) {
  if (bytes.size() < 4) return 0;
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n = n << 8 | static_cast<unsigned char>(bytes[i]);
  std::int32_t count = static_cast<std::int32_t>(n);
  if (count < 0) return 0;
  if (count > kMaxRecipients) {
    putLine("maillist: " + std::to_string(count) + " recipients, only the first " + std::to_string(kMaxRecipients) +
            " are used");
    return kMaxRecipients;
  }
  return count;
}

}  // namespace

bool readMailList(const std::string& path, MailList& list) {
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return false;
  list = MailList{};
  int count = recipientCount(bytes);
  std::size_t pos = bytes.size() < 4 ? bytes.size() : 4;
  std::string word;
  if (!nextWord(bytes, pos, word)) return true;
  if (usableWord(word)) list.server = word;
  for (int i = 0; i < count && nextWord(bytes, pos, word); ++i)
    if (usableWord(word)) list.recipients.push_back(word);
  return true;
}

}  // namespace halvern
