// The answers file parser. Words are separated by blanks or tabs; a double
// quote starts a quoted stretch inside a word ("" for a quote), so texts with
// blanks are written "like this". Every line is checked when the file is read.
#include "answers_file.h"

#include <charconv>

namespace win {

namespace {

struct Word {
  std::string text;
  bool quoted = false;  // the whole word was one quoted stretch
};

bool splitWords(std::string_view line, std::vector<Word>* words, std::string* what) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    Word w;
    w.quoted = line[i] == '"';
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] != '"') {
        w.text += line[i++];
        continue;
      }
      for (++i;; ++i) {
        if (i >= line.size()) {
          *what = "a quoted text is not closed";
          return false;
        }
        if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
          w.text += '"';
          ++i;
        } else if (line[i] == '"') {
          ++i;
          break;
        } else {
          w.text += line[i];
        }
      }
      if (i < line.size() && line[i] != ' ' && line[i] != '\t') w.quoted = false;
    }
    words->push_back(std::move(w));
  }
  return true;
}

bool number(std::string_view text, int max, int* out) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > max) return false;
  *out = v;
  return true;
}

bool equalsBlind(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

bool programPrefix(const Word& w) {
  if (w.quoted || w.text.size() < 2 || w.text.back() != ':') return false;
  return w.text.find_first_of(":\\/=", 0) == w.text.size() - 1;
}

bool parseKey(const std::vector<Word>& words, std::size_t& i, AnswerLine* a, std::string* what) {
  const Word& w = words[i++];
  if (w.quoted) {
    a->key = AnswerLine::Key::Caption;
    a->keyText = w.text;
    return true;
  }
  if (w.text.size() > 1 && w.text[0] == '#') {
    a->key = AnswerLine::Key::Number;
    if (number(std::string_view(w.text).substr(1), 1000000, &a->number)) return true;
    *what = "bad dialog number \"" + w.text + "\"";
    return false;
  }
  int id = 0;
  if (number(w.text, 65535, &id)) {
    a->key = AnswerLine::Key::Template;
    a->keyText = std::to_string(id);
    return true;
  }
  if (equalsBlind(w.text, "open") || equalsBlind(w.text, "save")) {
    a->key = equalsBlind(w.text, "open") ? AnswerLine::Key::Open : AnswerLine::Key::Save;
    a->answer = AnswerLine::Answer::File;
    if (i >= words.size() || words[i].text.empty()) {
      *what = w.text + " needs a path";
      return false;
    }
    a->keyText = words[i++].text;
    return true;
  }
  if (equalsBlind(w.text, "cancel")) {
    a->key = AnswerLine::Key::Cancel;
    a->answer = AnswerLine::Answer::File;
    return true;
  }
  *what = "unknown key \"" + w.text + "\" (a template id, #<n>, \"caption\", open, save or cancel)";
  return false;
}

bool parseAnswer(const Word& w, AnswerLine* a, std::string* what) {
  if (number(w.text, 65535, &a->button) && a->button > 0) {
    a->answer = AnswerLine::Answer::Button;
    return true;
  }
  if (w.text == "wait") {
    a->answer = AnswerLine::Answer::Wait;
    return true;
  }
  constexpr std::string_view kUntil = "until:";
  if (w.text.compare(0, kUntil.size(), kUntil) == 0) {
    std::string rest = w.text.substr(kUntil.size());
    auto colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || rest[0] != '/' ||
        !number(rest.substr(colon + 1), 65535, &a->button) || a->button == 0) {
      *what = "bad \"" + w.text + "\" (until:<absolute host file>:<button id>)";
      return false;
    }
    a->answer = AnswerLine::Answer::Until;
    a->untilFile = rest.substr(0, colon);
    return true;
  }
  *what = "bad answer \"" + w.text + "\" (a button id, wait or until:<file>:<button id>)";
  return false;
}

bool parseIndexes(std::string_view text, std::vector<int>* out) {
  while (!text.empty()) {
    auto comma = text.find(',');
    int v = 0;
    if (!number(text.substr(0, comma), 1000000, &v)) return false;
    out->push_back(v);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
    if (text.empty()) return false;
  }
  return true;
}

bool parseAction(const Word& keyword, const Word* argument, AnswerAction* action, std::string* what) {
  static const std::pair<const char*, AnswerAction::Kind> kinds[] = {{"set", AnswerAction::Kind::Set},
                                                                     {"select", AnswerAction::Kind::Select},
                                                                     {"check", AnswerAction::Kind::Check},
                                                                     {"notify", AnswerAction::Kind::Notify}};
  bool known = false;
  for (const auto& [name, kind] : kinds)
    if (!keyword.quoted && keyword.text == name) {
      action->kind = kind;
      known = true;
    }
  if (!known) {
    *what = "unknown action \"" + keyword.text + "\" (set, select, check or notify)";
    return false;
  }
  auto equals = argument ? argument->text.find('=') : std::string::npos;
  if (equals == std::string::npos || !number(std::string_view(argument->text).substr(0, equals), 65535, &action->id)) {
    *what = keyword.text + " needs <id>=<value>";
    return false;
  }
  std::string value = argument->text.substr(equals + 1);
  bool ok = true;
  switch (action->kind) {
    case AnswerAction::Kind::Set:
      action->text = value;
      break;
    case AnswerAction::Kind::Select:
      ok = parseIndexes(value, &action->indexes);
      break;
    case AnswerAction::Kind::Check:
      ok = (value == "0" || value == "1") && number(value, 1, &action->value);
      break;
    case AnswerAction::Kind::Notify:
      ok = number(value, 65535, &action->value);
      break;
  }
  if (!ok) *what = "bad value \"" + value + "\" for " + keyword.text;
  return ok;
}

bool parseLine(std::string_view text, AnswerLine* a, std::string* what) {
  std::vector<Word> words;
  if (!splitWords(text, &words, what)) return false;
  std::size_t i = 0;
  if (programPrefix(words[0])) {
    a->program = words[0].text.substr(0, words[0].text.size() - 1);
    ++i;
  }
  if (i >= words.size()) {
    *what = "no key after the program";
    return false;
  }
  if (!parseKey(words, i, a, what)) return false;
  if (a->answer == AnswerLine::Answer::File) {
    if (i < words.size()) {
      *what = "nothing may follow a file dialog's answer (\"" + words[i].text + "\")";
      return false;
    }
    return true;
  }
  if (i >= words.size()) {
    *what = "no answer after the key";
    return false;
  }
  if (!parseAnswer(words[i++], a, what)) return false;
  for (; i < words.size(); i += 2) {
    AnswerAction action;
    if (!parseAction(words[i], i + 1 < words.size() ? &words[i + 1] : nullptr, &action, what)) return false;
    a->actions.push_back(std::move(action));
  }
  return true;
}

}  // namespace

std::optional<std::vector<AnswerLine>> parseAnswers(std::string_view text, std::string* error) {
  std::vector<AnswerLine> lines;
  int number = 0;
  while (!text.empty()) {
    auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == ';') continue;
    AnswerLine a;
    a.line = number;
    a.raw = std::string(line.substr(first));
    std::string what;
    if (!parseLine(line, &a, &what)) {
      *error = "answers:" + std::to_string(number) + ": " + what;
      return std::nullopt;
    }
    lines.push_back(std::move(a));
  }
  return lines;
}

}  // namespace win
