// Bad input to the stand-in: options, option files and layout reports that are
// missing or malformed end the run with status 2 and a message, before any
// runtime is loaded; so does a refused machine.ini.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit_machine.h"
#include "stub_script.h"

namespace {

using merl_kit::KitMachine;

struct BadInput {
  const char* name;
  std::vector<std::string> options;  // "$DIR" stands for the state directory
  const char* layout;                // written to $DIR/bad.json when not null
  const char* message;               // part of the message on standard error
};

TEST(StandinBadInputTest, EndsWithStatusTwoAndAMessageBeforeLoadingTheRuntime) {
  const BadInput cases[] = {
      {"option without its value", {"--image"}, nullptr, "--image needs a value"},
      {"unknown option", {"--frobnicate"}, nullptr, "unknown option"},
      {"number with trailing text", {"--data-offset", "12x"}, nullptr, "bad value"},
      {"number past 32 bits", {"--read-error-at", "0x100000000"}, nullptr, "bad value"},
      {"option word that is no hex", {"--options", "0xZZ"}, nullptr, "bad value"},
      {"screen without a height", {"--screen", "640x"}, nullptr, "bad value"},
      {"error byte past 255", {"--error-byte-at", "3:300"}, nullptr, "bad value"},
      {"abort at call 0", {"--abort-at", "0"}, nullptr, "bad value"},
      {"missing layout report", {"--layout", "$DIR/none.json"}, nullptr, "cannot read the layout report"},
      {"layout report that is no JSON", {"--layout", "$DIR/bad.json"}, "{\"script_length\": ", "layout report"},
      {"layout value that is a text", {"--layout", "$DIR/bad.json"}, "{\"script_length\": \"12\"}", "not a 32-bit"},
      {"support sizes that are no object", {"--layout", "$DIR/bad.json"}, "{\"support_sizes\": 3}", "support_sizes"},
      {"layout length that is not the image's", {"--layout", "$DIR/bad.json"}, "{\"script_length\": 5}", "holds"},
      {"missing script image", {"--image", "$DIR/none.img"}, nullptr, "cannot read the script image"},
      {"missing installation file", {"--install-file", "$DIR/none.bin"}, nullptr, "no installation file"},
      {"missing runtime", {"--runtime", "$DIR/none.so"}, nullptr, "no runtime"},
  };
  KitMachine kit;
  kit.assemble(merl_kit_tests::kStubScript);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.layout) kit.machine().writeText(kit.stateDir() + "/bad.json", c.layout);
    std::vector<std::string> options = {"--runtime", MERL_KIT_STUB_RUNTIME};
    for (std::string o : c.options) {
      if (auto at = o.find("$DIR"); at != std::string::npos) o.replace(at, 4, kit.stateDir());
      options.push_back(o);
    }
    auto r = kit.run(options);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_TRUE(kit.doubleLog("stub").empty());
  EXPECT_TRUE(kit.transcript("library-load").empty());
}

TEST(StandinBadInputTest, RefusedMachineIniEndsWithStatusTwo) {
  KitMachine kit;
  kit.assemble(merl_kit_tests::kStubScript);
  kit.machine().writeText(kit.stateDir() + "/machine.ini", "[system]\nplatform = os2\n");
  auto r = kit.run({"--runtime", MERL_KIT_STUB_RUNTIME});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("machine.ini:2:"), std::string::npos) << r.err;
  EXPECT_TRUE(kit.doubleLog("stub").empty());
}

TEST(StandinBadInputTest, FileThatIsNoLibraryIsRefusedAsTheRuntime) {
  KitMachine kit;
  kit.assemble(merl_kit_tests::kStubScript);
  kit.machine().writeText(kit.stateDir() + "/fake.so", "not a library");
  auto r = kit.run({"--runtime", kit.stateDir() + "/fake.so"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot load the runtime C:\\SETUP\\MERL0132.DLL"), std::string::npos) << r.err;
}

}  // namespace
