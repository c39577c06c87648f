// The transcript: exact JSON lines, identical bytes across runs, whole lines
// from concurrent writers.
#include "win/transcript.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "win/clock.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

std::string readText(const std::string& path) {
  std::string text;
  platform::readWholeFile(path, text);
  return text;
}

TEST(TranscriptTest, EscapesControlQuoteAndNonAsciiBytes) {
  struct Case {
    std::string text;
    const char* json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\APP", "\"C:\\\\APP\""},
      {"a\nb\tc\r", "\"a\\u000ab\\u0009c\\u000d\""},
      {std::string("nul\0", 4), "\"nul\\u0000\""},
      {"Caf\xe9 \x7f", "\"Caf\\u00e9 \\u007f\""},
  };
  for (const auto& c : cases) EXPECT_EQ(win::jsonString(c.text), c.json);
}

TEST(TranscriptTest, WritesOneExactLinePerEvent) {
  TestMachine m("[ui]\ntranscript = $STATE/t.jsonl\n");
  m.machine().setModulePath("C:\\TEMP\\setup.exe");
  win::Sleep(500);
  win::JsonArray controls;
  controls.add(win::JsonObject().add("id", 1).add("class", "Button")).add(7).add(true);
  ASSERT_TRUE(m.machine().transcript().write(
      "dialog", win::JsonObject().add("key", "114").add("n", -3).add("ok", false).add("controls", controls)));
  ASSERT_TRUE(m.machine().transcript().write("exit"));
  EXPECT_EQ(readText(m.stateDir() + "/t.jsonl"),
            "{\"t\":500,\"prog\":\"SETUP.EXE\",\"ev\":\"dialog\",\"key\":\"114\",\"n\":-3,\"ok\":false,"
            "\"controls\":[{\"id\":1,\"class\":\"Button\"},7,true]}\n"
            "{\"t\":500,\"prog\":\"SETUP.EXE\",\"ev\":\"exit\"}\n");
}

std::string runOnce() {
  TestMachine m("[ui]\ntranscript = $STATE/t.jsonl\n");
  m.machine().setModulePath("C:\\SETUP.EXE");
  for (int i = 0; i < 5; ++i) {
    win::Sleep(10 * i);
    m.machine().transcript().write("step", win::JsonObject().add("i", i).add("dir", m.machine().currentDirectory().text()));
  }
  return readText(m.stateDir() + "/t.jsonl");
}

TEST(TranscriptTest, TwoRunsGiveIdenticalBytes) {
  std::string first = runOnce();
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, runOnce());
}

TEST(TranscriptTest, ConcurrentWritersNeverSplitALine) {
  TestMachine m("[ui]\ntranscript = $STATE/t.jsonl\n");
  std::string filler(3000, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) m.machine().transcript().write("fill", win::JsonObject().add("thread", t).add("x", filler));
    });
  for (auto& t : threads) t.join();
  std::string text = readText(m.stateDir() + "/t.jsonl");
  std::string expectedTail = "\"x\":\"" + filler + "\"}";
  int lines = 0;
  for (std::size_t start = 0; start < text.size(); ++lines) {
    auto end = text.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.rfind("{\"t\":0,", 0), 0u);
    EXPECT_EQ(line.substr(line.size() - expectedTail.size()), expectedTail);
    start = end + 1;
  }
  EXPECT_EQ(lines, 200);
}

TEST(TranscriptTest, NothingIsWrittenWithoutATranscriptFile) {
  TestMachine m;
  EXPECT_FALSE(m.machine().transcript().enabled());
  EXPECT_TRUE(m.machine().transcript().write("ignored"));
}

}  // namespace
