// The setup record as a runtime receives it: a stub runtime dumps its bytes and
// the test decodes them at offsets written out here (the 32-bit record's
// offsets and where this 64-bit build puts them), not through the header.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kit_machine.h"
#include "stub_script.h"

namespace {

using merl_kit::KitMachine;
using merl_kit_tests::kStubScript;

static_assert(sizeof(void*) == 8, "the offsets below are this 64-bit build's");

std::vector<std::uint8_t> fromHex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 3) out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::uint64_t valueAt(const std::vector<std::uint8_t>& bytes, std::size_t offset, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | bytes.at(offset + i);
  return v;
}

struct Field {
  const char* name;
  unsigned at32;  // offset in the 32-bit record
  unsigned at64;  // offset on this build
  int width;      // bytes on this build
  std::uint64_t expected;
};

class StandinRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit_.assemble(kStubScript);
    kit_.setConfig("[stub]\nsteps = dump\nresult = 7\nexit_code = 66\nprogram = C:\\X.EXE\narguments = /q\n");
    result_ = kit_.run({"--runtime", MERL_KIT_STUB_RUNTIME, "--silent", "--options", "0x8010", "--screen", "800x600",
                        "--data-offset", "16"},
                       "/T  x");
    ASSERT_EQ(result_.status, 0) << result_.err;
    auto dumps = kit_.doubleLog("stub", "dump");
    ASSERT_EQ(dumps.size(), 1u);
    dump_ = dumps[0];
    record_ = fromHex(dump_["setup"].text());
  }

  KitMachine kit_;
  merl_kit::StandinResult result_;
  merl_kit::JsonValue dump_;
  std::vector<std::uint8_t> record_;
};

TEST_F(StandinRecordTest, EveryFieldHoldsWhatTheOptionsAndTheLayoutReportSay) {
  const auto& layout = kit_.assembly().layout;
  auto windows = kit_.transcript("window-create");
  ASSERT_FALSE(windows.empty());
  ASSERT_EQ(record_.size(), 0xc0u);
  std::vector<Field> fields = {
      {"main window", 0x00, 0x00, 8, static_cast<std::uint64_t>(windows[0]["hwnd"].integer())},
      {"setup instance", 0x04, 0x08, 8, 0x400000},
      {"read offset", 0x08, 0x10, 4, 16},
      {"disk base offset", 0x0c, 0x14, 4, 0},
      {"gap at 0x10", 0x10, 0x18, 4, 0},
      {"bytes done", 0x14, 0x1c, 4, 0},
      {"abort flag", 0x1c, 0x28, 4, 0},
      {"error byte and its slot", 0x20, 0x2c, 4, 0},
      {"screen width", 0x24, 0x30, 4, 800},
      {"screen height", 0x28, 0x34, 4, 600},
      {"wait flag", 0x2c, 0x38, 4, 0},
      {"silent flag", 0x30, 0x3c, 4, 1},
      {"option word", 0x34, 0x40, 4, 0x8010},
      {"display flags and their slot", 0x38, 0x44, 4, 0},
      {"drawing object", 0x3c, 0x48, 8, 0},
      {"script length", 0x40, 0x50, 4, layout.scriptLength},
      {"gap at 0x44", 0x44, 0x54, 4, 0},
      {"gap at 0x48", 0x48, 0x58, 4, 0},
      {"dialog block stored size", 0x6c, 0x7c, 4, 5},
      {"dialog block size", 0x70, 0x80, 4, 9},
      {"gap at 0x74", 0x74, 0x84, 4, 0},
      {"on-exit offset", 0x78, 0x88, 4, layout.onExit},
      {"on-cancel offset", 0x7c, 0x8c, 4, 0x20},
      {"copy destination memory", 0x88, 0xa0, 8, 0},
      {"message table", 0x94, 0xb8, 8, 0},
  };
  // Support file n: the u32 at 0x40 + 4n in the 32-bit record, 0x50 + 4n here.
  const std::uint64_t supportSizes[] = {0, 3, 0, 0, 0, 0, 0, 2};
  for (unsigned n = 3; n <= 10; ++n)
    fields.push_back({"support file size", 0x40 + 4 * n, 0x50 + 4 * n, 4, supportSizes[n - 3]});
  for (const auto& f : fields)
    EXPECT_EQ(valueAt(record_, f.at64, f.width), f.expected) << f.name << " (32-bit +0x" << std::hex << f.at32 << ")";
  EXPECT_NE(layout.onExit, 0u);

  std::uint64_t file = valueAt(record_, 0x20, 8);  // +0x18: the open installation file
  EXPECT_NE(file, 0u);
  EXPECT_NE(file, ~std::uint64_t{0});
  std::uint64_t memory = valueAt(record_, 0x90, 8);  // +0x80 script memory, +0x84 its address
  EXPECT_NE(memory, 0u);
  EXPECT_EQ(valueAt(record_, 0x98, 8), memory);
  EXPECT_NE(valueAt(record_, 0xa8, 8), 0u);  // +0x8c copy callback
  EXPECT_NE(valueAt(record_, 0xb0, 8), 0u);  // +0x90 checksum callback
}

TEST_F(StandinRecordTest, TheImageIsItsLengthAndOneMoreByte) {
  const auto& image = kit_.assembly().image;
  EXPECT_EQ(dump_["image_memory_size"].integer(), static_cast<std::int64_t>(image.size() + 1));
  auto bytes = fromHex(dump_["image"].text());
  ASSERT_EQ(bytes.size(), image.size() + 1);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin()));
  EXPECT_EQ(bytes.back(), 0);
}

TEST_F(StandinRecordTest, TheResultLineCarriesWhatMerlMainGaveBack) {
  EXPECT_EQ(dump_["command_line"].text(), "/T  x");
  const auto& line = result_.line;
  EXPECT_EQ(line["result"].integer(), 7);
  EXPECT_EQ(line["exit_code"].integer(), 66);
  EXPECT_EQ(line["program"].text(), "C:\\X.EXE");
  EXPECT_EQ(line["arguments"].text(), "/q");
  EXPECT_FALSE(line["wm_quit"].boolean());
  EXPECT_TRUE(line["virtual_ms"].isInteger());
}

}  // namespace
