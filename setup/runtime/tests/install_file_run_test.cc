// Whole runs that read the installation file after the script: a read error of
// the copy callback asks message 37 and retries from the same offset, and the
// end of a single-file installation is a read error that stops the run.
#include <algorithm>
#include <filesystem>

#include "whole_run.h"

namespace merl_testing {
namespace {

const std::string kHeader =
    "header {\n  language { name = \"English\" title = \"Demo Setup\" m1 = \"Done.\" m7 = \"It failed.\""
    " m18 = \"Setup\" m37 = \"Read error %s\" }\n}\n";
const std::string kData = "install_file {\n  data a = text(\"AAAAAAAA\")\n}\n";
const std::string kRecord =
    "install { flags_a=0 flags_b=0 start=start(a) end=end(a) size=size(a) date=0x2E59 time=0x7000 dest=\"A.TXT\""
    " desc=\"d\" hook=\"\" }\n";

class InstallFileRunTest : public WholeRunTest {
 protected:
  // An extract run of the one-file script with the answers given.
  // "DATA+n" in options stands for the data base plus n; cutAt > 0 cuts the installation file
  // that many bytes into the data.
  merl_kit::StandinResult extract(const std::string& answers, std::vector<std::string> options, int cutAt = 0) {
    machine(machineIni("9x", "[ui]\nanswers = $STATE/answers.txt\n"));
    kit().machine().writeText(kit().stateDir() + "/answers.txt", answers);
    kit().assemble(kHeader + kData + kRecord);
    const std::uint32_t base = kit().assembly().layout.dataBase;
    for (std::string& o : options)
      if (o.rfind("DATA+", 0) == 0) o = std::to_string(base + std::stoi(o.substr(5)));
    if (cutAt > 0) std::filesystem::resize_file(kit().installFile(), base + cutAt);
    return runOk(options, "/X C:\\OUT");
  }
  // The message boxes as "title|text".
  std::vector<std::string> boxes() {
    std::vector<std::string> out;
    for (merl_kit::JsonValue& d : kit().transcript("dialog")) {
      std::string text;
      for (std::size_t i = 0; i < d["controls"].size(); ++i)
        if (d["controls"][i]["id"].integer() == 1005) text = d["controls"][i]["text"].text();
      out.push_back(d["title"].text() + "|" + text);
    }
    return out;
  }
};

TEST_F(InstallFileRunTest, AReadErrorRetriedFromTheSameOffsetDeliversTheDataWhole) {
  struct Case {
    const char* answers;
    int result;
    const char* data;
  } cases[] = {{"114 3\n", 1, "AAAAAAAA"}, {"114 1\n", 1, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    merl_kit::StandinResult r = extract(c.answers, {"--read-error-at", "DATA+3"});
    EXPECT_EQ(r.line["result"].integer(), c.result);
    std::vector<std::string> shown = boxes();
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Setup|Read error %s");
    EXPECT_EQ(kit().fileText("C:\\OUT\\A.TXT"), c.data);
    auto copies = kit().transcript("copy");
    ASSERT_GE(copies.size(), 1u);
    if (c.data[0]) {
      ASSERT_GE(copies.size(), 2u);
      EXPECT_EQ(copies[copies.size() - 1]["offset"].integer(), copies[copies.size() - 2]["offset"].integer());
    }
  }
}

TEST_F(InstallFileRunTest, TheEndOfASingleFileInstallationAsksTheReadErrorQuestion) {
  merl_kit::StandinResult r = extract("114 1\n", {}, 4);
  std::vector<std::string> shown = boxes();
  ASSERT_GE(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Setup|Read error %s");
  auto prompts = kit().transcript("disk-prompt");
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0]["at_end"].integer(), 1);
  EXPECT_EQ(prompts[0]["result"].integer(), 1);
  EXPECT_EQ(r.line["result"].integer(), 1);
}

// The same end in an installation run: answered other than retry, the run stops and the last
// INSTALL.LOG line is message 7.
TEST_F(InstallFileRunTest, TheEndOfASingleFileInstallationEndsTheLogWithMessage7) {
  machine(machineIni("9x", "[ui]\nanswers = $STATE/answers.txt\n"));
  kit().machine().writeText(kit().stateDir() + "/answers.txt", "114 1\n");
  const std::string record =
      "install { flags_a=0 flags_b=0 start=start(a) end=end(a) size=size(a) date=0x2E59 time=0x7000"
      " dest=\"C:\\\\APP\\\\A.TXT\" desc=\"d\" hook=\"\" }\n";
  kit().assemble(kHeader + kData + record);
  std::filesystem::resize_file(kit().installFile(), kit().assembly().layout.dataBase + 4);
  merl_kit::StandinResult r = runOk({});
  EXPECT_EQ(r.line["result"].integer(), 1);
  const std::vector<std::string> shown = boxes();  // the copy dialog comes first
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Setup|Read error %s"), shown.end());
  const std::string log = kit().fileText("C:\\APP\\INSTALL.LOG");
  ASSERT_GE(log.size(), 2u) << log;
  const std::string body = log.substr(0, log.size() - 2);
  EXPECT_EQ(log.substr(body.rfind("\r\n") + 2), "It failed.\r\n") << log;
}

}  // namespace
}  // namespace merl_testing
