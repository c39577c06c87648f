// Windows command lines: the C runtime's splitting rules (backslashes count
// only before a quote; "" inside quotes is a literal quote and ends the quoted
// part) and the quoting that reverses them.
#include "win/process.h"

namespace win {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// argv[0]: up to the first blank outside quotes; quotes group and are dropped.
std::string_view::size_type programName(std::string_view line, std::string& out) {
  bool quoted = false;
  std::string_view::size_type i = 0;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && isBlank(c)) break;
    out += c;
  }
  return i;
}

// One argument from position i; returns the position after it.
std::string_view::size_type nextArgument(std::string_view line, std::string_view::size_type i, std::string& out) {
  bool quoted = false;
  while (i < line.size() && (quoted || !isBlank(line[i]))) {
    std::string_view::size_type slashes = 0;
    while (i < line.size() && line[i] == '\\') ++slashes, ++i;
    if (i < line.size() && line[i] == '"') {
      out.append(slashes / 2, '\\');
      if (slashes % 2 == 1) {
        out += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        out += '"';
        quoted = false;
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
      continue;
    }
    out.append(slashes, '\\');
    if (slashes == 0 && i < line.size()) out += line[i++];
  }
  return i;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::string first;
  auto i = programName(line, first);
  args.push_back(std::move(first));
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    i = nextArgument(line, i, arg);
    args.push_back(std::move(arg));
  }
  return args;
}

std::string quoteArgument(std::string_view argument) {
  bool needsQuotes = argument.empty() || argument.find_first_of(" \t") != std::string_view::npos;
  std::string out;
  if (needsQuotes) out += '"';
  std::string_view::size_type slashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(needsQuotes ? slashes * 2 : slashes, '\\');
  if (needsQuotes) out += '"';
  return out;
}

std::string joinCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const auto& a : arguments) {
    if (!line.empty()) line += ' ';
    line += quoteArgument(a);
  }
  return line;
}

}  // namespace win
