// The answers file's lines as parsed: an optional program prefix, the key (a
// template id, "#<n>", a caption, or a file dialog's open/save/cancel), the
// answer (a button, wait, or until:<file>:<button>) and the actions before it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

struct AnswerAction {
  enum class Kind { Set, Select, Check, Notify };
  Kind kind = Kind::Set;
  int id = 0;
  std::string text;          // set
  std::vector<int> indexes;  // select
  int value = 0;             // check (0 or 1), notify (the code)
};

struct AnswerLine {
  enum class Key { Template, Number, Caption, Open, Save, Cancel };
  enum class Answer { Button, Wait, Until, File };

  int line = 0;         // 1-based line number in the file
  std::string raw;      // the line as written (without its line end)
  std::string program;  // "REMVEX32.EXE"; empty: any program
  Key key = Key::Template;
  std::string keyText;  // the template id (decimal), the caption or the file path
  int number = -1;      // "#<n>"
  Answer answer = Answer::Button;
  int button = 0;
  std::string untilFile;  // host path
  std::vector<AnswerAction> actions;

  bool isFileDialogLine() const { return key == Key::Open || key == Key::Save || key == Key::Cancel; }
};

// Parses the whole file; nullopt with *error = "answers:<line>: <what>" for the first bad line.
std::optional<std::vector<AnswerLine>> parseAnswers(std::string_view text, std::string* error);

}  // namespace win
