#include "start/command_line.h"

#include <cctype>

namespace remvex {

namespace {

std::size_t skipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && text[at] == ' ') ++at;
  return at;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
  CommandLine line;
  line.noTemporaryCopy = text.size() >= 2 && text[0] == '/' && (text[1] == 'Z' || text[1] == 'z');
  std::size_t at = 0;
  while (at < text.size() && text[at] == '/') {
    char letter = at + 1 < text.size() ? text[at + 1] : '\0';
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (upper == 'Z') {
      if (letter == 'z') line.secondStage = true;
      at += 2;
      if (at < text.size() && text[at] == ' ') at = skipBlanks(text, at);
      continue;
    }
    if (upper == 'A') line.automatic = true;
    else if (upper == 'S') line.silent = line.automatic = true;
    else if (upper == 'R') line.rollback = true;
    else break;
    at = skipBlanks(text, at + 2);
  }
  std::string_view rest = text.substr(skipBlanks(text, at));
  if (line.secondStage) {
    line.logPath = std::string(rest);
    return line;
  }
  auto blank = rest.find(' ');
  line.logPath = std::string(rest.substr(0, blank));
  if (blank != std::string_view::npos) {
    std::string_view title = rest.substr(blank + 1);
    if (!title.empty() && title.front() == '"') title.remove_prefix(1);
    if (!title.empty() && title.back() == '"') title.remove_suffix(1);
    if (!title.empty()) line.title = std::string(title);
  }
  return line;
}

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string out;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i) out += ' ';
    bool quote = arguments[i].find(' ') != std::string::npos;
    out += quote ? "\"" + arguments[i] + "\"" : arguments[i];
  }
  return out;
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = skipBlanks(text, 0);
  while (at < text.size()) {
    std::string word;
    if (text[at] == '"') {
      auto end = text.find('"', at + 1);
      if (end == std::string_view::npos) end = text.size();
      word = std::string(text.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      auto end = text.find(' ', at);
      if (end == std::string_view::npos) end = text.size();
      word = std::string(text.substr(at, end - at));
      at = end;
    }
    words.push_back(std::move(word));
    at = skipBlanks(text, at);
  }
  return words;
}

}  // namespace remvex
