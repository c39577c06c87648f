// A place in the source text and the error reported there. The parser and
// the builders throw SourceError; assembleSource() turns it into its result.
#pragma once

#include <exception>
#include <string>

namespace merl_asm {

struct SourcePos {
  int line = 1;    // from 1
  int column = 1;  // byte in the line, from 1
};

class SourceError : public std::exception {
 public:
  SourceError(SourcePos pos, std::string text) : pos_(pos), text_(std::move(text)) {}
  SourcePos pos() const { return pos_; }
  const std::string& text() const { return text_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  SourcePos pos_;
  std::string text_;
};

}  // namespace merl_asm
