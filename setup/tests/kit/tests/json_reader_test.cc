// The kit's JSON reader over the forms its writers produce, and refusals.
#include <gtest/gtest.h>

#include "json_reader.h"

namespace {

using merl_kit::parseJson;

TEST(JsonReaderTest, ReadsTheWritersForms) {
  auto v = parseJson(R"({"a": 4294967295, "b": -2, "s": "x\u00ff\n\"", "t": true, "l": [1, {"k": null}], "r": 1.5})");
  ASSERT_TRUE(v);
  EXPECT_EQ((*v)["a"].integer(), 4294967295);
  EXPECT_EQ((*v)["b"].integer(), -2);
  EXPECT_EQ((*v)["s"].text(), std::string("x\xff\n\""));
  EXPECT_TRUE((*v)["t"].boolean());
  EXPECT_EQ((*v)["l"].size(), 2u);
  EXPECT_TRUE((*v)["l"][1]["k"].isNull());
  EXPECT_DOUBLE_EQ((*v)["r"].real(), 1.5);
  EXPECT_TRUE((*v)["missing"].isNull());
}

TEST(JsonReaderTest, RefusesMalformedText) {
  for (const char* text : {"", "{", "{\"a\" 1}", "[1,]", "\"open", "{\"a\":1} x", "01x", "\"\\q\"", "tru"}) {
    std::string error;
    EXPECT_FALSE(parseJson(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string deep(100, '[');
  EXPECT_FALSE(parseJson(deep + std::string(100, ']')));
}

}  // namespace
