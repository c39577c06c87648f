// The kit's JSON reader: a recursive descent over the text, depth-bounded.
#include "json_reader.h"

#include <cerrno>
#include <cstdlib>

namespace merl_kit {

namespace {
constexpr int kMaxDepth = 64;
const JsonValue kNullValue;
}  // namespace

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> document(std::string* error) {
    JsonValue v;
    bool ok = value(v, 0);
    skipBlanks();
    if (ok && pos_ != text_.size()) ok = fail("text after the value");
    if (!ok) {
      if (error) *error = "offset " + std::to_string(pos_) + ": " + why_;
      return std::nullopt;
    }
    return v;
  }

 private:
  bool fail(const char* why) {
    if (why_.empty()) why_ = why;
    return false;
  }
  void skipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n'))
      ++pos_;
  }
  bool take(char c) {
    skipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (text_.substr(pos_, w.size()) != w) return fail("unknown word");
    pos_ += w.size();
    return true;
  }

  bool value(JsonValue& v, int depth) {
    if (depth > kMaxDepth) return fail("nested too deeply");
    skipBlanks();
    if (pos_ >= text_.size()) return fail("value missing");
    char c = text_[pos_];
    if (c == '{') return object(v, depth);
    if (c == '[') return array(v, depth);
    if (c == '"') {
      v.kind_ = JsonValue::Kind::String;
      return string(v.text_);
    }
    if (c == 't' || c == 'f') {
      v.kind_ = JsonValue::Kind::Bool;
      v.boolean_ = c == 't';
      return word(c == 't' ? "true" : "false");
    }
    if (c == 'n') return word("null");
    return number(v);
  }

  bool object(JsonValue& v, int depth) {
    v.kind_ = JsonValue::Kind::Object;
    ++pos_;
    if (take('}')) return true;
    do {
      skipBlanks();
      std::string key;
      if (pos_ >= text_.size() || text_[pos_] != '"' || !string(key)) return fail("member name expected");
      if (!take(':')) return fail("':' expected");
      JsonValue member;
      if (!value(member, depth + 1)) return false;
      v.members_.emplace_back(std::move(key), std::move(member));
    } while (take(','));
    return take('}') || fail("'}' expected");
  }

  bool array(JsonValue& v, int depth) {
    v.kind_ = JsonValue::Kind::Array;
    ++pos_;
    if (take(']')) return true;
    do {
      JsonValue item;
      if (!value(item, depth + 1)) return false;
      v.items_.push_back(std::move(item));
    } while (take(','));
    return take(']') || fail("']' expected");
  }

  static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // A \u escape: the byte for code points below 256 (the writer's form), UTF-8 above.
  bool unicode(std::string& out) {
    if (pos_ + 4 > text_.size()) return fail("short \\u escape");
    unsigned code = 0;
    for (int i = 0; i < 4; ++i) {
      int d = hexDigit(text_[pos_ + i]);
      if (d < 0) return fail("bad \\u escape");
      code = code * 16 + static_cast<unsigned>(d);
    }
    pos_ += 4;
    if (code < 0x100) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
  }

  bool string(std::string& out) {
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      char e = text_[pos_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': if (!unicode(out)) return false; break;
        default: return fail("bad escape");
      }
    }
    return fail("unterminated string");
  }

  bool number(JsonValue& v) {
    std::size_t start = pos_;
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    bool integral = true;
    std::size_t digits = pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c >= '0' && c <= '9') {
      } else if (c == '.' || c == 'e' || c == 'E' || ((c == '+' || c == '-') && pos_ > digits)) {
        integral = false;
      } else {
        break;
      }
      ++pos_;
    }
    if (pos_ == digits) return fail("value expected");
    std::string n(text_.substr(start, pos_ - start));
    char* end = nullptr;
    errno = 0;
    if (integral) {
      v.kind_ = JsonValue::Kind::Integer;
      v.integer_ = std::strtoll(n.c_str(), &end, 10);
    } else {
      v.kind_ = JsonValue::Kind::Real;
      v.real_ = std::strtod(n.c_str(), &end);
    }
    if (errno != 0 || end != n.c_str() + n.size()) return fail("bad number");
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string why_;
};

const JsonValue* JsonValue::find(std::string_view key) const {
  for (const auto& [name, value] : members_)
    if (name == key) return &value;
  return nullptr;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
  const JsonValue* v = find(key);
  return v ? *v : kNullValue;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
  return index < items_.size() ? items_[index] : kNullValue;
}

std::optional<JsonValue> parseJson(std::string_view text, std::string* error) {
  return JsonParser(text).document(error);
}

std::vector<JsonValue> parseJsonLines(std::string_view text) {
  std::vector<JsonValue> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.find_first_not_of(" \t\r") != std::string_view::npos) out.push_back(parseJson(line).value_or(JsonValue()));
    start = end + 1;
  }
  return out;
}

}  // namespace merl_kit
