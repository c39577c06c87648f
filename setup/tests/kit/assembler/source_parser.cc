// Recursive reading of values and field lists; every error names the token
// where the text stopped making sense.
#include "source_parser.h"

namespace merl_asm {

namespace {

std::string describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::Name: return "'" + token.text + "'";
    case TokenKind::Number: return "a number";
    case TokenKind::String: return "a string";
    case TokenKind::Punct: return "'" + token.text + "'";
    case TokenKind::LineEnd: return "the end of the line";
    case TokenKind::End: return "the end of the text";
  }
  return "?";
}

[[noreturn]] void unexpected(const Token& token, std::string_view wanted) {
  throw SourceError(token.pos, std::string(wanted) + " expected, found " + describe(token));
}

Value parseList(TokenStream& in) {
  Value list;
  list.kind = Value::Kind::List;
  list.pos = in.next().pos;  // '['
  for (;;) {
    in.skipLineEnds();
    if (in.isPunct(']')) break;
    list.items.push_back(parseValue(in));
    in.skipLineEnds();
    if (in.isPunct(',')) in.next();
  }
  in.next();  // ']'
  return list;
}

Field parseField(TokenStream& in) {
  const Token& name = in.expectName("field name");
  Field field;
  field.name = name.text;
  field.pos = name.pos;
  if (in.isPunct('{')) {
    field.block = parseFields(in);
    return field;
  }
  if (!in.isPunct('=')) {
    const Token& q = in.peek();
    if (q.kind != TokenKind::Name && q.kind != TokenKind::Number) unexpected(q, "'='");
    field.qualifier = parseValue(in);
  }
  in.expectPunct('=');
  field.value = parseValue(in);
  return field;
}

}  // namespace

const Token& TokenStream::peek(std::size_t ahead) const {
  std::size_t i = index_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& TokenStream::next() {
  const Token& token = peek();
  if (index_ + 1 < tokens_.size()) ++index_;
  return token;
}

bool TokenStream::isPunct(char c, std::size_t ahead) const {
  const Token& token = peek(ahead);
  return token.kind == TokenKind::Punct && token.text[0] == c;
}

bool TokenStream::atStatementEnd() const {
  return peek().kind == TokenKind::LineEnd || peek().kind == TokenKind::End;
}

void TokenStream::skipLineEnds() {
  while (peek().kind == TokenKind::LineEnd) next();
}

void TokenStream::expectPunct(char c) {
  if (!isPunct(c)) unexpected(peek(), "'" + std::string(1, c) + "'");
  next();
}

const Token& TokenStream::expectName(std::string_view what) {
  if (peek().kind != TokenKind::Name) unexpected(peek(), what);
  return next();
}

const Token& TokenStream::expectNumber(std::string_view what) {
  if (peek().kind != TokenKind::Number) unexpected(peek(), what);
  return next();
}

void TokenStream::expectStatementEnd() {
  if (!atStatementEnd()) unexpected(peek(), "end of the line");
  next();
}

Value parseValue(TokenStream& in) {
  const Token& token = in.peek();
  Value value;
  value.pos = token.pos;
  switch (token.kind) {
    case TokenKind::Number:
      value.kind = Value::Kind::Number;
      value.number = in.next().number;
      return value;
    case TokenKind::String:
      value.kind = Value::Kind::String;
      value.text = in.next().text;
      return value;
    case TokenKind::Name:
      value.text = in.next().text;
      value.kind = Value::Kind::Name;
      if (in.isPunct('(')) {
        in.next();
        value.kind = Value::Kind::Call;
        value.items.push_back(parseValue(in));
        in.expectPunct(')');
      }
      return value;
    case TokenKind::Punct:
      if (token.text[0] == '[') return parseList(in);
      break;
    default:
      break;
  }
  unexpected(token, "a value");
}

std::vector<Field> parseFields(TokenStream& in) {
  std::vector<Field> fields;
  if (!in.isPunct('{')) {
    while (!in.atStatementEnd()) fields.push_back(parseField(in));
    return fields;
  }
  in.next();
  for (;;) {
    in.skipLineEnds();
    if (in.isPunct('}')) break;
    if (in.peek().kind == TokenKind::End) unexpected(in.peek(), "'}'");
    fields.push_back(parseField(in));
  }
  in.next();
  return fields;
}

}  // namespace merl_asm
