// The uninstaller's command line: switches, the log path and the title.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace remvex {

struct CommandLine {
  bool automatic = false, silent = false, secondStage = false, rollback = false;
  bool noTemporaryCopy = false;      // the text began with "/Z" in either case
  std::string logPath;               // for the second stage: its whole argument text
  std::optional<std::string> title;  // a non-empty text after the log path
};

CommandLine ParseCommandLine(std::string_view text);

// The command line of a program started from a host shell: the arguments joined with single
// blanks, an argument holding a blank wrapped in double quotes.
std::string JoinArguments(const std::vector<std::string>& arguments);

// The second stage's argument text as its words: a word in double quotes may hold blanks.
std::vector<std::string> SplitWords(std::string_view text);

}  // namespace remvex
