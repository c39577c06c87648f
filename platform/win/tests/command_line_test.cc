// Windows command lines: splitting by the C runtime's rules (the documented
// examples among them) and quoting that splits back to the same arguments.
#include <gtest/gtest.h>

#include "win/process.h"

namespace {

using Args = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Args args;
};

TEST(CommandLineTest, SplitsByTheRuntimeRules) {
  const SplitCase cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p a"b"" c d)", {"p", "ab\"", "c", "d"}},
      {R"("C:\App\probe.exe" a "b c" ;rm $(x))", {R"(C:\App\probe.exe)", "a", "b c", ";rm", "$(x)"}},
      {R"("C:\Program Files\x.exe")", {R"(C:\Program Files\x.exe)"}},
      {R"(C:\dir\ x)", {R"(C:\dir\)", "x"}},
      {R"(C:\a"b c"\d.exe y)", {R"(C:\ab c\d.exe)", "y"}},
      {"p\t\ta\t b  ", {"p", "a", "b"}},
      {R"(p "" "")", {"p", "", ""}},
      {R"(p "unterminated arg)", {"p", "unterminated arg"}},
      {"", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(win::splitCommandLine(c.line), c.args) << c.line;
}

TEST(CommandLineTest, QuotedArgumentsSplitBackUnchanged) {
  const Args args{"prog", "", "a b", "tab\there", "quote\"inside", "ends\\", "blank and slash\\",
                  R"(\\server\share\)", R"(x\"y)", ";rm", "$(x)", "'single'"};
  EXPECT_EQ(win::splitCommandLine(win::joinCommandLine(args)), args);
}

struct QuoteCase {
  const char* argument;
  const char* quoted;
};

TEST(CommandLineTest, QuotesOnlyWhatNeedsIt) {
  const QuoteCase cases[] = {
      {"plain", "plain"},   {"a b", R"("a b")"},          {"", R"("")"},
      {R"(C:\x\)", R"(C:\x\)"}, {R"(C:\a b\)", R"("C:\a b\\")"}, {R"(say "hi")", R"("say \"hi\"")"},
  };
  for (const auto& c : cases) EXPECT_EQ(win::quoteArgument(c.argument), c.quoted) << c.argument;
}

}  // namespace
