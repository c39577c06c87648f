// The line reader: every line-end convention reads as the same lines, long
// lines are cut and skipped to their end, the last line needs no line end,
// and a CR LF pair split by a refill of the buffer is still one line end.
#include "text/line_reader.h"

#include <string>
#include <vector>

#include "files/file_utils.h"
#include "runtime_test.h"

namespace {

class LineReaderTest : public merl_testing::RuntimeTest {
 protected:
  // The lines ReadLine gives for a file holding text, read with lines of length bytes.
  std::vector<std::string> lines(const std::string& text, std::size_t length = 256) {
    machine().makeFile("lines.txt", text);
    win::HANDLE file = merl::OpenFileHandle("C:\\lines.txt", merl::kOpenRead, false);
    EXPECT_NE(file, win::INVALID_HANDLE_VALUE);
    merl::RewindLines(file);
    std::vector<std::string> out;
    std::vector<char> line(length + 1, '#');
    for (int n = 0; n < 100 && merl::ReadLine(file, line.data(), length); ++n) out.emplace_back(line.data());
    EXPECT_STREQ(line.data(), "");
    win::CloseHandle(file);
    return out;
  }
};

using Lines = std::vector<std::string>;

TEST_F(LineReaderTest, EveryLineEndConventionGivesTheSameLines) {
  const Lines expected = {"one\n", "two\n", "\n", "four"};
  for (const char* text : {"one\r\ntwo\r\n\r\nfour", "one\ntwo\n\nfour", "one\rtwo\r\rfour"})
    EXPECT_EQ(lines(text), expected) << text;
  EXPECT_EQ(lines("one\r\ntwo\r\n"), (Lines{"one\n", "two\n"}));
}

TEST_F(LineReaderTest, EmptyFileGivesNoLine) { EXPECT_EQ(lines(""), Lines{}); }

TEST_F(LineReaderTest, LongLineIsCutToLengthLessTwoAndTheNextLineStartsAfterItsCr) {
  std::string text = std::string(40000, 'x') + "\r\nNEXT\r\n";
  EXPECT_EQ(lines(text, 256), (Lines{std::string(254, 'x') + "\n", "NEXT\n"}));
  EXPECT_EQ(lines("abc\r\nd\r\n", 2), (Lines{"\n", "\n"}));
}

TEST_F(LineReaderTest, CrLfSplitByABufferRefillIsOneLineEnd) {
  std::string first(merl::kLineBufferSize - 1, 'a');
  EXPECT_EQ(lines(first + "\r\nb", 40000), (Lines{first + "\n", "b"}));
}

TEST_F(LineReaderTest, RewindReadsFromTheStartAgain) {
  machine().makeFile("r.txt", "first\r\nsecond\r\n");
  win::HANDLE file = merl::OpenFileHandle("C:\\r.txt", merl::kOpenRead, false);
  char line[64];
  merl::RewindLines(file);
  ASSERT_TRUE(merl::ReadLine(file, line, sizeof line));
  EXPECT_STREQ(line, "first\n");
  merl::RewindLines(file);
  ASSERT_TRUE(merl::ReadLine(file, line, sizeof line));
  EXPECT_STREQ(line, "first\n");
  ASSERT_TRUE(merl::ReadLine(file, line, sizeof line));
  EXPECT_STREQ(line, "second\n");
  win::CloseHandle(file);
}

}  // namespace
