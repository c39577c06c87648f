// Reads the source text into tokens, keeping the line and column of each.
#include "lexer.h"

#include <cctype>

namespace merl_asm {

namespace {

constexpr std::string_view kPunctuation = "{}[]()=,:";

class Lexer {
 public:
  explicit Lexer(std::string_view source) : source_(source) {}

  std::vector<Token> run() {
    std::vector<Token> tokens;
    for (;;) {
      skipBlanksAndComment();
      if (atEnd()) break;
      tokens.push_back(nextToken());
    }
    tokens.push_back(Token{TokenKind::End, pos_, "", 0});
    return tokens;
  }

 private:
  bool atEnd() const { return index_ >= source_.size(); }
  char peek(std::size_t ahead = 0) const {
    return index_ + ahead < source_.size() ? source_[index_ + ahead] : '\0';
  }
  char advance() {
    char c = source_[index_++];
    if (c == '\n') {
      ++pos_.line;
      pos_.column = 1;
    } else {
      ++pos_.column;
    }
    return c;
  }

  void skipBlanksAndComment() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r')) advance();
    if (peek() == '#')
      while (!atEnd() && peek() != '\n') advance();
  }

  Token nextToken() {
    Token token;
    token.pos = pos_;
    char c = peek();
    if (c == '\n') {
      advance();
      token.kind = TokenKind::LineEnd;
    } else if (c == '"') {
      token.kind = TokenKind::String;
      token.text = readString();
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      token.kind = TokenKind::Number;
      token.number = readNumber();
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      token.kind = TokenKind::Name;
      while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_') token.text += advance();
    } else if (kPunctuation.find(c) != std::string_view::npos) {
      token.kind = TokenKind::Punct;
      token.text = std::string(1, advance());
    } else {
      throw SourceError(pos_, "unexpected character '" + std::string(1, c) + "'");
    }
    return token;
  }

  static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::int64_t readNumber() {
    SourcePos start = pos_;
    bool negative = peek() == '-';
    if (negative) advance();
    int base = 10;
    if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
      advance();
      advance();
      base = 16;
    }
    std::int64_t value = 0;
    int digits = 0;
    for (;;) {
      int d = base == 16 ? hexDigit(peek()) : (std::isdigit(static_cast<unsigned char>(peek())) ? peek() - '0' : -1);
      if (d < 0) break;
      advance();
      ++digits;
      value = value * base + d;
      if (value > kLargestNumber) throw SourceError(start, "number out of range (largest 0xFFFFFFFF)");
    }
    if (digits == 0) throw SourceError(start, "number expected");
    if (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_')
      throw SourceError(pos_, "unexpected character '" + std::string(1, peek()) + "' in a number");
    return negative ? -value : value;
  }

  std::string readString() {
    SourcePos start = pos_;
    advance();  // opening quote
    std::string bytes;
    for (;;) {
      if (atEnd() || peek() == '\n') throw SourceError(start, "string without its closing quote");
      char c = advance();
      if (c == '"') return bytes;
      if (c != '\\') {
        bytes += c;
        continue;
      }
      if (atEnd() || peek() == '\n') throw SourceError(start, "string without its closing quote");
      bytes += readEscape();
    }
  }

  char readEscape() {
    SourcePos at{pos_.line, pos_.column - 1};
    char c = advance();
    switch (c) {
      case 'r': return '\r';
      case 'n': return '\n';
      case 't': return '\t';
      case '\\': return '\\';
      case '"': return '"';
      case 'x': {
        int high = hexDigit(peek());
        int low = high < 0 ? -1 : hexDigit(peek(1));
        if (low < 0) throw SourceError(at, "\\x needs two hex digits");
        advance();
        advance();
        return static_cast<char>(high * 16 + low);
      }
      default:
        throw SourceError(at, "unknown escape \\" + std::string(1, c));
    }
  }

  std::string_view source_;
  std::size_t index_ = 0;
  SourcePos pos_;
};

}  // namespace

std::vector<Token> tokenize(std::string_view source) { return Lexer(source).run(); }

}  // namespace merl_asm
