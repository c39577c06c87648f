// Header fields in image order; unlisted numbers are 0, unlisted strings
// empty, unlisted messages "m<k>".
#include "script_header.h"

#include <array>
#include <map>
#include <optional>

#include "constants.h"

namespace merl_asm {

namespace {

struct HeaderItem {
  std::string_view name;
  FieldType type;
  bool text = false;
};

constexpr HeaderItem kLeadingItems[] = {
    {"flags", FieldType::U8},          {"reserved_word", FieldType::U32},
    {"total", FieldType::U32},         {"disk_size", FieldType::U32},
    {"stamp", FieldType::U32},         {"reserved", FieldType::U8, true},
    {"piece_base", FieldType::U8, true}, {"log_path", FieldType::U8, true},
    {"font_face", FieldType::U8, true}, {"font_size", FieldType::U8},
    {"font_charset", FieldType::U8},   {"disk_offset_adjust", FieldType::U32}};

constexpr std::string_view kProductStrings[] = {
    "mif", "unused", "manufacturer", "product", "version", "serial", "uninstall_mif"};

constexpr std::string_view kListItems[] = {"languages", "prompt"};

constexpr int kMaxLanguages = 255;

struct Language {
  SourcePos pos;
  std::string name, title;
  std::optional<std::string> system;
  SourcePos systemPos;
  std::array<std::optional<std::string>, kMessageCount> messages;
};

// "m0" ... "m44": the message number, else -1.
int messageNumber(std::string_view name) {
  if (name.size() < 2 || name.size() > 3 || name[0] != 'm') return -1;
  if (name.size() == 3 && name[1] == '0') return -1;
  int k = 0;
  for (char c : name.substr(1)) {
    if (c < '0' || c > '9') return -1;
    k = k * 10 + (c - '0');
  }
  return k < kMessageCount ? k : -1;
}

Language readLanguage(const Field& block) {
  if (block.value || block.qualifier) throw SourceError(block.pos, "language takes a block '{ ... }'");
  requireDistinctFields(block.block);
  Language language;
  language.pos = block.pos;
  for (const Field& field : block.block) {
    const Value& v = plainFieldValue(field);
    int k = messageNumber(field.name);
    if (k >= 0) {
      language.messages[k] = fieldText(v, field.name);
    } else if (field.name == "name") {
      language.name = fieldText(v, field.name);
    } else if (field.name == "title") {
      language.title = fieldText(v, field.name);
    } else if (field.name == "system") {
      language.system = fieldText(v, field.name);
      language.systemPos = field.pos;
    } else {
      throw SourceError(field.pos, "unknown language field '" + field.name + "'");
    }
  }
  return language;
}

bool isHeaderItem(std::string_view name) {
  for (const HeaderItem& item : kLeadingItems)
    if (item.name == name) return true;
  for (std::string_view s : kProductStrings)
    if (s == name) return true;
  for (std::string_view s : kListItems)
    if (s == name) return true;
  return false;
}

class HeaderWriter {
 public:
  HeaderWriter(const std::vector<Field>& fields, SourcePos headerPos) : headerPos_(headerPos) {
    requireDistinctFields(fields);
    for (const Field& field : fields) {
      if (field.name == "language") {
        languages_.push_back(readLanguage(field));
      } else if (isHeaderItem(field.name)) {
        given_[field.name] = &plainFieldValue(field);
      } else {
        throw SourceError(field.pos, "unknown header field '" + field.name + "'");
      }
    }
    if (languages_.empty()) throw SourceError(headerPos_, "the header needs at least one language");
    if (languages_.size() > kMaxLanguages) throw SourceError(languages_.back().pos, "more than 255 languages");
  }

  int write(Bytes& image) {
    for (const HeaderItem& item : kLeadingItems) {
      if (item.text) appendString(image, text(item.name));
      else appendLe(image, number(item.name, item.type), fieldWidth(item.type));
    }
    image.push_back(static_cast<std::uint8_t>(languages_.size()));
    for (std::string_view name : kProductStrings) appendString(image, text(name));
    writeLanguageList(image);
    for (const Language& language : languages_) {
      appendString(image, language.title);
      for (int k = 0; k < kMessageCount; ++k)
        appendString(image, language.messages[k].value_or(std::string(kDefaultMessagePrefix) + std::to_string(k)));
    }
    return static_cast<int>(languages_.size());
  }

 private:
  const Value* given(std::string_view name) const {
    auto it = given_.find(name);
    return it == given_.end() ? nullptr : it->second;
  }
  std::string text(std::string_view name) const {
    const Value* v = given(name);
    return v ? fieldText(*v, name) : std::string();
  }
  std::uint32_t number(std::string_view name, FieldType type) const {
    const Value* v = given(name);
    return v ? fieldNumber(*v, type, name) : 0;
  }

  // One language: the %LANGUAGES% value. Several: display name and system
  // language name per language, then the prompt.
  void writeLanguageList(Bytes& image) const {
    if (languages_.size() == 1) {
      if (const Value* v = given("prompt")) throw SourceError(v->pos, "prompt needs two or more languages");
      if (languages_[0].system)
        throw SourceError(languages_[0].systemPos, "system needs two or more languages");
      const Value* v = given("languages");
      appendString(image, v ? fieldText(*v, "languages") : languages_[0].name);
      return;
    }
    if (const Value* v = given("languages"))
      throw SourceError(v->pos, "languages is the one-language list; give each language a system name");
    for (const Language& language : languages_) {
      appendString(image, language.name);
      appendString(image, language.system.value_or(""));
    }
    appendString(image, text("prompt"));
  }

  SourcePos headerPos_;
  std::vector<Language> languages_;
  std::map<std::string_view, const Value*> given_;
};

}  // namespace

int emitScriptHeader(const std::vector<Field>& fields, SourcePos headerPos, Bytes& image) {
  return HeaderWriter(fields, headerPos).write(image);
}

}  // namespace merl_asm
