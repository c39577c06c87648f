// Double-byte text: code page kinds, and lead and trail bytes found by
// walking from the start of a text.
#include "text/dbcs.h"

#include <string>

#include "runtime_test.h"

namespace {

class DbcsTest : public merl_testing::RuntimeTest {};

TEST_F(DbcsTest, CodePageKinds) {
  const std::pair<win::UINT, int> cases[] = {{932, 1}, {949, 2}, {950, 3}, {936, 0}, {1252, 0}, {437, 0}};
  for (auto [page, kind] : cases) EXPECT_EQ(merl::AnsiCodePageKind(page), kind) << page;
  EXPECT_EQ(merl::AnsiCodePageKind(), 0);
  useMachine("[system]\ncodepage = 949\n");
  EXPECT_EQ(merl::AnsiCodePageKind(0), 2);
  EXPECT_EQ(merl::AnsiCodePageKind(1252), 0);  // an explicit page is never the cached one
  EXPECT_EQ(merl::AnsiCodePageKind(0), 2);
}

struct ByteCase {
  const char* text;
  int position;
  int kind;
};

TEST_F(DbcsTest, ByteKindsUnderADoubleBytePage) {
  useMachine("[system]\ncodepage = 932\n");
  const ByteCase cases[] = {
      {"\x82\xA0" "A", 0, 1}, {"\x82\xA0" "A", 1, 2}, {"\x82\xA0" "A", 2, 0}, {"\x82\xA0" "A", -1, 0},
      {"\x82\xA0", -1, 2},    {"A\x82", -1, 1},       {"\x95\x5C", 1, 2},      {"\\\\", -1, 0},
      {"\x82\x82\x82", 2, 1},  // lead, its trail, then a lead again
      {"ab", 5, 0},           {"", -1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(merl::DbcsByteKind(c.text, c.position), c.kind) << c.text << " @" << c.position;
}

TEST_F(DbcsTest, ByteKindIsAlwaysPlainUnderASingleBytePage) {
  for (int position : {0, 1, 2, -1}) EXPECT_EQ(merl::DbcsByteKind("\x82\xA0" "A", position), 0) << position;
}

}  // namespace
