// Profile text: lines split with their ends, what each line is (a "[section]"
// header, a "key=value" entry, or anything else kept as it is), and the edits.
#include "profile_text.h"

#include "win/path.h"

namespace win::profile {

namespace {

constexpr const char* kNewLineEnd = "\r\n";

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool isBlank(std::string_view line) { return trim(line).empty(); }

// The name of a "[name]" header line (a header without its ']' runs to the line end).
std::optional<std::string_view> headerName(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return trim(line.substr(0, line.find(']')));
}

// The key and value of a "key=value" line; comments (';') and lines without a key are none.
std::optional<Entry> entryOf(std::string_view line) {
  line = trim(line);
  auto eq = line.find('=');
  if (line.empty() || line.front() == ';' || line.front() == '[' || eq == std::string_view::npos) return std::nullopt;
  std::string_view key = trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return Entry{std::string(key), std::string(trim(line.substr(eq + 1)))};
}

}  // namespace

ProfileText::ProfileText(std::string_view content) {
  while (!content.empty()) {
    auto nl = content.find('\n');
    std::string_view line = content.substr(0, nl);
    content = nl == std::string_view::npos ? std::string_view() : content.substr(nl + 1);
    Line l;
    if (nl != std::string_view::npos) {
      bool cr = !line.empty() && line.back() == '\r';
      if (cr) line.remove_suffix(1);
      l.end = cr ? "\r\n" : "\n";
    }
    l.text = std::string(line);
    lines_.push_back(std::move(l));
  }
}

std::string ProfileText::content() const {
  std::string out;
  for (const auto& l : lines_) out += l.text + l.end;
  return out;
}

std::vector<std::string> ProfileText::sectionNames() const {
  std::vector<std::string> names;
  for (const auto& l : lines_) {
    auto name = headerName(l.text);
    if (!name) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || namesEqual(n, *name);
    if (!seen) names.emplace_back(*name);
  }
  return names;
}

std::optional<std::vector<Entry>> ProfileText::entries(std::string_view section) const {
  auto r = find(section);
  if (!r) return std::nullopt;
  std::vector<Entry> all;
  for (std::size_t i = r->header + 1; i < r->end; ++i)
    if (auto e = entryOf(lines_[i].text)) all.push_back(std::move(*e));
  return all;
}

std::optional<std::string> ProfileText::value(std::string_view section, std::string_view key) const {
  auto all = entries(section);
  if (!all) return std::nullopt;
  for (const auto& e : *all)
    if (namesEqual(e.key, key)) return e.value;
  return std::nullopt;
}

bool ProfileText::setValue(std::string_view section, std::string_view key, std::string_view value) {
  auto r = find(section);
  if (!r) {
    appendSection(section, {std::string(key) + "=" + std::string(value)});
    return true;
  }
  for (std::size_t i = r->header + 1; i < r->end; ++i) {
    auto e = entryOf(lines_[i].text);
    if (!e || !namesEqual(e->key, key)) continue;
    std::string text = e->key + "=" + std::string(value);
    if (text == lines_[i].text) return false;
    lines_[i].text = text;
    return true;
  }
  insertLines(afterLastText(*r), {std::string(key) + "=" + std::string(value)});
  return true;
}

bool ProfileText::eraseKey(std::string_view section, std::string_view key) {
  auto r = find(section);
  if (!r) return false;
  bool erased = false;
  for (std::size_t i = r->end; i-- > r->header + 1;) {
    auto e = entryOf(lines_[i].text);
    if (!e || !namesEqual(e->key, key)) continue;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    erased = true;
  }
  return erased;
}

bool ProfileText::eraseSection(std::string_view section) {
  bool erased = false;
  while (auto r = find(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(r->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(r->end));
    erased = true;
  }
  return erased;
}

bool ProfileText::replaceSection(std::string_view section, const std::vector<std::string>& texts) {
  auto r = find(section);
  if (!r) {
    appendSection(section, texts);
    return true;
  }
  std::string before = content();
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(r->header + 1),
               lines_.begin() + static_cast<std::ptrdiff_t>(afterLastText(*r)));
  insertLines(r->header + 1, texts);
  return content() != before;
}

std::optional<ProfileText::Range> ProfileText::find(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = headerName(lines_[i].text);
    if (!name || !namesEqual(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !headerName(lines_[end].text)) ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::size_t ProfileText::afterLastText(const Range& r) const {
  std::size_t after = r.header + 1;
  for (std::size_t i = r.header + 1; i < r.end; ++i)
    if (!isBlank(lines_[i].text)) after = i + 1;
  return after;
}

void ProfileText::insertLines(std::size_t at, const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = kNewLineEnd;
  std::vector<Line> added;
  for (const auto& t : texts) added.push_back({t, kNewLineEnd});
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

void ProfileText::appendSection(std::string_view section, const std::vector<std::string>& texts) {
  std::vector<std::string> all{"[" + std::string(section) + "]"};
  all.insert(all.end(), texts.begin(), texts.end());
  insertLines(lines_.size(), all);
}

}  // namespace win::profile
