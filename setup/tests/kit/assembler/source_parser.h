// Values and fields of the text form, read from the token list: numbers,
// strings, lists "[a, b]", calls "start(name)", and fields "name = value",
// "name qualifier = value" or "name { fields }".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexer.h"

namespace merl_asm {

struct Value {
  enum class Kind { Number, String, Name, List, Call };
  Kind kind = Kind::Number;
  SourcePos pos;
  std::int64_t number = 0;
  std::string text;          // string bytes, the name, or the called function's name
  std::vector<Value> items;  // list items; the one argument of a call
};

struct Field {
  std::string name;
  SourcePos pos;
  std::optional<Value> qualifier;  // "support 4 = ...", "data name = ..."
  std::optional<Value> value;      // absent for a block
  std::vector<Field> block;        // "language { ... }"
};

class TokenStream {
 public:
  explicit TokenStream(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  const Token& peek(std::size_t ahead = 0) const;
  const Token& next();
  bool isPunct(char c, std::size_t ahead = 0) const;
  bool atStatementEnd() const;  // a line end or the end of the text
  void skipLineEnds();

  void expectPunct(char c);
  const Token& expectName(std::string_view what);
  const Token& expectNumber(std::string_view what);
  void expectStatementEnd();

 private:
  std::vector<Token> tokens_;
  std::size_t index_ = 0;
};

Value parseValue(TokenStream& in);

// Fields up to the end of the line, or, when the list starts with '{', up to
// the matching '}' across lines.
std::vector<Field> parseFields(TokenStream& in);

}  // namespace merl_asm
