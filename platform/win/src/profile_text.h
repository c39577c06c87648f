// The text of a profile (INI) file as the profile calls read and edit it:
// lines kept byte for byte with their own line ends, sections and keys found
// without regard to case (the first section of a name counts), and edits that
// touch only the lines they must. New lines end in CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win::profile {

// A "key=value" line of a section (key and value without their surrounding blanks).
struct Entry {
  std::string key;
  std::string value;
};

class ProfileText {
 public:
  explicit ProfileText(std::string_view content);
  // The whole file again.
  std::string content() const;

  // Section names in file order, each once.
  std::vector<std::string> sectionNames() const;
  // The entries of a section in file order; nullopt when there is no such section.
  std::optional<std::vector<Entry>> entries(std::string_view section) const;
  // The value of a key; nullopt when the section or the key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Edits; each says whether it changed the text.
  // Sets a key: its line is rewritten (the key as in the file), else one line is added after
  // the section's last line that is not blank, else "[section]" and the line go at the end.
  bool setValue(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key's lines from its section.
  bool eraseKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines.
  bool eraseSection(std::string_view section);
  // Puts lines in place of the section's lines up to its last one that is not blank.
  bool replaceSection(std::string_view section, const std::vector<std::string>& lines);

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", or "" for a last line without one
  };
  // The lines of a section: its header, and the end of its body (the next header or the end).
  struct Range {
    std::size_t header;
    std::size_t end;
  };

  std::optional<Range> find(std::string_view section) const;
  // The position after the last line of the range that is not blank.
  std::size_t afterLastText(const Range& r) const;
  void insertLines(std::size_t at, const std::vector<std::string>& texts);
  void appendSection(std::string_view section, const std::vector<std::string>& texts);

  std::vector<Line> lines_;
};

}  // namespace win::profile
